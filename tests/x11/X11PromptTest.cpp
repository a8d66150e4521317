// The editor's own pop-up menu and text field in a real X server: chosen by keys and by the mouse,
// cancelled without a trace (no change, no grab left behind, every gesture ended), and the text
// field's character rules.

#include "tests/x11/X11PanelFixture.h"

#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/x11/X11View.h"

namespace x11_test {
namespace {

using editor_test::kMode;
using editor_test::kSteps;

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return done();
}

// Runs script on a connection of its own while the host's thread is inside the editor (a menu
// runs modally inside effEditIdle). A menu the script left open (it failed) is cancelled, so that
// the host's thread comes back.
class Driver
{
public:
  explicit Driver(std::function<void(XTestInput&)> script)
    : mThread([this, script] {
        XTestInput input;
        script(input);
        if (!WaitUntil([&] { return input.Popups().empty(); }, 3000))
        {
          ADD_FAILURE() << "the menu stayed open";
          input.TapKey(XK_Escape);
        }
        mDone = true;
      })
  {
  }
  ~Driver() { mThread.join(); }
  bool Done() const { return mDone; }

private:
  std::atomic<bool> mDone{false};
  std::thread mThread;
};

// Whether another client can grab the pointer and the keyboard now (it lets them go at once).
bool OthersCanGrab(Display* display)
{
  const Window root = DefaultRootWindow(display);
  const bool pointer = XGrabPointer(display, root, False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None, None,
                                    CurrentTime) == GrabSuccess;
  const bool keyboard = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  XUngrabPointer(display, CurrentTime);
  XUngrabKeyboard(display, CurrentTime);
  XSync(display, False);
  return pointer && keyboard;
}

// The menu once it is shown and holds the grabs (empty when none came).
std::vector<XTestInput::Popup> WaitForMenu(XTestInput& input)
{
  const std::vector<XTestInput::Popup> popups = input.WaitForPopups(1);
  if (popups.size() != 1 || !WaitUntil([&] { return !OthersCanGrab(input.GetDisplay()); })) return {};
  return popups;
}

// The middle of item i of a menu of n equal rows inside a one-pixel border.
void MoveToItem(XTestInput& input, const XTestInput::Popup& menu, int i, int n)
{
  input.MoveTo(menu.x + menu.w / 2, menu.y + 1 + (2 * i + 1) * (menu.h - 2) / (2 * n));
}

// The release of the click that opened a menu does not choose: wait until it is long past.
void WaitPastOpeningClick()
{
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

bool GesturesBalanced(const kestrune_test::TestHost& vst)
{
  return CountOf(vst, audioMasterBeginEdit) == CountOf(vst, audioMasterEndEdit);
}

TEST_F(X11EditorTest, MenuChoosesByKeysAndByClickAndCancelsWithoutATrace)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  X11TestHost& host = panel.host;
  kestrune_test::TestHost& vst = host.Vst();
  const int modeX = kModeX + kModeW / 2, modeY = kModeY + kModeH / 2;
  // Opens the menu of the mode control (a click of its own, not the second of a double click) and
  // idles until script is done with it.
  auto runMenu = [&](std::function<void(XTestInput&)> script) {
    host.IdleFor(IGraphicsX11View_vKestrune_vst::kDoubleClickMs + 100);
    host.Click(modeX, modeY);
    Driver driver(std::move(script));
    return host.IdleUntil([&] { return driver.Done(); }, 10000);
  };
  ASSERT_EQ(panel.Param(kMode), 0.f);

  // Keys: Down, Down, Enter chooses the second item ("B"). While the menu is open nobody else can
  // grab (WaitForMenu waits for that).
  ASSERT_TRUE(runMenu([&](XTestInput& input) {
    ASSERT_EQ(WaitForMenu(input).size(), 1u);
    input.TapKey(XK_Down);
    input.TapKey(XK_Down);
    input.TapKey(XK_Return);
  }));
  EXPECT_EQ(panel.Param(kMode), 0.5f);

  // The mouse: releasing over the third item ("C") chooses it.
  ASSERT_TRUE(runMenu([&](XTestInput& input) {
    const auto popups = WaitForMenu(input);
    ASSERT_EQ(popups.size(), 1u);
    WaitPastOpeningClick();
    MoveToItem(input, popups.back(), 2, 3);
    input.Press(1);
    input.Release(1);
  }));
  EXPECT_EQ(panel.Param(kMode), 1.f);
  const size_t automations = CountOf(vst, audioMasterAutomate);
  EXPECT_EQ(vst.CallsWith(audioMasterAutomate).back().opt, 1.f);

  // Escape, and a press outside the menu and the editor (let go only once the menu is gone),
  // cancel: no value changes, the grabs are released, and the press's gesture ends.
  ASSERT_TRUE(runMenu([&](XTestInput& input) {
    ASSERT_EQ(WaitForMenu(input).size(), 1u);
    input.TapKey(XK_Down);
    input.TapKey(XK_Escape);
  }));
  ASSERT_TRUE(runMenu([&](XTestInput& input) {
    const auto popups = WaitForMenu(input);
    ASSERT_EQ(popups.size(), 1u);
    WaitPastOpeningClick();
    MoveToItem(input, popups.back(), 0, 3);
    input.MoveTo(X11TestHost::kWindowX + kPanelW + 100, X11TestHost::kWindowY + kPanelH + 100);
    input.Press(1);
    EXPECT_TRUE(WaitUntil([&] { return input.Popups().empty(); }));
    input.Release(1);
  }));
  host.IdleFor(100);
  EXPECT_EQ(panel.Param(kMode), 1.f);
  EXPECT_EQ(CountOf(vst, audioMasterAutomate), automations);
  EXPECT_TRUE(GesturesBalanced(vst));
  EXPECT_TRUE(host.Input().Popups().empty());
  EXPECT_TRUE(OthersCanGrab(host.Input().GetDisplay()));

  // The editor goes on taking input afterwards.
  host.Click(kSwitchX + kSwitchSize / 2, kSwitchY + kSwitchSize / 2);
  EXPECT_TRUE(host.IdleUntil([&] { return panel.Param(editor_test::kSwitch) == 1.f; }));
}

TEST_F(X11EditorTest, TextFieldTakesDigitsRefusesLettersAndAppliesOnEnterOnly)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  X11TestHost& host = panel.host;
  const int stepsX = kStepsX + kStepsW / 2, stepsY = kStepsY + kStepsH / 2;
  auto openField = [&] {
    host.IdleFor(IGraphicsX11View_vKestrune_vst::kDoubleClickMs + 100);
    host.Click(stepsX, stepsY);
    return host.IdleUntil([&] { return ChildCount(host.GetDisplay(), host.EditorWindow()) == 1; });
  };
  auto fieldClosed = [&] { return ChildCount(host.GetDisplay(), host.EditorWindow()) == 0; };
  ASSERT_EQ(panel.Param(kSteps), 0.3f);

  // The whole text is selected at first; "1", then a letter and a decimal point (refused for an
  // integer), then "0": 10 steps of 0..10 when the refused ones left no trace.
  ASSERT_TRUE(openField());
  for (KeySym key : {XK_1, XK_x, XK_period, XK_0}) host.TapKey(key);
  host.IdleFor(100);
  EXPECT_EQ(panel.Param(kSteps), 0.3f) << "applied before Enter";
  host.TapKey(XK_Return);
  ASSERT_TRUE(host.IdleUntil(fieldClosed));
  EXPECT_EQ(panel.Param(kSteps), 1.f);

  // Escape closes the field without applying what was typed.
  ASSERT_TRUE(openField());
  host.TapKey(XK_5);
  host.TapKey(XK_Escape);
  ASSERT_TRUE(host.IdleUntil(fieldClosed));
  host.IdleFor(100);
  EXPECT_EQ(panel.Param(kSteps), 1.f);
  EXPECT_TRUE(GesturesBalanced(host.Vst()));
}

} // namespace
} // namespace x11_test
