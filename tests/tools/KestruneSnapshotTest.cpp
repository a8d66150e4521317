// kestrune-render --snapshot on Kestrune: its panel drawn by the module at the settings given,
// checked against the committed panel images.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_png.h"
#include "tests/tools/ToolRunner.h"

using namespace kestrune_test;

namespace {

constexpr int kPanelWidth = 465;
constexpr int kPanelHeight = 488;

// A control of the panel: the parameter it shows (by name, or by index when it has none), where its
// filmstrip's frames are drawn, and the filmstrip.
struct PanelControl {
  const char* parameter;
  int x, y;
  const char* image;
  int frames;
};

constexpr PanelControl kControls[] = {
    {"HI", 47, 40, "HI.png", 31},     {"LO", 326, 40, "LO.png", 31},  {"OUT", 185, 165, "OUT.png", 31},
    {"Bypass", 194, 317, "by.png", 2}, {"1", 204, 46, "BR.png", 2},
};

using Picture = std::unique_ptr<LICE_IBitmap>;

Picture Load(const std::string& path) { return Picture(LICE_LoadPNG(path.c_str())); }

}  // namespace

TEST(KestruneSnapshot, EachControlShowsItsSettingsFrameAndNothingElseChanges) {
  // Every control at one end of its travel, then at the other.
  ScratchFolder folder;
  Picture pictures[2];
  for (int end = 0; end < 2; ++end) {
    const std::string name = "panel" + std::to_string(end) + ".png";
    std::vector<std::string> args = {"--snapshot", name};
    for (const PanelControl& control : kControls) {
      args.insert(args.end(), {"--set", std::string(control.parameter) + "=norm:" + std::to_string(end)});
    }
    const ToolResult r = RunTool(args, folder.Path());
    if (r.err.find("has no editor") != std::string::npos) GTEST_SKIP() << "this Kestrune has no editor yet";
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Drew the editor (465 x 488, drawn by the module) -> " + name), std::string::npos) << r.out;
    pictures[end] = Load(folder.File(name));
    ASSERT_NE(pictures[end], nullptr);
    ASSERT_EQ(pictures[end]->getWidth(), kPanelWidth);
    ASSERT_EQ(pictures[end]->getHeight(), kPanelHeight);
  }

  // Inside each control the two pictures differ, and each shows its end frame wherever that frame
  // is opaque; outside every control they agree.
  std::vector<bool> insideAny(static_cast<size_t>(kPanelWidth * kPanelHeight), false);
  for (const PanelControl& control : kControls) {
    const Picture strip = Load(std::string(KESTRUNE_IMAGES_DIR) + "/" + control.image);
    ASSERT_NE(strip, nullptr) << control.image;
    const int width = strip->getWidth(), height = strip->getHeight() / control.frames;
    int changed = 0, unlikeTheFrame = 0;
    for (int y = control.y; y < control.y + height; ++y) {
      for (int x = control.x; x < control.x + width; ++x) {
        insideAny[static_cast<size_t>(y * kPanelWidth + x)] = true;
        if (LICE_GetPixel(pictures[0].get(), x, y) != LICE_GetPixel(pictures[1].get(), x, y)) ++changed;
        for (int end = 0; end < 2; ++end) {
          const int frame = end == 0 ? 0 : control.frames - 1;
          const LICE_pixel art = LICE_GetPixel(strip.get(), x - control.x, frame * height + y - control.y);
          if (LICE_GETA(art) == 255 && LICE_GetPixel(pictures[end].get(), x, y) != art) ++unlikeTheFrame;
        }
      }
    }
    EXPECT_GT(changed, width * height / 50) << control.parameter;
    EXPECT_EQ(unlikeTheFrame, 0) << control.parameter;
  }
  int changedOutside = 0;
  for (int y = 0; y < kPanelHeight; ++y) {
    for (int x = 0; x < kPanelWidth; ++x) {
      if (!insideAny[static_cast<size_t>(y * kPanelWidth + x)] &&
          LICE_GetPixel(pictures[0].get(), x, y) != LICE_GetPixel(pictures[1].get(), x, y)) {
        ++changedOutside;
      }
    }
  }
  EXPECT_EQ(changedOutside, 0);
}
