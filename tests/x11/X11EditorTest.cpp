// The X11 editor host against the headless host: the same editor gives the same pixels, the same
// input gives the same parameter changes and host gestures, and menus, text fields, automation,
// repeated openings and hostile windows and servers behave.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <dirent.h>

#include <atomic>
#include <thread>

#include "platform/headless/IGraphicsHeadless.h"
#include "platform/x11/IGraphicsX11.h"
#include "platform/x11/X11View.h"
#include "tests/x11/X11TestHost.h"
#include "tests/x11/X11TestPanel.h"
#include "tests/x11/XvfbServer.h"

namespace x11_test {
namespace {

using editor_test::kGain;
using editor_test::kMode;
using editor_test::kNeg;
using editor_test::kNumTestParams;
using editor_test::kSteps;
using editor_test::kSwitch;
using editor_test::Picture;
using kestrune_test::HostCall;

// The panel on the headless host, driven by calling the editor as the X11 view is meant to.
struct Reference
{
  kestrune_test::TestHost vst;
  IGraphicsHeadless* editor = nullptr;

  Reference()
  {
    vst.UseEntryPoint(HeadlessPanelEntry);
    vst.Create();
    vst.Start(44100.f, 512);
    editor = static_cast<IGraphicsHeadless*>(PanelPlug::sLast->Editor());
    int token = 0;
    vst.Dispatch(effEditOpen, 0, 0, &token);
  }
  // The frame with every dirty control drawn.
  Picture Frame()
  {
    editor->Tick();
    return editor_test::PictureOf(editor->GetFrame());
  }
};

// The X11 panel in the test host, opened.
struct Panel
{
  X11TestHost host;
  IGraphicsX11* editor = nullptr;

  explicit Panel(const char* display = nullptr) : host(display, X11PanelEntry)
  {
    editor = static_cast<IGraphicsX11*>(PanelPlug::sLast->Editor());
  }
  bool Open() { return host.IsReady() && host.OpenEditor() == 1; }
  // Idles until no control waits to be drawn (everything shown).
  bool Settle()
  {
    return host.IdleUntil([this] {
      IRECT dirty;
      return !editor->IsDirty(&dirty);
    });
  }
  float Param(int idx) { return host.Vst().GetParameter(idx); }
};

// The screen's value of a rasteriser pixel on a 24-bit TrueColor screen and on a 16-bit (5-6-5) one.
uint32_t OnScreen24(LICE_pixel p)
{
  return p & 0xFFFFFFu;
}

uint32_t OnScreen16(LICE_pixel p)
{
  return ((LICE_GETR(p) >> 3) << 11) | ((LICE_GETG(p) >> 2) << 5) | (LICE_GETB(p) >> 3);
}

::testing::AssertionResult SameScreen(const std::vector<uint32_t>& screen, const Picture& frame,
                                      uint32_t (*onScreen)(LICE_pixel))
{
  if (screen.size() != frame.px.size())
    return ::testing::AssertionFailure() << "grabbed " << screen.size() << " pixels, expected " << frame.px.size();
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < screen.size(); ++i)
    if (screen[i] != onScreen(frame.px[i]) && differing++ == 0) first = i;
  if (!differing) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, first at (" << first % frame.w << ", "
                                       << first / frame.w << "): screen " << std::hex << screen[first]
                                       << ", expected " << onScreen(frame.px[first]);
}

// The gesture calls the host received, in order: begin edit, automate (with value), end edit.
std::vector<std::tuple<int, int, float>> Gestures(const kestrune_test::TestHost& vst)
{
  std::vector<std::tuple<int, int, float>> out;
  for (const HostCall& call : vst.Calls())
    if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate || call.opcode == audioMasterEndEdit)
      out.emplace_back(call.opcode, call.index, call.opcode == audioMasterAutomate ? call.opt : 0.f);
  return out;
}

size_t CountOf(const kestrune_test::TestHost& vst, int32_t opcode)
{
  return vst.CallsWith(opcode).size();
}

int OpenFileCount()
{
  int n = 0;
  if (DIR* dir = opendir("/proc/self/fd"))
  {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

int ChildCount(Display* display, Window window)
{
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!window || !XQueryTree(display, window, &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

class X11EditorTest : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_NE(XvfbServer::Shared(), nullptr) << "Xvfb did not start"; }
};

TEST_F(X11EditorTest, WindowShowsTheHeadlessFrameAtEveryValueThroughSharedMemory)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  Reference reference;
  EXPECT_STREQ(panel.editor->GetGUIAPI(), "X11 GUI");

  // Values from the host, identical for both, several times over: each frame must match.
  const float settings[3][kNumTestParams] = {
    {0.5f, 0.3f, 0.f, 0.f, 0.5f}, {0.93f, 1.f, 1.f, 0.5f, 0.1f}, {0.f, 0.6f, 0.f, 1.f, 1.f}};
  for (const auto& values : settings)
  {
    for (int i = 0; i < kNumTestParams; ++i)
    {
      panel.host.Vst().SetParameter(i, values[i]);
      reference.vst.SetParameter(i, values[i]);
    }
    ASSERT_TRUE(panel.Settle());
    EXPECT_TRUE(SameScreen(panel.host.Grab(0, 0, kPanelW, kPanelH), reference.Frame(), OnScreen24));
  }

  // A part of the window covered and uncovered again is painted back.
  Display* display = panel.host.GetDisplay();
  Window cover = XCreateSimpleWindow(display, panel.host.HostWindow(), 30, 20, 120, 90, 0, 0, 0);
  XMapWindow(display, cover);
  XSync(display, False);
  XDestroyWindow(display, cover);
  XSync(display, False);
  const Picture expected = reference.Frame();
  EXPECT_TRUE(panel.host.IdleUntil(
    [&] { return SameScreen(panel.host.Grab(0, 0, kPanelW, kPanelH), expected, OnScreen24); }));
}

TEST(X11EditorDepth16Test, WindowShowsTheHeadlessFrameConvertedToFiveSixFive)
{
  XvfbServer server(16);
  ASSERT_TRUE(server.IsRunning());
  setenv("DISPLAY", server.Name().c_str(), 1);
  Panel panel(server.Name().c_str());
  ASSERT_TRUE(panel.Open());
  Reference reference;
  for (int i = 0; i < kNumTestParams; ++i)
  {
    panel.host.Vst().SetParameter(i, 0.7f);
    reference.vst.SetParameter(i, 0.7f);
  }
  ASSERT_TRUE(panel.Settle());
  EXPECT_TRUE(SameScreen(panel.host.Grab(0, 0, kPanelW, kPanelH), reference.Frame(), OnScreen16));
}

// Every gesture through XTEST and the X11 view, and the same gesture as editor calls on the
// headless host: the parameters and the host's begin / automate / end records must agree.
TEST_F(X11EditorTest, InputChangesParametersAndGesturesAsTheHeadlessHostDoes)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  Reference reference;
  IGraphicsHeadless* ref = reference.editor;
  X11TestHost& host = panel.host;
  kestrune_test::TestHost& vst = host.Vst();
  const int knobX = kKnobX + kKnobSize / 2, knobY = kKnobY + kKnobSize / 2;
  const int switchX = kSwitchX + kSwitchSize / 2, switchY = kSwitchY + kSwitchSize / 2;
  IMouseMod left(true), right(false, true), superLeft(true, true);
  auto waitFor = [&](int32_t opcode, size_t count) {
    return host.IdleUntil([&] { return CountOf(vst, opcode) >= count; });
  };

  // A click on the switch.
  host.Click(switchX, switchY);
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 1));
  ref->OnMouseDown(switchX, switchY, &left);
  ref->OnMouseUp(switchX, switchY, &left);

  // A drag up the knob in three moves, each handled before the next.
  host.MoveTo(knobX, knobY);
  host.Press(1);
  ref->OnMouseDown(knobX, knobY, &left);
  for (int step = 1; step <= 3; ++step)
  {
    host.MoveTo(knobX + step, knobY - 4 * step);
    ASSERT_TRUE(waitFor(audioMasterAutomate, 1 + size_t(step)));
    ref->OnMouseDrag(knobX + step, knobY - 4 * step, &left);
  }
  host.Release(1);
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 2));
  ref->OnMouseUp(knobX + 3, knobY - 12, &left);

  // A wheel notch up and one down (buttons 4 and 5); sideways buttons 6 and 7 do nothing.
  host.MoveTo(knobX, knobY);
  for (unsigned button : {4u, 6u, 7u, 5u})
  {
    host.Press(button);
    host.Release(button);
  }
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 4));
  ref->OnMouseWheel(knobX, knobY, &left, 1);
  ref->OnMouseWheel(knobX, knobY, &left, -1);

  // A double click on the knob, well after the drag's press: back to the default.
  host.IdleFor(IGraphicsX11View_vKestrune_vst::kDoubleClickMs + 100);
  host.Click(knobX, knobY);
  host.Click(knobX, knobY);
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 7));
  ref->OnMouseDown(knobX, knobY, &left);
  ref->OnMouseUp(knobX, knobY, &left);
  ref->OnMouseDblClick(knobX, knobY, &left);
  ref->OnMouseUp(knobX, knobY, &left);

  // Keys over the knob: Up is taken; Q is not (a gesture all the same, as the knob is asked), and
  // reaches the host's window instead.
  host.TapKey(XK_Up);
  host.TapKey(XK_q);
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 9));
  ref->OnKeyDown(knobX, knobY, KEY_UPARROW);
  EXPECT_FALSE(ref->OnKeyDown(knobX, knobY, KEY_ALPHA_A + ('q' - 'a')));
  XEvent forwarded;
  ASSERT_TRUE(host.IdleUntil([&] {
    return XCheckTypedWindowEvent(host.GetDisplay(), host.HostWindow(), KeyPress, &forwarded) == True;
  }));
  EXPECT_TRUE(forwarded.xkey.send_event);
  EXPECT_EQ(XLookupKeysym(&forwarded.xkey, 0), static_cast<KeySym>(XK_q));

  // The right button on the switch (which takes only the left one), and Super with the left
  // button on the knob, which arrives as a right click: the knob asks for a value in a text field,
  // which Escape closes.
  host.Click(switchX, switchY, 3);
  host.IdleFor(IGraphicsX11View_vKestrune_vst::kDoubleClickMs + 100);
  host.Key(XK_Super_L, true);
  host.Click(knobX, knobY, 1);
  host.Key(XK_Super_L, false);
  ASSERT_TRUE(waitFor(audioMasterEndEdit, 11));
  ASSERT_TRUE(host.IdleUntil([&] { return ChildCount(host.GetDisplay(), host.EditorWindow()) == 1; }));
  host.TapKey(XK_Escape);
  ASSERT_TRUE(host.IdleUntil([&] { return ChildCount(host.GetDisplay(), host.EditorWindow()) == 0; }));
  ref->OnMouseDown(switchX, switchY, &right);
  ref->OnMouseUp(switchX, switchY, &right);
  ref->OnMouseDown(knobX, knobY, &superLeft);
  ref->OnMouseUp(knobX, knobY, &superLeft);
  ASSERT_EQ(ref->Prompts().size(), 1u);
  EXPECT_EQ(ref->Prompts()[0].kind, IGraphicsHeadless::Prompt::kTextEntry);

  for (int i = 0; i < kNumTestParams; ++i) EXPECT_EQ(vst.GetParameter(i), reference.vst.GetParameter(i)) << i;
  EXPECT_EQ(Gestures(vst), Gestures(reference.vst));
  EXPECT_EQ(vst.GetParameter(kSwitch), 1.f);

  // Every automation lies inside a begin / end bracket of its parameter.
  int open = -1;
  for (const auto& [opcode, index, value] : Gestures(vst))
  {
    if (opcode == audioMasterBeginEdit) open = index;
    if (opcode == audioMasterAutomate)
    {
      EXPECT_EQ(index, open);
    }
    if (opcode == audioMasterEndEdit) open = -1;
  }

  // And the screens agree afterwards.
  ASSERT_TRUE(panel.Settle());
  EXPECT_TRUE(SameScreen(host.Grab(0, 0, kPanelW, kPanelH), reference.Frame(), OnScreen24));
}

} // namespace
} // namespace x11_test
