// The CLAP host's input events as DPF is given them, in process and in a
// parameter flush. DPF takes a parameter value event's ID as an array index
// unchecked and its double value as a float (undefined beyond a float's
// range), and DPF 1.6 sends modulation, gesture and transport events on to
// its MIDI code, which asserts. This list has the host's count and order,
// with each event shown as the plugin takes it:
// - a value for one of the plugin's parameters, in the core event space and
//   not a NaN: a copy with the value clamped to the parameter's range;
// - any other event: a note end, which DPF passes over.
// DPF reads each event before it asks for the next, so one copy at a time
// will do. Nothing here allocates; the list lives for one call.
#pragma once

#include <clap/events.h>

namespace vorel {

class CheckedEvents {
 public:
  explicit CheckedEvents(const clap_input_events_t* host);
  CheckedEvents(const CheckedEvents&) = delete;
  CheckedEvents& operator=(const CheckedEvents&) = delete;

  // The list for DPF, or null if the host gave none.
  const clap_input_events_t* List() const { return Host == nullptr ? nullptr : &Face; }

 private:
  static uint32_t Size(const clap_input_events_t* list);
  static const clap_event_header_t* Get(const clap_input_events_t* list, uint32_t index);

  clap_input_events_t Face;
  const clap_input_events_t* Host;
  clap_event_param_value_t Checked = {};
};

}  // namespace vorel
