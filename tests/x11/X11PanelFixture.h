#pragma once

// What the X11 editor tests share: the test panel opened in the X11 test host, the same panel on
// the headless host as the reference, and comparisons of what the screen shows and what the host
// was told.

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <tuple>
#include <vector>

#include "platform/headless/IGraphicsHeadless.h"
#include "platform/x11/IGraphicsX11.h"
#include "tests/graphics/EditorTestKit.h"
#include "tests/x11/X11TestHost.h"
#include "tests/x11/X11TestPanel.h"
#include "tests/x11/XvfbServer.h"

namespace x11_test {

// The panel on the headless host, driven by calling the editor as the X11 view is meant to.
struct Reference
{
  kestrune_test::TestHost vst;
  IGraphicsHeadless* editor = nullptr;

  Reference();
  // The frame with every dirty control drawn.
  editor_test::Picture Frame();
};

// The X11 panel in the test host (not opened yet).
struct Panel
{
  X11TestHost host;
  IGraphicsX11* editor = nullptr;

  explicit Panel(const char* display = nullptr);
  // effEditOpen answered 1.
  bool Open();
  // Idles until no control waits to be drawn (everything shown).
  bool Settle();
  float Param(int idx) { return host.Vst().GetParameter(idx); }
};

// The screen's value of a rasteriser pixel on a 24-bit TrueColor screen and on a 16-bit (5-6-5) one.
uint32_t OnScreen24(LICE_pixel p);
uint32_t OnScreen16(LICE_pixel p);

// Whether the grabbed screen shows frame, pixel for pixel.
::testing::AssertionResult SameScreen(const std::vector<uint32_t>& screen, const editor_test::Picture& frame,
                                      uint32_t (*onScreen)(LICE_pixel) = OnScreen24);

// The gesture calls the host received, in order: begin edit, automate (with value), end edit.
std::vector<std::tuple<int, int, float>> Gestures(const kestrune_test::TestHost& vst);
size_t CountOf(const kestrune_test::TestHost& vst, int32_t opcode);

// Children of window (-1 when it is not a window).
int ChildCount(Display* display, Window window);

// Tests against the shared server of the process.
class X11EditorTest : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_NE(XvfbServer::Shared(), nullptr) << "Xvfb did not start"; }
};

} // namespace x11_test
