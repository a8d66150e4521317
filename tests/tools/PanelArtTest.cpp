// The committed panel images: that the generator still draws them, and that they show what the
// editor relies on (knob angles, transparency, switch states, the address in the link area).

#include "tools/kestrune-panel-art/PanelArt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rasterizer/lice_membitmap.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_png.h"
#include "tools/kestrune-panel-art/PngEncoder.h"

namespace {

using namespace kestrune::panelart;

constexpr double kPi = 3.14159265358979323846;

std::string CommittedFolder() {
  const char* source = std::getenv("KESTRUNE_SOURCE_DIR");
  return std::string(source ? source : ".") + "/resources/img";
}

double Luma(LICE_pixel p) { return 0.3 * LICE_GETR(p) + 0.59 * LICE_GETG(p) + 0.11 * LICE_GETB(p); }

// Pixel (x, y) of frame `frame` of a vertical strip; x and y are rounded down.
LICE_pixel FramePixel(LICE_IBitmap* strip, const PanelImage& place, int frame, double x, double y) {
  return LICE_GetPixel(strip, int(std::floor(x)), frame * place.frameHeight + int(std::floor(y)));
}

class CommittedPanelArt : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    art_ = new PanelArt;
    ASSERT_TRUE(ReadPanelArt(CommittedFolder(), *art_, error_)) << error_;
  }
  static void TearDownTestSuite() {
    delete art_;
    art_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(art_, nullptr); }

  static PanelArt* art_;
  static std::string error_;
};
PanelArt* CommittedPanelArt::art_ = nullptr;
std::string CommittedPanelArt::error_;

const PanelImage* const kKnobs[] = {&PanelLayout::kOut, &PanelLayout::kHi, &PanelLayout::kLo};

// The generator draws the same pixels on every run; the committed images must be its output.
// A channel may differ by one step: the C library's trigonometry may round its last bit
// differently on another processor, which can move a rounded channel value by one.
TEST_F(CommittedPanelArt, TheGeneratorRedrawsEveryImage) {
  PanelArt drawn;
  std::string error;
  ASSERT_TRUE(DrawPanelArt(drawn, error)) << error;
  for (const PanelImage& place : PanelLayout::kImages) {
    LICE_IBitmap *committed = art_->For(place), *redrawn = drawn.For(place);
    ASSERT_EQ(redrawn->getWidth(), committed->getWidth()) << place.name;
    ASSERT_EQ(redrawn->getHeight(), committed->getHeight()) << place.name;
    int differing = 0, worst = 0;
    for (int y = 0; y < committed->getHeight(); ++y) {
      for (int x = 0; x < committed->getWidth(); ++x) {
        const LICE_pixel a = LICE_GetPixel(committed, x, y), b = LICE_GetPixel(redrawn, x, y);
        if (a == b) continue;
        ++differing;
        for (int shift : {0, 8, 16, 24}) worst = std::max(worst, std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)));
      }
    }
    EXPECT_LE(worst, 1) << place.name << ": " << differing << " pixels differ from what the generator draws; run make panel-art";
  }
}

// The knob's radius in a frame: the distance from the frame's centre, along angle, at which the
// alpha falls below one half.
double EdgeRadius(LICE_IBitmap* strip, const PanelImage& knob, int frame, double angle) {
  const double cx = knob.frameWidth / 2.0, cy = knob.frameHeight / 2.0;
  for (double r = 0; r < knob.frameWidth / 2.0; r += 0.25) {
    if (LICE_GETA(FramePixel(strip, knob, frame, cx + r * std::sin(angle), cy - r * std::cos(angle))) < 128) return r;
  }
  return knob.frameWidth / 2.0;
}

TEST_F(CommittedPanelArt, KnobFramesAreRoundOpaqueKnobsOnTransparencyWithSoftEdges) {
  for (const PanelImage* knob : kKnobs) {
    LICE_IBitmap* strip = art_->For(*knob);
    const double reference = EdgeRadius(strip, *knob, 0, 0.0);
    EXPECT_GT(reference, knob->frameWidth * 0.25) << knob->name;
    for (int frame = 0; frame < knob->frames; ++frame) {
      const int w = knob->frameWidth, h = knob->frameHeight;
      for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(LICE_GETA(FramePixel(strip, *knob, frame, x, y)), 0u) << knob->name << " frame " << frame;
      EXPECT_EQ(LICE_GETA(FramePixel(strip, *knob, frame, w / 2.0, h / 2.0)), 255u);

      for (int ray = 0; ray < 16; ++ray) {
        const double angle = ray * kPi / 8;
        // Centred and round, in every frame alike: the knob turns in place.
        EXPECT_NEAR(EdgeRadius(strip, *knob, frame, angle), reference, 0.8)
            << knob->name << " frame " << frame << " ray " << ray;
        // The rim blends into the background through partly covered pixels.
        bool softened = false;
        for (double r = reference - 2; r < reference + 2; r += 0.25) {
          const unsigned a = LICE_GETA(
              FramePixel(strip, *knob, frame, w / 2.0 + r * std::sin(angle), h / 2.0 - r * std::cos(angle)));
          softened |= a > 10 && a < 245;
        }
        EXPECT_TRUE(softened) << knob->name << " frame " << frame << " ray " << ray;
      }
    }
  }
}

TEST_F(CommittedPanelArt, EveryKnobFramePointsWhereItsValueSits) {
  for (const PanelImage* knob : kKnobs) {
    LICE_IBitmap* strip = art_->For(*knob);
    const double cx = knob->frameWidth / 2.0, cy = knob->frameHeight / 2.0;
    const double radius = EdgeRadius(strip, *knob, 0, 0.0);
    auto at = [&](int frame, double r, double angle) {
      return FramePixel(strip, *knob, frame, cx + r * std::sin(angle), cy - r * std::cos(angle));
    };
    for (int frame = 0; frame < knob->frames; ++frame) {
      // 270 degrees in 30 steps, clockwise from 7:30 to 4:30.
      const double angle = (-135.0 + 270.0 * frame / 30) * kPi / 180;
      const LICE_pixel skirt = at(frame, 0.85 * radius, angle);
      EXPECT_GT(Luma(skirt), 170) << knob->name << " frame " << frame << ": no cream pointer on the skirt";
      for (double aside : {-25.0, 25.0})
        EXPECT_LT(Luma(at(frame, 0.85 * radius, angle + aside * kPi / 180)), 90) << knob->name << " frame " << frame;
      // The line engraved in the cap points the same way, and not the other.
      const double engraved = Luma(at(frame, 0.3 * radius, angle));
      EXPECT_LT(engraved, 70) << knob->name << " frame " << frame;
      EXPECT_GT(Luma(at(frame, 0.3 * radius, angle + kPi)), engraved + 40) << knob->name << " frame " << frame;
    }
  }
}

TEST_F(CommittedPanelArt, SwitchFramesAreOpaqueAndMeetTheBackgroundSeamlessly) {
  LICE_IBitmap* background = art_->For(PanelLayout::kBackground);
  for (const PanelImage* place : {&PanelLayout::kBypass, &PanelLayout::kCircuit}) {
    LICE_IBitmap* strip = art_->For(*place);
    const int w = place->frameWidth, h = place->frameHeight;
    int differing = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const LICE_pixel off = FramePixel(strip, *place, 0, x, y), on = FramePixel(strip, *place, 1, x, y);
        ASSERT_EQ(LICE_GETA(off), 255u) << place->name;
        ASSERT_EQ(LICE_GETA(on), 255u) << place->name;
        differing += off != on;
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
          const LICE_pixel under = LICE_GetPixel(background, place->x + x, place->y + y);
          EXPECT_EQ(off, under) << place->name << " frame 0 edge at " << x << ", " << y;
          EXPECT_EQ(on, under) << place->name << " frame 1 edge at " << x << ", " << y;
        }
      }
    }
    EXPECT_GT(differing, w * h / 10) << place->name << ": the two positions look alike";
  }
}

TEST_F(CommittedPanelArt, TheBypassLampLightsOnlyWhileBypassed) {
  const PanelImage& bypass = PanelLayout::kBypass;
  auto meanRedAndGreen = [&](int frame) {
    double red = 0, green = 0;
    int n = 0;
    for (int y = bypass.frameHeight / 2 - 8; y <= bypass.frameHeight / 2 + 8; ++y) {
      for (int x = bypass.frameWidth / 2 - 20; x <= bypass.frameWidth / 2 + 20; ++x, ++n) {
        const LICE_pixel p = FramePixel(art_->For(bypass), bypass, frame, x, y);
        red += LICE_GETR(p);
        green += LICE_GETG(p);
      }
    }
    return std::pair{red / n, green / n};
  };
  const auto [darkRed, darkGreen] = meanRedAndGreen(0);
  const auto [litRed, litGreen] = meanRedAndGreen(1);
  EXPECT_LT(darkRed, 110);
  EXPECT_GT(litRed, 200);
  EXPECT_GT(litRed - litGreen, 80) << "the lit lamp should read as red";
  EXPECT_GT(litRed, darkRed + 100);

  // Both states carry the BYPASS lettering: pixels across the cap's middle row stand out from
  // the cap around them, bright on the lit lamp.
  for (int frame : {0, 1}) {
    int lettered = 0;
    for (int x = bypass.frameWidth / 2 - 20; x <= bypass.frameWidth / 2 + 20; ++x) {
      const LICE_pixel p = FramePixel(art_->For(bypass), bypass, frame, x, bypass.frameHeight / 2.0);
      lettered += frame == 1 ? LICE_GETG(p) > 200 : LICE_GETG(p) > 80;
    }
    EXPECT_GT(lettered, 6) << "frame " << frame << " shows no lettering";
  }
}

TEST_F(CommittedPanelArt, TheCircuitLeverPointsDownForPlainAndUpForBright) {
  const PanelImage& circuit = PanelLayout::kCircuit;
  const double cx = circuit.frameWidth / 2.0, cy = circuit.frameHeight / 2.0;
  LICE_IBitmap* strip = art_->For(circuit);
  // Along the lever's axis, 16 to 28 pixels from the pivot: polished chrome where the lever is.
  for (double d = 16; d <= 28; d += 2) {
    EXPECT_GT(Luma(FramePixel(strip, circuit, 0, cx, cy + d)), 150) << "plain: lever down, at " << d;
    EXPECT_LT(Luma(FramePixel(strip, circuit, 0, cx, cy - d)), 100) << "plain: nothing above, at " << d;
    EXPECT_GT(Luma(FramePixel(strip, circuit, 1, cx, cy - d)), 150) << "bright: lever up, at " << d;
    EXPECT_LT(Luma(FramePixel(strip, circuit, 1, cx, cy + d)), 100) << "bright: nothing below, at " << d;
  }
}

TEST_F(CommittedPanelArt, TheWebAddressIsLetteredInsideTheVisibleLinkArea) {
  LICE_IBitmap* background = art_->For(PanelLayout::kBackground);
  // Every bright (lettered) pixel of the nameplate's lower right corner lies in the link area.
  int inside = 0, outside = 0;
  for (int y = 440; y < PanelLayout::kHeight; ++y) {
    for (int x = 300; x < PanelLayout::kWidth; ++x) {
      if (Luma(LICE_GetPixel(background, x, y)) < 120) continue;
      const bool inLink = x >= PanelLayout::kLinkLeft && y >= PanelLayout::kLinkTop;
      (inLink ? inside : outside)++;
    }
  }
  EXPECT_GT(inside, 60) << "no lettering in the link area";
  EXPECT_EQ(outside, 0);
}

TEST(PanelArtFrames, FrameForValueRoundsToTheNearestFrameWithinTheStrip) {
  EXPECT_EQ(FrameForValue(31, 0.0), 0);
  EXPECT_EQ(FrameForValue(31, 0.5), 15);
  EXPECT_EQ(FrameForValue(31, std::sqrt(0.5)), 21);  // 30 x 0.7071 + 0.5 = 21.7
  EXPECT_EQ(FrameForValue(31, 0.49), 15);
  EXPECT_EQ(FrameForValue(31, 1.0), 30);
  EXPECT_EQ(FrameForValue(31, 1.5), 30);
  EXPECT_EQ(FrameForValue(31, -0.5), 0);
  EXPECT_EQ(FrameForValue(2, 0.49), 0);
  EXPECT_EQ(FrameForValue(2, 0.5), 1);
}

TEST(PanelArtPng, EncodedImagesDecodeToTheSamePixelsAndOpaqueOnesCarryNoAlpha) {
  for (bool opaque : {true, false}) {
    LICE_MemBitmap image(13, 7);
    uint32_t state = 12345;
    for (int y = 0; y < 7; ++y) {
      for (int x = 0; x < 13; ++x) {
        state = state * 1664525u + 1013904223u;
        image.getBits()[y * image.getRowSpan() + x] = opaque ? (state | 0xFF000000u) : state;
      }
    }
    const std::vector<uint8_t> png = EncodePng(&image);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png[25], opaque ? 2 : 6) << "PNG colour type";
    std::unique_ptr<LICE_IBitmap> decoded(LICE_LoadPNGFromMemory(png.data(), int(png.size())));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(LICE_BitmapCmp(&image, decoded.get()), 0) << (opaque ? "opaque" : "with alpha");
    EXPECT_EQ(EncodePng(decoded.get()), png) << "the same pixels must give the same bytes";
  }
}

}  // namespace
