// kestrune-render --snapshot on Kestrune: its panel drawn by the module at the settings given,
// checked against the committed panel images.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_png.h"
#include "tests/tools/ToolRunner.h"

using namespace kestrune_test;

namespace {

constexpr int kPanelWidth = 465;
constexpr int kPanelHeight = 488;

// A control of the panel: the parameter it shows, where its filmstrip's frames are drawn, and the
// filmstrip.
struct PanelControl {
  const char* parameter;
  int x, y;
  const char* image;
  int frames;
};

constexpr PanelControl kControls[] = {
    {"HI", 47, 40, "HI.png", 31},
    {"LO", 326, 40, "LO.png", 31},
    {"OUT", 185, 165, "OUT.png", 31},
    {"Bypass", 194, 317, "by.png", 2},
};

using Picture = std::unique_ptr<LICE_IBitmap>;

Picture Load(const std::string& path) { return Picture(LICE_LoadPNG(path.c_str())); }

}  // namespace

TEST(KestruneSnapshot, EachControlShowsItsSettingsFrameAndNothingElseChanges) {
  ScratchFolder folder;
  const ToolResult plain = RunTool({"--snapshot", "panel.png"}, folder.Path());
  if (plain.err.find("has no editor") != std::string::npos) GTEST_SKIP() << "this Kestrune has no editor yet";
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_NE(plain.out.find("Drew the editor (465 x 488, drawn by the module) -> panel.png"), std::string::npos)
      << plain.out;

  for (const PanelControl& control : kControls) {
    const Picture strip = Load(std::string(KESTRUNE_IMAGES_DIR) + "/" + control.image);
    ASSERT_NE(strip, nullptr) << control.image;
    const int width = strip->getWidth(), height = strip->getHeight() / control.frames;
    Picture pictures[2];
    for (int end = 0; end < 2; ++end) {
      const std::string name = std::string(control.parameter) + std::to_string(end) + ".png";
      const std::string setting = std::string(control.parameter) + "=norm:" + std::to_string(end);
      const ToolResult r = RunTool({"--set", setting, "--snapshot", name}, folder.Path());
      ASSERT_EQ(r.exitCode, 0) << r.err;
      pictures[end] = Load(folder.File(name));
      ASSERT_NE(pictures[end], nullptr);
      ASSERT_EQ(pictures[end]->getWidth(), kPanelWidth);
      ASSERT_EQ(pictures[end]->getHeight(), kPanelHeight);
    }

    // Outside the control the two pictures agree; inside, each shows its end frame wherever that
    // frame is opaque.
    int changedInside = 0, changedOutside = 0, unlikeTheFrame = 0;
    for (int y = 0; y < kPanelHeight; ++y) {
      for (int x = 0; x < kPanelWidth; ++x) {
        const bool inside = x >= control.x && x < control.x + width && y >= control.y && y < control.y + height;
        const bool changed = LICE_GetPixel(pictures[0].get(), x, y) != LICE_GetPixel(pictures[1].get(), x, y);
        (inside ? changedInside : changedOutside) += changed ? 1 : 0;
        if (!inside) continue;
        for (int end = 0; end < 2; ++end) {
          const int frame = end == 0 ? 0 : control.frames - 1;
          const LICE_pixel art = LICE_GetPixel(strip.get(), x - control.x, frame * height + y - control.y);
          if (LICE_GETA(art) == 255 && LICE_GetPixel(pictures[end].get(), x, y) != art) ++unlikeTheFrame;
        }
      }
    }
    EXPECT_EQ(changedOutside, 0) << control.parameter;
    EXPECT_GT(changedInside, width * height / 50) << control.parameter;
    EXPECT_EQ(unlikeTheFrame, 0) << control.parameter;
  }
}
