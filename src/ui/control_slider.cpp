#include "ui/control_slider.h"

#include "ui/colours.h"

namespace vorel {

void ControlSlider::Draw(DGL_NAMESPACE::NanoVG& vg, bool active) const {
  const float fraction = (Value - Traits.Minimum) / (Traits.Maximum - Traits.Minimum);
  const Box bar{Area.X, Area.Y + 24.0f, Area.W, 22.0f};
  vg.beginPath();
  vg.roundedRect(bar.X, bar.Y, bar.W, bar.H, 3.0f);
  vg.fillColor(kPanel);
  vg.fill();
  vg.beginPath();
  vg.roundedRect(bar.X, bar.Y, bar.W * fraction, bar.H, 3.0f);
  vg.fillColor(active ? kAccentBright : kAccent);
  vg.fill();

  char text[32];
  FormatValue(Traits, Value, text, sizeof(text));
  vg.fontSize(14.0f);
  vg.fillColor(kText);
  vg.textAlign(DGL_NAMESPACE::NanoVG::ALIGN_LEFT | DGL_NAMESPACE::NanoVG::ALIGN_BASELINE);
  vg.text(Area.X, Area.Y + 16.0f, Traits.Name, nullptr);
  vg.textAlign(DGL_NAMESPACE::NanoVG::ALIGN_RIGHT | DGL_NAMESPACE::NanoVG::ALIGN_BASELINE);
  vg.text(Area.X + Area.W, Area.Y + 16.0f, text, nullptr);
}

}  // namespace vorel
