#include "ui/editor.h"

#include "effect/parameters.h"
#include "effect/presets.h"
#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr uint kDoubleClickMs = 400;

}  // namespace

// Drawn at the layout's logical size: DGL scales the window and the
// drawing by the host's factor, and the pointer's positions back.
Editor::Editor()
    : UI(static_cast<uint>(kEditorWidth), static_cast<uint>(kEditorHeight), true),
      Feed(FeedOf(getPluginInstancePointer())),
      Spectrum(kSpectrumBox),
      Meter(kMeterBox),
      Presets(kPresetBox) {
  Controls.reserve(EffectParameterCount);
  for (uint32_t p = 0; p < EffectParameterCount; ++p) Controls.emplace_back(p, kControlBoxes[p]);
  HoldValues();
  loadSharedResources();
  Spectrum.SetSampleRate(getSampleRate());
  if (Feed != nullptr)
    Feed->Listen(true);
  else
    Spectrum.ShowUnfed();
}

// A drag cut short by the host closing the editor still ends its gesture.
Editor::~Editor() {
  if (Dragged != nullptr) editParameter(Dragged->Parameter, false);
  if (Feed != nullptr) Feed->Listen(false);
}

// The value as the plugin takes it (clamped, stepped, a NaN ignored): DPF
// passes on the host's own value, which may be any float.
void Editor::parameterChanged(uint32_t index, float value) {
  if (index >= Controls.size()) return;
  ControlSlider& control = Controls[index];
  const float taken = TakeValue(index, value, control.Value);
  if (taken == control.Value) return;
  control.Value = taken;
  HoldValues();
  repaint();
}

// The host sends the preset's values through parameterChanged after this.
void Editor::programLoaded(uint32_t index) {
  if (index >= sizeof(kPresets) / sizeof(kPresets[0])) return;
  Presets.Origin.Loaded(static_cast<int>(index));
  HoldValues();
  repaint();
}

void Editor::sampleRateChanged(double rate) {
  Spectrum.SetSampleRate(rate);
  repaint();
}

// Draws again only when a snapshot moved what the spectrum or the meter
// shows, or the held peak fell back: on silence, the editor rests.
void Editor::uiIdle() {
  if (Feed != nullptr && Live.Idle(*Feed)) repaint();
}

// The background is a clear, not a filled rectangle: with a software
// renderer, shading every pixel of the window cost more than all that is
// drawn over it. NanoVG draws only at the end of the frame, after it.
void Editor::onNanoDisplay() {
  glClearColor(kBackground.red, kBackground.green, kBackground.blue, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  fontFace(NANOVG_DEJAVU_SANS_TTF);
  fontSize(20.0f);
  fillColor(kText);
  textAlign(ALIGN_LEFT | ALIGN_MIDDLE);
  text(12.0f, kPresetBox.Y + kPresetBox.H / 2, "Vorel", nullptr);
  // The spectrum's legend, each name in its curve's colour.
  fontSize(12.0f);
  const float legendY = kPresetBox.Y + kPresetBox.H / 2;
  float legendX = 84.0f;
  if (const char* channel = ShownChannel()) {
    fillColor(kDimText);
    text(legendX, legendY, channel, nullptr);
    legendX = 166.0f;
  }
  fillColor(kAccent);
  text(legendX, legendY, "input", nullptr);
  fillColor(kHeld);
  text(legendX + 36.0f, legendY, "held and masked", nullptr);
  Spectrum.Draw(*this, Live);
  Meter.Draw(*this, Live);
  Presets.Draw(*this);
  for (const ControlSlider& control : Controls) control.Draw(*this, &control == Dragged);
}

ControlSlider* Editor::ControlAt(double x, double y) {
  for (ControlSlider& control : Controls)
    if (control.Area.Contains(x, y)) return &control;
  return nullptr;
}

bool Editor::onMouse(const MouseEvent& event) {
  if (event.button != 1) return false;
  const double x = event.pos.getX(), y = event.pos.getY();
  if (!event.press) {
    if (Dragged == nullptr) return false;
    editParameter(Dragged->Parameter, false);
    Dragged = nullptr;
    repaint();
    return true;
  }
  if (Presets.Area.Contains(x, y)) {
    ChoosePreset(Presets.Choose(x));
    return true;
  }
  if (Meter.Area.Contains(x, y)) {
    if (Live.ClearOver()) repaint();
    return true;
  }
  ControlSlider* control = ControlAt(x, y);
  if (control == nullptr) return false;
  const bool doubleClick = control == LastPressed && event.time - LastPressTime < kDoubleClickMs;
  LastPressed = doubleClick ? nullptr : control;
  LastPressTime = event.time;
  const ControlTraits& traits = control->Traits;
  if (traits.ScalePointCount > 0) {
    // A choice: each click takes the next.
    Change(*control, control->Value >= traits.Maximum ? traits.Minimum : control->Value + 1.0f);
  } else if (doubleClick) {
    Change(*control, traits.Default);
  } else {
    editParameter(control->Parameter, true);
    Dragged = control;
    DragValueAtStart = control->Value;
    DragX = x;
    DragY = y;
    DragFine = (event.mod & DGL_NAMESPACE::kModifierShift) != 0;
    repaint();  // the dragged control is drawn brighter
  }
  return true;
}

// Right and up raise the value.
bool Editor::onMotion(const MotionEvent& event) {
  if (Dragged == nullptr) return false;
  const double x = event.pos.getX(), y = event.pos.getY();
  const bool fine = (event.mod & DGL_NAMESPACE::kModifierShift) != 0;
  if (fine != DragFine) {
    DragValueAtStart = Dragged->Value;
    DragX = x;
    DragY = y;
    DragFine = fine;
  }
  const float pixels = static_cast<float>((x - DragX) - (y - DragY));
  Send(*Dragged, DragValue(Dragged->Traits, DragValueAtStart, pixels, fine));
  return true;
}

bool Editor::onScroll(const ScrollEvent& event) {
  ControlSlider* control = ControlAt(event.pos.getX(), event.pos.getY());
  if (control == nullptr || control == Dragged) return false;
  const bool fine = (event.mod & DGL_NAMESPACE::kModifierShift) != 0;
  const float steps = static_cast<float>(event.delta.getY());
  Change(*control, WheelValue(control->Traits, control->Value, steps, fine));
  return true;
}

void Editor::Change(ControlSlider& control, float value) {
  editParameter(control.Parameter, true);
  Send(control, value);
  editParameter(control.Parameter, false);
}

void Editor::Send(ControlSlider& control, float value) {
  if (value == control.Value) return;
  control.Value = value;
  setParameterValue(control.Parameter, value);
  HoldValues();
  repaint();
}

// The six controls change together: every gesture begins before the first
// value and ends after the last, so a host can keep them as one step.
void Editor::ChoosePreset(int preset) {
  if (preset < 0) return;
  Presets.Origin.Loaded(preset);
  for (uint32_t p = 0; p < kControlPortCount; ++p) editParameter(p, true);
  for (uint32_t p = 0; p < kControlPortCount; ++p) Send(Controls[p], kPresets[preset].Values[p]);
  for (uint32_t p = 0; p < kControlPortCount; ++p) editParameter(p, false);
  repaint();
}

void Editor::HoldValues() {
  float values[kControlPortCount];
  for (uint32_t p = 0; p < kControlPortCount; ++p) values[p] = Controls[p].Value;
  Presets.Origin.Hold(values);
}

}  // namespace vorel

START_NAMESPACE_DISTRHO

UI* createUI() { return new vorel::Editor(); }

END_NAMESPACE_DISTRHO
