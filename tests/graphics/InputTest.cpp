// Input routing: capture and release, the topmost hit, hidden and greyed controls, relative drags,
// double clicks, the wheel, keys and the key catcher, hover, the parameter under a point, and the
// host's gesture brackets around every user change, also over random event streams.

#include <gtest/gtest.h>

#include <random>

#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

using Calls = std::vector<std::string>;
using Events = std::vector<HostEvent>;

const HostEvent Begin(int idx)
{
  return {HostEvent::kBegin, idx, 0.0};
}
const HostEvent Automate(int idx, double v)
{
  return {HostEvent::kAutomate, idx, v};
}
const HostEvent End(int idx)
{
  return {HostEvent::kEnd, idx, 0.0};
}

class Input : public EditorTest
{
protected:
  Input()
  {
    back = AddProbe(IRECT(0, 0, kWidth, kHeight));
    knob = AddProbe(IRECT(10, 10, 30, 60), kGain);
    // Binary fractions, so that every value the host hears is exact.
    knob->dragStep = -0.0625;
    knob->wheelStep = 0.125;
    top = AddProbe(IRECT(20, 20, 50, 40), kSteps);
    editor->SetParameterFromPlug(kGain, 0.5, true);
  }

  ProbeControl *back, *knob, *top;
  IMouseMod left{true};
};

TEST_F(Input, APressCapturesAndTheDragAndReleaseFollowTheControlWhereverTheyGo)
{
  editor->OnMouseDown(15, 50, &left);
  EXPECT_EQ(editor->GetMouseCapture(), 1);
  editor->OnMouseDrag(15, 48, &left);
  editor->OnMouseDrag(100, 46, &left);
  editor->OnMouseUp(110, 80, &left);
  EXPECT_EQ(knob->calls, (Calls{"down 15 50 L", "drag 15 48 0 -2", "drag 100 46 85 -2", "up 110 80"}));
  EXPECT_TRUE(back->calls.empty());
  EXPECT_EQ(editor->GetMouseCapture(), -1);
  EXPECT_EQ(plug.Events(), (Events{Begin(kGain), Automate(kGain, 0.625), Automate(kGain, 0.75), End(kGain)}));

  // The background has no parameter: it is captured but the host hears nothing.
  plug.ClearEvents();
  editor->OnMouseDown(100, 80, &left);
  EXPECT_EQ(editor->GetMouseCapture(), 0);
  editor->OnMouseUp(100, 80, &left);
  EXPECT_EQ(back->calls, (Calls{"down 100 80 L", "up 100 80"}));
  EXPECT_TRUE(plug.Events().empty());

  // A press on nothing at all is dropped, and so is a drag without capture.
  editor->OnMouseDown(-5, -5, &left);
  editor->OnMouseDrag(3, 3, &left);
  EXPECT_EQ(editor->GetMouseCapture(), -1);
  EXPECT_EQ(back->calls.size(), 2u);
}

TEST_F(Input, DragsAreRelativeToTheLastDragAndRepeatedPositionsAreDropped)
{
  editor->OnMouseDown(12, 12, &left);
  editor->OnMouseDrag(12, 12, &left);
  editor->OnMouseDrag(14, 13, &left);
  editor->OnMouseDrag(14, 13, &left);
  editor->OnMouseDrag(10, 20, &left);
  EXPECT_EQ(knob->calls, (Calls{"down 12 12 L", "drag 14 13 2 1", "drag 10 20 -4 7"}));
  EXPECT_EQ(editor->GetMouseX(), 10);
  EXPECT_EQ(editor->GetMouseY(), 20);
}

TEST_F(Input, TheTopmostVisibleEnabledControlIsHit)
{
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25), 2);
  EXPECT_EQ(editor->GetMouseControlIdx(15, 50), 1);
  EXPECT_EQ(editor->GetMouseControlIdx(100, 80), 0);
  EXPECT_EQ(editor->GetMouseControlIdx(kWidth, 0), -1);
  top->Hide(true);
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25), 1);
  top->Hide(false);
  top->GrayOut(true);
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25), 1);
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25, true), 1);
  top->SetMOWhenGrayed(true);
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25), 1);
  EXPECT_EQ(editor->GetMouseControlIdx(25, 25, true), 2);
  // The target area decides, not the drawing rectangle.
  knob->SetTargetArea(IRECT(60, 60, 70, 70));
  EXPECT_EQ(editor->GetMouseControlIdx(15, 50), 0);
  EXPECT_EQ(editor->GetMouseControlIdx(65, 65), 1);
}

TEST_F(Input, HiddenAndGreyedControlsReceiveNoInputAndHoverOnlyWhenFlagged)
{
  top->Hide(true);
  knob->GrayOut(true);
  editor->HandleMouseOver(true);
  editor->OnMouseDown(25, 25, &left);
  editor->OnMouseUp(25, 25, &left);
  editor->OnMouseWheel(25, 25, &left, 1);
  editor->OnMouseDblClick(25, 25, &left);
  editor->OnMouseOver(25, 25, nullptr);
  EXPECT_TRUE(top->calls.empty());
  EXPECT_TRUE(knob->calls.empty());
  EXPECT_EQ(back->calls.size(), 5u);
  knob->SetMOWhenGrayed(true);
  editor->OnMouseOver(15, 15, nullptr);
  EXPECT_EQ(knob->calls, (Calls{"over 15 15"}));
  EXPECT_TRUE(plug.Events().empty());
}

TEST_F(Input, HoverIsOffByDefaultAndOnItTellsTheControlLeftBehind)
{
  EXPECT_FALSE(editor->OnMouseOver(15, 15, nullptr));
  EXPECT_TRUE(knob->calls.empty());
  EXPECT_EQ(editor->GetMouseOver(), -1);

  editor->HandleMouseOver(true);
  EXPECT_TRUE(editor->OnMouseOver(15, 15, nullptr));
  EXPECT_TRUE(editor->OnMouseOver(16, 15, nullptr));
  EXPECT_TRUE(editor->OnMouseOver(25, 25, nullptr));
  EXPECT_EQ(knob->calls, (Calls{"over 15 15", "over 16 15", "out"}));
  EXPECT_EQ(top->calls, (Calls{"over 25 25"}));
  EXPECT_EQ(editor->GetMouseOver(), 2);
  editor->OnMouseOut();
  EXPECT_EQ(editor->GetMouseOver(), -1);
  EXPECT_EQ(top->calls.back(), "out");
  EXPECT_EQ(back->calls, (Calls{"out"}));
}

TEST_F(Input, DoubleClicksResetAsGesturesOrPressForControlsThatTakeThemAsPresses)
{
  knob->callBase = true;
  knob->SetValueFromUserInput(0.9);
  plug.ClearEvents();
  editor->OnMouseDblClick(15, 15, &left);
  EXPECT_EQ(knob->calls, (Calls{"dbl 15 15"}));
  EXPECT_EQ(editor->GetMouseCapture(), -1);
  EXPECT_EQ(plug.Events(), (Events{Begin(kGain), Automate(kGain, 0.5), End(kGain)}));

  plug.ClearEvents();
  knob->calls.clear();
  knob->callBase = false;
  knob->SetDblAsSingleClick(true);
  editor->OnMouseDblClick(15, 15, &left);
  EXPECT_EQ(editor->GetMouseCapture(), 1);
  editor->OnMouseDrag(15, 5, &left);
  editor->OnMouseUp(15, 5, &left);
  EXPECT_EQ(knob->calls, (Calls{"down 15 15 L", "drag 15 5 0 -10", "up 15 5"}));
  EXPECT_EQ(plug.Events(), (Events{Begin(kGain), Automate(kGain, 1.0), End(kGain)}));
}

TEST_F(Input, TheWheelTurnsTheControlUnderThePointerOrTheCapturedOneAsOneGesture)
{
  editor->OnMouseWheel(15, 15, nullptr, 2);
  EXPECT_EQ(plug.Events(), (Events{Begin(kGain), Automate(kGain, 0.75), End(kGain)}));
  plug.ClearEvents();
  // During a drag the wheel goes to the captured control inside the drag's gesture.
  editor->OnMouseDown(15, 15, &left);
  editor->OnMouseWheel(100, 80, nullptr, -1);
  editor->OnMouseUp(15, 15, &left);
  EXPECT_EQ(knob->calls.back(), "up 15 15");
  EXPECT_EQ(plug.Events(), (Events{Begin(kGain), Automate(kGain, 0.625), End(kGain)}));
  editor->OnMouseWheel(-1, -1, nullptr, 1);
  EXPECT_EQ(plug.Events().size(), 3u);
}

TEST_F(Input, KeysGoToTheControlUnderThePointerElseToTheKeyCatcher)
{
  EXPECT_FALSE(editor->OnKeyDown(15, 15, KEY_SPACE));
  knob->takesKeys = true;
  EXPECT_TRUE(editor->OnKeyDown(15, 15, KEY_UPARROW));
  EXPECT_EQ(knob->calls, (Calls{"key 0", "key 1"}));
  // Over the background or nothing, without a key catcher, nobody takes the key.
  EXPECT_FALSE(editor->OnKeyDown(100, 80, KEY_ALPHA_A));
  EXPECT_FALSE(editor->OnKeyDown(-1, -1, KEY_ALPHA_A));
  EXPECT_TRUE(back->calls.empty());

  ProbeControl* pCatcher = new ProbeControl(&plug, IRECT());
  editor->AttachKeyCatcher(pCatcher);
  EXPECT_FALSE(editor->OnKeyDown(100, 80, KEY_DIGIT_0));
  pCatcher->takesKeys = true;
  EXPECT_TRUE(editor->OnKeyDown(-1, -1, KEY_ALPHA_Z));
  EXPECT_EQ(pCatcher->calls, (Calls{"key 5", "key 40"}));
  // A key caught by a control never reaches the catcher.
  EXPECT_TRUE(editor->OnKeyDown(15, 15, KEY_DIGIT_9));
  EXPECT_EQ(pCatcher->calls.size(), 2u);
  editor->AttachKeyCatcher(new ProbeControl(&plug, IRECT()));
}

TEST_F(Input, TheParameterUnderAPointIsRememberedUntilAsked)
{
  EXPECT_EQ(editor->GetParamIdxForPTAutomation(100, 80), -1);
  EXPECT_EQ(editor->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(editor->GetLastClickedParamForPTAutomation(), -1);
  EXPECT_EQ(editor->GetParamIdxForPTAutomation(25, 25), kSteps);
  EXPECT_EQ(editor->GetParamIdxForPTAutomation(-3, 2), -1);
  EXPECT_EQ(editor->GetParamIdxForPTAutomation(15, 50), kGain);
  EXPECT_EQ(editor->GetLastClickedParamForPTAutomation(), kGain);
  EXPECT_EQ(editor->GetLastClickedParamForPTAutomation(), -1);
}

// Every automation the host hears lies inside a begin and end of its own parameter, and each
// parameter's begins and ends alternate, over random streams of every kind of event and prompt
// answer.
TEST_F(Input, EveryUserChangeIsBracketedByItsGestureOverRandomEventStreams)
{
  top->dragStep = 0.05;
  top->wheelStep = -0.05;
  top->callBase = true;
  top->DisablePrompt(false);
  ProbeControl* pMode = AddProbe(IRECT(60, 10, 90, 30), kMode);
  pMode->callBase = true;
  pMode->DisablePrompt(false);
  pMode->SetDblAsSingleClick(true);
  knob->callBase = true;

  std::mt19937 rng(2024);
  std::uniform_int_distribution<int> kind(0, 7), coord(-5, 100), notch(-3, 3), answer(0, 4);
  const IMouseMod mods[] = {IMouseMod(true), IMouseMod(false, true), IMouseMod(true, false, true)};
  for (int step = 0; step < 4000; ++step)
  {
    IMouseMod mod = mods[step % 3];
    const int x = coord(rng), y = coord(rng);
    switch (answer(rng))
    {
      case 0: editor->QueueAnswer(IGraphicsHeadless::Answer::Choose(answer(rng) % 3)); break;
      case 1: editor->QueueAnswer(IGraphicsHeadless::Answer::Text(std::to_string(coord(rng)).c_str())); break;
      default: break;
    }
    switch (kind(rng))
    {
      case 0: editor->OnMouseDown(x, y, &mod); break;
      case 1: editor->OnMouseUp(x, y, &mod); break;
      case 2:
      case 3: editor->OnMouseDrag(x, y, &mod); break;
      case 4: editor->OnMouseDblClick(x, y, &mod); break;
      case 5: editor->OnMouseWheel(x, y, &mod, notch(rng)); break;
      case 6: editor->OnKeyDown(x, y, KEY_SPACE); break;
      case 7: editor->OnMouseOver(x, y, &mod); break;
    }
  }
  editor->OnMouseUp(0, 0, &left);

  std::vector<bool> open(kNumTestParams, false);
  int automations = 0;
  for (const HostEvent& e : plug.Events())
  {
    ASSERT_TRUE(e.paramIdx >= 0 && e.paramIdx < kNumTestParams);
    switch (e.kind)
    {
      case HostEvent::kBegin:
        ASSERT_FALSE(open[e.paramIdx]) << "begin inside a gesture on " << e.paramIdx;
        open[e.paramIdx] = true;
        break;
      case HostEvent::kAutomate:
        ASSERT_TRUE(open[e.paramIdx]) << "automation outside a gesture on " << e.paramIdx;
        ++automations;
        break;
      case HostEvent::kEnd:
        ASSERT_TRUE(open[e.paramIdx]) << "end without a begin on " << e.paramIdx;
        open[e.paramIdx] = false;
        break;
    }
  }
  EXPECT_EQ(open, std::vector<bool>(kNumTestParams, false));
  EXPECT_GT(automations, 100);
}

} // namespace
} // namespace editor_test
