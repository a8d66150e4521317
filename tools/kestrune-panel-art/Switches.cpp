#include "tools/kestrune-panel-art/Switches.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "effect/PanelLayout.h"
#include "rasterizer/lice_areaops.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_pixelops.h"
#include "tools/kestrune-panel-art/Layers.h"
#include "tools/kestrune-panel-art/Palette.h"
#include "tools/kestrune-panel-art/Typography.h"

namespace kestrune::panelart {
namespace {

constexpr int kFineScale = 6;

// The toggle: centre of the bushing, and the lever's length from it.
constexpr double kToggleX = PanelLayout::kCircuit.CentreX(), kToggleY = PanelLayout::kCircuit.CentreY();
constexpr double kLeverLength = 27.0;

// The bypass button: centre, bezel, well and cap sizes.
constexpr double kButtonX = PanelLayout::kBypass.CentreX(), kButtonY = PanelLayout::kBypass.CentreY();
constexpr double kBezelW = 64, kBezelH = 44, kWellW = 54, kWellH = 34, kCapW = 50, kCapH = 30;

constexpr Area AreaOf(const PanelImage& place) { return {place.x, place.y, place.frameWidth, place.frameHeight}; }
constexpr Area kToggleArea = AreaOf(PanelLayout::kCircuit);
constexpr Area kButtonArea = AreaOf(PanelLayout::kBypass);

// Brightness of a surface facing `facing` (1 toward the light at the upper left, -1 away).
double Lit(double facing, double depth) { return 1.0 + depth * facing; }

// Polished chrome on a rounded part of radius r centred at (cx, cy): brighter toward the light,
// with a highlight between the centre and the lit edge.
LICE_pixel Chrome(double x, double y, double cx, double cy, double r) {
  const double facing = ((cx - x) * 0.7 + (cy - y) * 0.7) / r;
  const double k = 0.80 + 0.32 * facing + 0.18 * std::exp(-std::pow((facing - 0.55) * 3.0, 2));
  return Scale(palette::kChrome, k);
}

void DrawToggleHardware(LICE_IBitmap* image) {
  const double cx = kToggleX, cy = kToggleY;
  CastShadow(image, kToggleArea, [&](Surface& m) { m.Disc(cx + 1.5, cy + 2.5, 17.0, Rgb(0, 0, 0)); }, 6, 0.6f);

  Surface s(kToggleArea, kFineScale);
  // Washer: dark anodised, bevelled.
  s.Paint([&](Surface& m) { m.Disc(cx, cy, 17.0, Rgb(255, 255, 255)); },
          [&](double x, double y) {
            const double r = std::hypot(x - cx, y - cy), facing = ((cx - x) + (cy - y)) / (1.414 * std::max(r, 1e-6));
            const double edge = SmoothStep(14.5, 17.0, r);
            return Scale(Rgb(58, 60, 66), Lit(facing, 0.25 + 0.45 * edge));
          });
  // Hex nut: a dark edge, six chamfered facets each lit by the way it faces, and a flat top face.
  auto hexagon = [&](double r) {
    std::vector<Point> corners;
    for (int i = 0; i < 6; ++i) corners.push_back(AtAngle(cx, cy, r, i * kPi / 3));
    return corners;
  };
  s.Polygon(hexagon(13.1), Rgb(30, 31, 34));
  for (int i = 0; i < 6; ++i) {
    const double a0 = i * kPi / 3, a1 = a0 + kPi / 3, mid = a0 + kPi / 6;
    const double facing = std::cos(mid - (-kPi / 4));
    s.Polygon({{cx, cy}, AtAngle(cx, cy, 12.5, a0), AtAngle(cx, cy, 12.5, a1)}, Scale(palette::kChrome, 0.62 + 0.42 * facing));
  }
  s.Paint([&](Surface& m) { m.Polygon(hexagon(10.0), Rgb(255, 255, 255)); },
          [&](double x, double y) { return Chrome(x, y, cx, cy, 13.0); });
  // Bushing and the dark hole the lever comes out of.
  s.Disc(cx + 0.3, cy + 0.5, 7.4, palette::kShadow, 0.5f);
  s.Paint([&](Surface& m) { m.Disc(cx, cy, 7.0, Rgb(255, 255, 255)); },
          [&](double x, double y) { return Chrome(x, y, cx, cy, 7.0); });
  s.Disc(cx, cy, 4.3, Rgb(12, 12, 14));
  DrawOver(image, s);
}

void DrawBezel(LICE_IBitmap* image) {
  const double x = kButtonX - kBezelW / 2, y = kButtonY - kBezelH / 2;
  CastShadow(image, kButtonArea,
             [&](Surface& m) { m.RoundRect(x + 1.5, y + 2.5, kBezelW, kBezelH, 9, Rgb(0, 0, 0)); }, 6, 0.6f);
  Surface s(kButtonArea, kFineScale);
  s.Paint([&](Surface& m) { m.RoundRect(x, y, kBezelW, kBezelH, 9, Rgb(255, 255, 255)); },
          [&](double px, double py) {
            const double v = (py - y) / kBezelH;
            const double edgeTop = SmoothStep(3.0, 0.0, py - y), edgeBottom = SmoothStep(kBezelH - 3.0, kBezelH, py - y);
            double k = 1.25 - 0.45 * v + 0.6 * edgeTop - 0.35 * edgeBottom;
            k *= 1.0 + 0.05 * (Noise(int(px * 2), int(py * 2), 3) - 0.5);
            return Scale(Rgb(56, 58, 64), k);
          });
  s.RoundRect(kButtonX - kWellW / 2, kButtonY - kWellH / 2, kWellW, kWellH, 5, Rgb(8, 8, 9));
  s.RoundRect(kButtonX - kWellW / 2, kButtonY + kWellH / 2 - 1, kWellW, 1, 0, palette::kHighlight, 0.12f);
  DrawOver(image, s);
}

// The toggle's lever, up (bright) or down (plain), with its shadow.
void DrawLever(LICE_IBitmap* image, bool up) {
  const double cx = kToggleX, cy = kToggleY, dir = up ? -1.0 : 1.0;
  const double tipY = cy + dir * kLeverLength;
  auto outline = [&](Surface& m, double dx, double dy) {
    m.Polygon({{cx - 3.4 + dx, cy + dy}, {cx + 3.4 + dx, cy + dy}, {cx + 2.4 + dx, tipY + dy}, {cx - 2.4 + dx, tipY + dy}},
              Rgb(255, 255, 255));
    m.Disc(cx + dx, tipY + dy, 4.4, Rgb(255, 255, 255));
  };
  CastShadow(image, kToggleArea, [&](Surface& m) { outline(m, 2.5, 3.0); }, 3, 0.55f);
  Surface s(kToggleArea, kFineScale);
  s.Paint([&](Surface& m) { outline(m, 0, 0); },
          [&](double x, double y) {
            // A polished cylinder: a bright line left of its axis, dark toward the right edge.
            const double along = std::clamp((y - cy) / (tipY - cy), 0.0, 1.0);
            const double half = 3.4 - 1.0 * along;
            const double u = std::clamp((x - cx) / half, -1.3, 1.3);
            double k = 0.85 + 0.55 * std::exp(-std::pow((u + 0.35) * 2.6, 2)) - 0.35 * std::max(u, 0.0);
            // The ball end catches the light on its upper left.
            const double ball = std::hypot(x - (cx - 1.2), y - (tipY - 1.2));
            if (std::hypot(x - cx, y - tipY) < 4.4) k += 0.5 * std::exp(-ball * ball / 2.5);
            return Scale(palette::kChrome, k);
          });
  DrawOver(image, s);
}

// The bypass cap: dark red glass, or lit with a glow spilling onto the bezel and panel.
void DrawCap(LICE_IBitmap* image, bool lit, const Typesetter& type) {
  const double x = kButtonX - kCapW / 2, y = kButtonY - kCapH / 2;
  if (lit) {
    Surface glow(kButtonArea, 2);
    glow.RoundRect(x - 2, y - 2, kCapW + 4, kCapH + 4, 6, palette::kLampOn);
    std::unique_ptr<LICE_MemBitmap> halo = glow.Resolve();
    LICE_MemBitmap pass(halo->getWidth(), halo->getHeight());
    for (int i = 0; i < 10; ++i) {
      LICE_Blur(&pass, halo.get(), 0, 0, 0, 0, halo->getWidth(), halo->getHeight());
      LICE_Blit(halo.get(), &pass, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
    }
    LICE_Blit(image, halo.get(), kButtonArea.x, kButtonArea.y, nullptr, 0.55f, LICE_BLIT_MODE_ADD | LICE_BLIT_USE_ALPHA);
  }
  Surface s(kButtonArea, kFineScale);
  s.Paint([&](Surface& m) { m.RoundRect(x, y, kCapW, kCapH, 4, Rgb(255, 255, 255)); },
          [&](double px, double py) {
            const double u = (px - kButtonX) / (kCapW / 2), v = (py - kButtonY) / (kCapH / 2);
            const double centre = std::exp(-(u * u * 0.8 + v * v * 1.2));
            const double gloss = SmoothStep(-0.3, -1.0, v) * 0.5;
            LICE_pixel c = lit ? Mix(Rgb(200, 34, 20), Rgb(255, 150, 96), centre * 0.85) : Scale(palette::kLampOff, 0.8 + 0.35 * centre);
            return Mix(c, palette::kHighlight, gloss * (lit ? 0.35 : 0.18));
          });
  type.Draw(s, "BYPASS", typography::kLabel, kButtonX, kButtonY + 3.5, Align::kCentre,
            lit ? Rgb(255, 246, 228) : Rgb(150, 104, 92));
  DrawOver(image, s);
}

std::unique_ptr<LICE_MemBitmap> SwitchStrip(LICE_IBitmap* background, const PanelImage& place,
                                            const std::function<void(LICE_IBitmap*, bool)>& drawMovingPart) {
  auto strip = std::make_unique<LICE_MemBitmap>(place.frameWidth, place.frameHeight * place.frames);
  for (int frame = 0; frame < place.frames; ++frame) {
    LICE_MemBitmap panel(background->getWidth(), background->getHeight());
    LICE_Copy(&panel, background);
    drawMovingPart(&panel, frame == 1);
    LICE_Blit(strip.get(), &panel, 0, frame * place.frameHeight, place.x, place.y, place.frameWidth,
              place.frameHeight, 1.0f, LICE_BLIT_MODE_COPY);
  }
  return strip;
}

}  // namespace

void DrawSwitchHardware(LICE_IBitmap* background) {
  DrawToggleHardware(background);
  DrawBezel(background);
}

std::unique_ptr<LICE_MemBitmap> DrawCircuitSwitch(LICE_IBitmap* background) {
  return SwitchStrip(background, PanelLayout::kCircuit, DrawLever);
}

std::unique_ptr<LICE_MemBitmap> DrawBypassSwitch(LICE_IBitmap* background, const Typesetter& type) {
  return SwitchStrip(background, PanelLayout::kBypass,
                     [&](LICE_IBitmap* image, bool lit) { DrawCap(image, lit, type); });
}

}  // namespace kestrune::panelart
