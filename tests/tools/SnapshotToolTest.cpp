// kestrune-render --snapshot: the editor drawn by a module that answers the snapshot request, read
// back from an X11 window for one that does not, and what cannot be drawn or written.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "rasterizer/lice_png.h"
#include "rasterizer/lice_pixelops.h"
#include "tests/tools/ToolRunner.h"
#include "tests/x11/XvfbServer.h"

using namespace kestrune_test;

namespace {

// The test module's editor: red rises along x, green along y, blue is Shade.
constexpr int kEditorWidth = 180;
constexpr int kEditorHeight = 100;

LICE_pixel ExpectedPixel(int x, int y, double shade) {
  return LICE_RGBA(static_cast<unsigned>(x * 255 / (kEditorWidth - 1)), static_cast<unsigned>(y * 255 / (kEditorHeight - 1)),
                   static_cast<unsigned>(std::lround(shade * 255.0)), 255);
}

class SnapshotTool : public ::testing::Test {
 protected:
  ToolResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return RunTool(args, scratch.Path(), env);
  }

  // The picture holds the test module's editor at shade, pixel for pixel.
  void ExpectEditorAt(const std::string& name, double shade) {
    std::unique_ptr<LICE_IBitmap> picture(LICE_LoadPNG(scratch.File(name).c_str()));
    ASSERT_NE(picture, nullptr) << name;
    ASSERT_EQ(picture->getWidth(), kEditorWidth);
    ASSERT_EQ(picture->getHeight(), kEditorHeight);
    int wrong = 0;
    for (int y = 0; y < kEditorHeight; ++y) {
      for (int x = 0; x < kEditorWidth; ++x) {
        const LICE_pixel got = LICE_GetPixel(picture.get(), x, y), expected = ExpectedPixel(x, y, shade);
        if (got != expected && wrong++ < 5) ADD_FAILURE() << std::hex << got << " for " << expected << " at " << std::dec << x << ", " << y;
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  ScratchFolder scratch;
};

}  // namespace

TEST_F(SnapshotTool, ModuleDrawsItsEditorAtTheSettingsGivenAndThePictureIsOpaque) {
  const ToolResult r = Run({"--plugin", PAINTED_EDITOR_EFFECT_PATH, "--set", "Shade=norm:0.6", "--snapshot", "s.png"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Drew the editor (180 x 100, drawn by the module) -> s.png"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Rendered"), std::string::npos) << "a picture alone renders no demo: " << r.out;
  ExpectEditorAt("s.png", 0.6);
}

TEST_F(SnapshotTool, AnEditorThatOnlyDrawsInAWindowIsReadBackFromAnX11Window) {
  x11_test::XvfbServer server;
  if (!server.IsRunning()) GTEST_SKIP() << "Xvfb cannot be started";
  const ToolResult r = Run({"--plugin", X11_EDITOR_EFFECT_PATH, "--set", "Shade=norm:0.8", "--snapshot", "x.png"},
                           {"DISPLAY=" + server.Name()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Drew the editor (180 x 100, read from an X11 window) -> x.png"), std::string::npos) << r.out;
  ExpectEditorAt("x.png", 0.8);
}

TEST_F(SnapshotTool, RefusesWhatCannotBeDrawnOrWrittenAndLeavesNoFile) {
  const std::vector<std::string> before = scratch.Entries();
  auto expectFailure = [&](const std::vector<std::string>& args, const std::vector<std::string>& env,
                           const std::string& message) {
    const ToolResult r = Run(args, env);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(scratch.Entries(), before);
  };
  const std::string png = scratch.File("s.png");
  expectFailure({"--plugin", CHANNEL_FILTER_EFFECT_PATH, "--snapshot", png}, {},
                "cannot take a picture of the editor for \"" + png +
                    "\": the plug-in has no editor, so there is no picture of it to take");
  expectFailure({"--plugin", X11_EDITOR_EFFECT_PATH, "--snapshot", png}, {"DISPLAY="},
                "the plug-in draws its editor only in a window, and DISPLAY is not set");
  expectFailure({"--plugin", X11_EDITOR_EFFECT_PATH, "--snapshot", png}, {"DISPLAY=:4093"},
                "cannot open the X display \":4093\"");
  expectFailure({"--plugin", PAINTED_EDITOR_EFFECT_PATH, "--snapshot", png}, {"KESTRUNE_PAINTED_EDITOR=huge"},
                "the plug-in gives its editor a size of 1048576 x 100 pixels, which cannot be drawn");
  expectFailure({"--plugin", PAINTED_EDITOR_EFFECT_PATH, "--snapshot", png}, {"KESTRUNE_PAINTED_EDITOR=sizeonly"},
                "the plug-in gave the size of its editor but then did not draw it");
  expectFailure({"--plugin", PAINTED_EDITOR_EFFECT_PATH, "--snapshot", scratch.File("missing/s.png")}, {},
                "cannot write \"" + scratch.File("missing/s.png") + "\"");
  expectFailure({"--plugin", PAINTED_EDITOR_EFFECT_PATH, "--snapshot", scratch.Path()}, {}, "names a folder");
}
