// Vorel's editor for the LV2, VST3 and CLAP plugins: every control, the
// presets, the left channel's live spectrum and its output peak. It reads
// the plugin's snapshots through its feed (editor_feed.h), in its idle
// call, and listens only while it is open. It draws again only when
// something it shows changed: a snapshot that moved the spectrum or the
// meter, a control's value, the preset's name. Every change a person makes
// goes to the host as a gesture (begin, values, end), so that hosts record
// one undo step and clean automation.
#pragma once

#include <DistrhoUI.hpp>

#include <vector>

#include "ui/control_slider.h"
#include "ui/editor_feed.h"
#include "ui/live_levels.h"
#include "ui/peak_meter.h"
#include "ui/preset_selector.h"
#include "ui/spectrum_view.h"

namespace vorel {

class Editor : public DISTRHO::UI {
 public:
  Editor();
  ~Editor() override;

 protected:
  void parameterChanged(uint32_t index, float value) override;
  void programLoaded(uint32_t index) override;
  void stateChanged(const char*, const char*) override {}  // the state is the parameters
  void sampleRateChanged(double rate) override;
  void uiIdle() override;

  void onNanoDisplay() override;
  bool onMouse(const MouseEvent& event) override;
  bool onMotion(const MotionEvent& event) override;
  bool onScroll(const ScrollEvent& event) override;

 private:
  ControlSlider* ControlAt(double x, double y);
  // A change of one control as one gesture: begin, the value, end.
  void Change(ControlSlider& control, float value);
  // Hands value to the host and shows it, inside a gesture.
  void Send(ControlSlider& control, float value);
  // Sets the six controls to a preset's values, as one gesture each.
  void ChoosePreset(int preset);
  // The preset selector learns the six controls' values.
  void HoldValues();

  EditorFeed* const Feed;  // null when the host gives no access to the plugin
  std::vector<ControlSlider> Controls;
  SpectrumView Spectrum;
  PeakMeter Meter;
  PresetSelector Presets;
  LiveLevels Live;

  // The drag under way: the control, and where it started (the start
  // moves when Shift is pressed or released mid-drag, so the value does
  // not jump).
  ControlSlider* Dragged = nullptr;
  float DragValueAtStart = 0.0f;
  double DragX = 0.0, DragY = 0.0;
  bool DragFine = false;
  // The last press, to tell a double-click.
  ControlSlider* LastPressed = nullptr;
  uint LastPressTime = 0;
};

}  // namespace vorel
