#include "tools/kestrune-panel-art/Background.h"

#include <algorithm>
#include <cmath>

#include "effect/PanelLayout.h"
#include "tools/kestrune-panel-art/Knob.h"
#include "tools/kestrune-panel-art/Layers.h"
#include "tools/kestrune-panel-art/Palette.h"
#include "tools/kestrune-panel-art/Switches.h"
#include "tools/kestrune-panel-art/Typography.h"

namespace kestrune::panelart {
namespace {

constexpr int kFineScale = 4;
constexpr double kNameplateTop = 298;
// The hairline that sets the maker and the address apart at the foot of the nameplate.
constexpr double kFooterTop = 452;

// Enamel: lighter toward the top, a soft pool of light at the upper left, and a fine grain.
LICE_pixel Enamel(double x, double y) {
  const double t = y / PanelLayout::kHeight;
  LICE_pixel c = Mix(palette::kEnamelTop, palette::kEnamelBottom, t);
  const double glow = std::exp(-(std::pow((x - 120) / 260, 2) + std::pow((y - 40) / 220, 2)));
  // Edges fall off a little, as a plate lit from in front does toward its rim.
  const double rim = std::min({x, y, PanelLayout::kWidth - x, PanelLayout::kHeight - y});
  double k = (1.0 + 0.10 * glow) * (1.0 - 0.06 * std::exp(-rim / 18));
  k *= 1.0 + 0.045 * (Noise(int(x), int(y), 1) - 0.5);
  return Scale(c, k);
}

LICE_pixel NameplateMetal(double x, double y) {
  // Brushed horizontally: streaks that run along whole rows with a little variation along them.
  const double streak = Noise(0, int(y * 3), 7) - 0.5;
  const double fleck = Noise(int(x / 9), int(y * 3), 8) - 0.5;
  double k = 1.0 + 0.08 * streak + 0.05 * fleck;
  k *= 1.0 + 0.16 * std::exp(-std::pow((x - 140) / 180, 2)) - 0.10 * (y - kNameplateTop) / (PanelLayout::kHeight - kNameplateTop);
  return Scale(palette::kNameplate, k);
}

// One knob's scale: a thin arc over the 270-degree sweep and a tick at every tenth of the range,
// placed where the knob points at that value. shape is the parameter's taper (value = position^shape).
void DrawScale(Surface& s, const Typesetter& type, double cx, double cy, double inner, double outer, double shape) {
  const double sweep = PanelLayout::kKnobSweepDegrees * kPi / 180;
  for (int n = 0; n <= 10; ++n) {
    const double position = std::pow(n / 10.0, 1.0 / shape);
    const double angle = -sweep / 2 + sweep * position;
    const bool major = n % 5 == 0;
    s.Bar(AtAngle(cx, cy, inner, angle), AtAngle(cx, cy, major ? outer + 2.0 : outer, angle), major ? 1.6 : 1.1,
          palette::kLegend, major ? 1.0f : 0.85f);
    // The numeral's centre sits on the ray; the baseline is a little below the centre.
    const Point at = AtAngle(cx, cy, outer + 8.5, angle);
    type.Draw(s, std::to_string(n), typography::kNumeral, at.x, at.y + typography::kNumeral.size * 0.36,
              Align::kCentre, palette::kLegend, 0.9f);
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

std::unique_ptr<LICE_MemBitmap> DrawBackground(const Typesetter& type) {
  using namespace PanelLayout;
  Surface panel(kWidth, kHeight, kFineScale);
  panel.Paint(Enamel);

  // The nameplate: a brushed strip along the bottom edge, set off by an engraved line.
  panel.Paint([&](Surface& m) { m.Rect(0, kNameplateTop, kWidth, kHeight - kNameplateTop, Rgb(255, 255, 255)); },
              NameplateMetal);
  // The control plate overlaps the nameplate a little: its edge casts a short soft shadow.
  panel.Paint([&](Surface& m) { m.Rect(0, kNameplateTop, kWidth, 6, Rgb(255, 255, 255)); },
              [](double, double y) { return WithAlpha(palette::kShadow, 0.45 * std::exp(-(y - kNameplateTop) / 1.8)); });
  panel.Rect(0, kNameplateTop - 1, kWidth, 1, palette::kEngraving, 0.8f);
  panel.Rect(0, kNameplateTop - 2, kWidth, 1, palette::kHighlight, 0.06f);
  panel.Rect(20, kFooterTop, kWidth - 40, 0.5, palette::kEngraving, 0.9f);
  panel.Rect(20, kFooterTop + 0.5, kWidth - 40, 0.5, palette::kHighlight, 0.08f);

  // Bevelled edges: light along the top and left, shade along the bottom and right.
  panel.Rect(0, 0, kWidth, 1, palette::kHighlight, 0.22f);
  panel.Rect(0, 1, 1, kHeight - 1, palette::kHighlight, 0.12f);
  panel.Rect(0, kHeight - 1, kWidth, 1, palette::kShadow, 0.5f);
  panel.Rect(kWidth - 1, 0, 1, kHeight - 1, palette::kShadow, 0.4f);

  for (const PanelImage* knob : {&kHi, &kLo, &kOut}) {
    const double R = KnobRadius(*knob);
    DrawScale(panel, type, knob->CentreX(), knob->CentreY(), R + 5.0, R + 9.0, knob == &kOut ? 1.0 : 2.0);
  }
  // Each knob's name sits in the gap of its scale, below the knob.
  type.Draw(panel, "HI", typography::kLabel, kHi.CentreX(), kHi.CentreY() + KnobRadius(kHi) + 14, Align::kCentre,
            palette::kLegend);
  type.Draw(panel, "LO", typography::kLabel, kLo.CentreX(), kLo.CentreY() + KnobRadius(kLo) + 14, Align::kCentre,
            palette::kLegend);
  type.Draw(panel, "OUT", typography::kLabel, kOut.CentreX(), kOut.CentreY() + KnobRadius(kOut) + 14,
            Align::kCentre, palette::kLegend);
  // The circuit toggle's two positions, above and below it.
  type.Draw(panel, "BRIGHT", typography::kLabel, kCircuit.CentreX(), kCircuit.y - 4, Align::kCentre,
            palette::kLegend);
  type.Draw(panel, "PLAIN", typography::kLabel, kCircuit.CentreX(), kCircuit.y + kCircuit.frameHeight + 12,
            Align::kCentre, palette::kLegend);

  // Product and maker.
  // The name is inlaid: a faint shadow below each letter sets it into the plate.
  type.Draw(panel, "Kestrune", typography::kProduct, kWidth / 2.0, 421, Align::kCentre, palette::kShadow, 0.6f);
  type.Draw(panel, "Kestrune", typography::kProduct, kWidth / 2.0, 420, Align::kCentre, palette::kLegend);
  type.Draw(panel, "STEREO TONE SHAPER", typography::kTagline, kWidth / 2.0, 436, Align::kCentre,
            palette::kLegendDim);
  type.Draw(panel, "ORVANTIC", typography::kMaker, 22, 475, Align::kLeft, palette::kLegend);
  type.Draw(panel, "orvantic.com", typography::kAddress, (kLinkLeft + kWidth) / 2.0, 475, Align::kCentre,
            palette::kLegend);

  // Ventilation slots either side of the output knob.
  for (int side = -1; side <= 1; side += 2) {
    const double centre = kOut.CentreX() + side * 138;
    for (int slot = 0; slot < 5; ++slot) {
      // A slot cut into the plate: dark inside, its lower lip catching the light.
      const double y = 192 + slot * 10.0, x = centre - 40;
      panel.RoundRect(x, y + 0.7, 80, 4.0, 2.0, palette::kHighlight, 0.09f);
      panel.RoundRect(x, y, 80, 4.0, 2.0, Rgb(10, 11, 13), 0.9f);
    }
  }

  DrawScrew(panel, 13, 13, 0.6);
  DrawScrew(panel, kWidth - 13, 13, -0.3);
  DrawScrew(panel, 13, kNameplateTop + 14, 1.1);
  DrawScrew(panel, kWidth - 13, kNameplateTop + 14, 0.2);

  std::unique_ptr<LICE_MemBitmap> image = panel.Resolve();
  for (const PanelImage* knob : {&kHi, &kLo, &kOut}) {
    const double R = KnobRadius(*knob), cx = knob->CentreX(), cy = knob->CentreY();
    const int reach = int(R) + 24;
    const Area around{int(cx) - reach, int(cy) - reach, 2 * reach, 2 * reach};
    CastShadow(image.get(), around, [&](Surface& m) { m.Disc(cx + 2.0, cy + 4.0, R, Rgb(0, 0, 0)); }, 14, 0.75f);
    CastShadow(image.get(), around, [&](Surface& m) { m.Disc(cx + 0.4, cy + 0.9, R + 0.3, Rgb(0, 0, 0)); }, 2, 0.5f);
  }
  DrawSwitchHardware(image.get());
  return image;
}

}  // namespace kestrune::panelart
