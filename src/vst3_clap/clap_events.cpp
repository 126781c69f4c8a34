#include "vst3_clap/clap_events.h"

#include <algorithm>
#include <cmath>

#include "vst3_clap/stereo_parameters.h"

namespace vorel {

namespace {

constexpr clap_event_note_t kPassedOver = {
    {sizeof(clap_event_note_t), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_NOTE_END, 0},
    -1,
    -1,
    -1,
    -1,
    0.0};

CheckedEvents& Of(const clap_input_events_t* list) {
  return *static_cast<CheckedEvents*>(list->ctx);
}

}  // namespace

CheckedEvents::CheckedEvents(const clap_input_events_t* host) : Face{this, Size, Get}, Host(host) {}

uint32_t CheckedEvents::Size(const clap_input_events_t* list) {
  const clap_input_events_t* host = Of(list).Host;
  return host->size(host);
}

const clap_event_header_t* CheckedEvents::Get(const clap_input_events_t* list, uint32_t index) {
  CheckedEvents& self = Of(list);
  const clap_event_header_t* event = self.Host->get(self.Host, index);
  if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID ||
      event->type != CLAP_EVENT_PARAM_VALUE || event->size != sizeof(clap_event_param_value_t))
    return &kPassedOver.header;
  self.Checked = *reinterpret_cast<const clap_event_param_value_t*>(event);
  if (self.Checked.param_id >= StereoParameterCount || std::isnan(self.Checked.value))
    return &kPassedOver.header;
  const ParameterRange range = RangeOf(self.Checked.param_id);
  self.Checked.value = std::clamp<double>(self.Checked.value, range.Minimum, range.Maximum);
  return &self.Checked.header;
}

}  // namespace vorel
