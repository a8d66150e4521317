// A host automating parameters on a thread of its own while the editor is open and idled on the
// host's user-interface thread: the window shows the final values within two redraw-timer ticks.

#include <atomic>
#include <thread>

#include "tests/x11/X11PanelFixture.h"

namespace x11_test {
namespace {

using editor_test::kNumTestParams;

TEST_F(X11EditorTest, AutomationFromAnotherThreadIsShownWithinTwoTimerTicks)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  Reference reference;
  kestrune_test::TestHost& vst = panel.host.Vst();

  for (int round = 0; round < 4; ++round)
  {
    float final[kNumTestParams];
    for (int i = 0; i < kNumTestParams; ++i) final[i] = float((round * 7 + i * 3) % 11) / 10.f;

    // A sweep through many values, ending on the round's values, while the editor idles.
    std::atomic<bool> done{false};
    std::thread automation([&] {
      for (int step = 0; step <= 300; ++step)
        for (int i = 0; i < kNumTestParams; ++i)
          vst.SetParameter(i, step == 300 ? final[i] : float((step * (i + 1)) % 97) / 96.f);
      done = true;
    });
    panel.host.IdleUntil([&] { return done.load(); }, 10000);
    automation.join();

    const unsigned long ticks = panel.editor->TimerTicks();
    ASSERT_TRUE(panel.host.IdleUntil([&] { return panel.editor->TimerTicks() >= ticks + 2; }));
    for (int i = 0; i < kNumTestParams; ++i) reference.vst.SetParameter(i, final[i]);
    EXPECT_TRUE(SameScreen(panel.host.Grab(0, 0, kPanelW, kPanelH), reference.Frame())) << "round " << round;
  }
}

} // namespace
} // namespace x11_test
