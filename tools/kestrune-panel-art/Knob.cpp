#include "tools/kestrune-panel-art/Knob.h"

#include <cmath>

#include "rasterizer/lice_blit.h"
#include "tools/kestrune-panel-art/Palette.h"
#include "tools/kestrune-panel-art/Surface.h"

namespace kestrune::panelart {
namespace {

constexpr int kFineScale = 5;
// Direction the light comes from, clockwise from straight up.
constexpr double kLightAngle = -kPi / 4;
constexpr int kFlutes = 36;

// Polar view of an image point around a knob's centre: distance and angle clockwise from up.
struct Polar {
  double r, angle;
  Polar(double x, double y, double cx, double cy) : r(std::hypot(x - cx, y - cy)), angle(std::atan2(x - cx, cy - y)) {}
};

// Draws a knob of radius radius centred at (cx, cy), its pointer at angle radians clockwise from
// straight up.
void DrawKnob(Surface& surface, double cx, double cy, double radius, double angle) {
  const double R = radius, gripR = 0.70 * R, capR = 0.54 * R;
  const auto disc = [&](double r) { return [=](Surface& m) { m.Disc(cx, cy, r, Rgb(255, 255, 255)); }; };

  // Skirt: a shallow satin cone, lit on the side facing the light, with a bright machined rim.
  surface.Paint(disc(R), [&](double x, double y) {
    const Polar p(x, y, cx, cy);
    const double facing = std::cos(p.angle - kLightAngle);
    double k = 1.15 + 0.75 * facing * SmoothStep(gripR, R, p.r);
    k += 0.35 * std::exp(-std::pow((facing - 0.8) * 4, 2)) * SmoothStep(gripR, R, p.r);
    const double rim = SmoothStep(R - 1.5, R - 0.5, p.r);
    k += rim * (1.6 * std::max(facing, 0.0) + 0.3);
    return Scale(palette::kKnobSkirt, k);
  });

  // Pointer on the skirt, then the grip's shadow falling across it away from the light.
  surface.Bar(AtAngle(cx, cy, gripR - 1, angle), AtAngle(cx, cy, R - 1.3, angle), 0.095 * R, palette::kPointer);
  surface.Paint([&](Surface& m) { m.Disc(cx + 0.5, cy + 0.9, gripR + 0.8, Rgb(0, 0, 0)); },
                [](double, double) { return Rgb(0, 0, 0); }, 0.45f);

  // Grip: a knurled ring whose teeth turn with the knob.
  surface.Paint(
      [&](Surface& m) {
        m.Disc(cx, cy, gripR - 0.5, Rgb(255, 255, 255));
        for (int i = 0; i < kFlutes; ++i) {
          const double a = angle + (i + 0.5) * 2 * kPi / kFlutes, half = 0.32 * kPi / kFlutes;
          m.Polygon({AtAngle(cx, cy, gripR - 2, a - 1.5 * half), AtAngle(cx, cy, gripR + 0.4, a - half),
                     AtAngle(cx, cy, gripR + 0.4, a + half), AtAngle(cx, cy, gripR - 2, a + 1.5 * half)},
                    Rgb(255, 255, 255));
        }
      },
      [&](double x, double y) {
        const Polar p(x, y, cx, cy);
        const double facing = std::cos(p.angle - kLightAngle);
        const double flute = std::cos(kFlutes * (p.angle - angle) + kPi);
        double k = 1.0 + 0.5 * facing + (0.35 + 0.25 * facing) * flute;
        k *= 0.8 + 0.35 * SmoothStep(gripR, capR, p.r);
        return Scale(palette::kKnobGrip, k);
      });

  // Cap: machined aluminium with conic reflections that stay with the light, and a bevelled edge.
  surface.Disc(cx + 0.3, cy + 0.5, capR + 0.6, palette::kShadow, 0.5f);
  surface.Paint(disc(capR), [&](double x, double y) {
    const Polar p(x, y, cx, cy);
    const double a = p.angle - kLightAngle;
    double k = 0.82 + 0.18 * std::cos(2 * a) + 0.06 * std::cos(6 * a + 0.4);
    k += 0.025 * std::sin(p.r * 5.3) * (0.5 + 0.5 * std::cos(2 * a));
    const double bevel = SmoothStep(capR - 1.6, capR - 0.4, p.r);
    k += bevel * (0.35 * std::cos(a) - 0.05);
    k *= 1.0 - 0.25 * SmoothStep(capR - 0.7, capR, p.r);
    return Scale(palette::kAluminium, k);
  });

  // Pointer engraved in the cap, from near the centre to the bevel.
  surface.Bar(AtAngle(cx, cy, 0.16 * R, angle), AtAngle(cx, cy, capR - 1.3, angle), 0.075 * R, palette::kEngraving);
}

}  // namespace

double KnobRadius(const PanelImage& knob) { return knob.frameWidth * 0.36; }

std::unique_ptr<LICE_MemBitmap> DrawKnobStrip(const PanelImage& knob) {
  auto strip = std::make_unique<LICE_MemBitmap>(knob.frameWidth, knob.frameHeight * knob.frames);
  const double cx = knob.frameWidth / 2.0, cy = knob.frameHeight / 2.0;
  for (int k = 0; k < knob.frames; ++k) {
    Surface frame(knob.frameWidth, knob.frameHeight, kFineScale);
    const double degrees = -PanelLayout::kKnobSweepDegrees / 2 + PanelLayout::kKnobSweepDegrees * k / (knob.frames - 1);
    DrawKnob(frame, cx, cy, KnobRadius(knob), degrees * kPi / 180);
    const auto image = frame.Resolve();
    LICE_Blit(strip.get(), image.get(), 0, k * knob.frameHeight, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  }
  return strip;
}

}  // namespace kestrune::panelart
