#include "tools/kestrune-panel-art/Background.h"

#include <cmath>

#include "effect/PanelLayout.h"
#include "tools/kestrune-panel-art/Knob.h"
#include "tools/kestrune-panel-art/Layers.h"
#include "tools/kestrune-panel-art/Palette.h"
#include "tools/kestrune-panel-art/Switches.h"

namespace kestrune::panelart {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFineScale = 4;
constexpr double kNameplateTop = 446;

Point AtAngle(double cx, double cy, double r, double angle) { return {cx + r * std::sin(angle), cy - r * std::cos(angle)}; }

// Enamel: lighter toward the top, a soft pool of light at the upper left, and a fine grain.
LICE_pixel Enamel(double x, double y) {
  const double t = y / PanelLayout::kHeight;
  LICE_pixel c = Mix(palette::kEnamelTop, palette::kEnamelBottom, t);
  const double glow = std::exp(-(std::pow((x - 120) / 260, 2) + std::pow((y - 40) / 220, 2)));
  double k = 1.0 + 0.10 * glow;
  k *= 1.0 + 0.045 * (Noise(int(x), int(y), 1) - 0.5);
  return Scale(c, k);
}

LICE_pixel NameplateMetal(double x, double y) {
  // Brushed horizontally: streaks that run along whole rows with a little variation along them.
  const double streak = Noise(0, int(y * 3), 7) - 0.5;
  const double fleck = Noise(int(x / 7), int(y * 3), 8) - 0.5;
  double k = 1.0 + 0.07 * streak + 0.03 * fleck;
  k *= 1.0 + 0.12 * std::exp(-std::pow((x - 150) / 200, 2));
  return Scale(palette::kNameplate, k);
}

// One knob's scale: a thin arc over the 270-degree sweep and a tick at every tenth of the range,
// placed where the knob points at that value. shape is the parameter's taper (value = position^shape).
void DrawScale(Surface& s, double cx, double cy, double inner, double outer, double shape) {
  const double sweep = PanelLayout::kKnobSweepDegrees * kPi / 180;
  for (int n = 0; n <= 10; ++n) {
    const double position = std::pow(n / 10.0, 1.0 / shape);
    const double angle = -sweep / 2 + sweep * position;
    const bool major = n % 5 == 0;
    s.Bar(AtAngle(cx, cy, inner, angle), AtAngle(cx, cy, major ? outer + 2.0 : outer, angle), major ? 1.6 : 1.1,
          palette::kLegend, major ? 1.0f : 0.85f);
  }
  // The arc joins the ticks' inner ends.
  s.Paint(
      [&](Surface& m) {
        m.Disc(cx, cy, inner + 0.55, Rgb(255, 255, 255));
        m.Disc(cx, cy, inner - 0.55, 0);
      },
      [&](double x, double y) {
        const double angle = std::atan2(x - cx, cy - y);
        return std::fabs(angle) <= sweep / 2 ? palette::kLegend : 0;
      },
      0.85f);
}

// A slotted screw head, sunk into a countersink.
void DrawScrew(Surface& s, double cx, double cy, double angle) {
  s.Disc(cx + 0.3, cy + 0.5, 5.6, palette::kShadow, 0.5f);
  s.Paint([&](Surface& m) { m.Disc(cx, cy, 5.0, Rgb(255, 255, 255)); },
          [&](double x, double y) {
            const double facing = ((cx - x) + (cy - y)) / 7.0;
            return Scale(palette::kChrome, 0.78 + 0.30 * facing);
          });
  const Point a = AtAngle(cx, cy, 4.2, angle), b = AtAngle(cx, cy, -4.2, angle);
  s.Bar(a, b, 1.4, Rgb(40, 42, 46));
}

}  // namespace

std::unique_ptr<LICE_MemBitmap> DrawBackground() {
  using namespace PanelLayout;
  Surface panel(kWidth, kHeight, kFineScale);
  panel.Paint(Enamel);

  // The nameplate: a brushed strip along the bottom edge, set off by an engraved line.
  panel.Paint([&](Surface& m) { m.Rect(0, kNameplateTop, kWidth, kHeight - kNameplateTop, Rgb(255, 255, 255)); },
              NameplateMetal);
  panel.Rect(0, kNameplateTop - 1, kWidth, 1, palette::kEngraving, 0.8f);
  panel.Rect(0, kNameplateTop, kWidth, 1, palette::kHighlight, 0.10f);

  // Bevelled edges: light along the top and left, shade along the bottom and right.
  panel.Rect(0, 0, kWidth, 1, palette::kHighlight, 0.22f);
  panel.Rect(0, 1, 1, kHeight - 1, palette::kHighlight, 0.12f);
  panel.Rect(0, kHeight - 1, kWidth, 1, palette::kShadow, 0.5f);
  panel.Rect(kWidth - 1, 0, 1, kHeight - 1, palette::kShadow, 0.4f);

  for (const PanelImage* knob : {&kHi, &kLo, &kOut}) {
    const double R = KnobRadius(*knob);
    DrawScale(panel, knob->CentreX(), knob->CentreY(), R + 5.0, R + 9.0, knob == &kOut ? 1.0 : 2.0);
  }

  DrawScrew(panel, 13, 13, 0.6);
  DrawScrew(panel, kWidth - 13, 13, -0.3);
  DrawScrew(panel, 13, kNameplateTop - 14, 1.1);
  DrawScrew(panel, kWidth - 13, kNameplateTop - 14, 0.2);

  std::unique_ptr<LICE_MemBitmap> image = panel.Resolve();
  for (const PanelImage* knob : {&kHi, &kLo, &kOut}) {
    const double R = KnobRadius(*knob), cx = knob->CentreX(), cy = knob->CentreY();
    CastShadow(image.get(), [&](Surface& m) { m.Disc(cx + 2.0, cy + 4.0, R, Rgb(0, 0, 0)); }, 14, 0.75f);
    CastShadow(image.get(), [&](Surface& m) { m.Disc(cx + 0.4, cy + 0.9, R + 0.3, Rgb(0, 0, 0)); }, 2, 0.5f);
  }
  DrawSwitchHardware(image.get());
  return image;
}

}  // namespace kestrune::panelart
