// Value prompts through the headless host's script: enumerated and boolean parameters get a menu
// of their display texts with the current one checked, the others a text field whose answer is
// read as a number; a cancelled prompt changes nothing.

#include <gtest/gtest.h>

#include "graphics/IPopupMenu.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;

class Prompts : public EditorTest
{
protected:
  // A probe bound to paramIdx with prompts on, after the plug-in pushed every value.
  ProbeControl* Prompter(int paramIdx)
  {
    ProbeControl* pProbe = AddProbe(IRECT(10, 10, 50, 30), paramIdx);
    pProbe->callBase = true;
    pProbe->DisablePrompt(false);
    plug.RedrawParamControls();
    return pProbe;
  }

  // A right click on the probe, pressed and released.
  void RightClick()
  {
    IMouseMod right(false, true);
    editor->OnMouseDown(20, 20, &right);
    editor->OnMouseUp(20, 20, &right);
  }

  const Prompt& LastPrompt() { return editor->Prompts().back(); }
};

TEST_F(Prompts, AnEnumeratedParameterGetsAMenuWithTheCurrentTextChecked)
{
  Prompter(kMode);
  plug.GetParam(kMode)->Set(1);
  plug.RedrawParamControls();
  editor->QueueAnswer(Answer::Choose(2));
  RightClick();
  ASSERT_EQ(editor->Prompts().size(), 1u);
  const Prompt& menu = LastPrompt();
  EXPECT_EQ(menu.kind, Prompt::kMenu);
  EXPECT_EQ(menu.rect, IRECT(10, 10, 50, 30));
  EXPECT_EQ(menu.items, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(menu.itemFlags, (std::vector<int>{0, IPopupMenuItem::kChecked, 0}));
  EXPECT_EQ(plug.GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(plug.Events(), (std::vector<HostEvent>{{HostEvent::kBegin, kMode, 0.0},
                                                   {HostEvent::kAutomate, kMode, 1.0},
                                                   {HostEvent::kEnd, kMode, 0.0}}));
  // The menu took the capture away; the release still ended the gesture.
  EXPECT_EQ(editor->GetMouseCapture(), -1);
}

TEST_F(Prompts, ACancelledOrImpossibleChoiceChangesNothing)
{
  Prompter(kMode);
  for (const Answer& answer : {Answer::Cancel(), Answer::Choose(3), Answer::Choose(-1), Answer::Text("B")})
  {
    editor->QueueAnswer(answer);
    RightClick();
  }
  RightClick(); // an empty script cancels
  EXPECT_EQ(editor->Prompts().size(), 5u);
  EXPECT_EQ(plug.GetParam(kMode)->Value(), 0.0);
  for (const HostEvent& e : plug.Events()) EXPECT_NE(e.kind, HostEvent::kAutomate);
}

TEST_F(Prompts, EqualDisplayTextsAreAllCheckedAndBooleansWithTextsGetMenus)
{
  plug.GetParam(kSwitch)->SetDisplayText(1, "off");
  Prompter(kSwitch);
  editor->QueueAnswer(Answer::Choose(1));
  RightClick();
  EXPECT_EQ(LastPrompt().kind, Prompt::kMenu);
  EXPECT_EQ(LastPrompt().items, (std::vector<std::string>{"off", "on", "off"}));
  EXPECT_EQ(LastPrompt().itemFlags, (std::vector<int>{IPopupMenuItem::kChecked, 0, IPopupMenuItem::kChecked}));
  EXPECT_EQ(plug.GetParam(kSwitch)->Value(), 1.0);
}

TEST_F(Prompts, OtherParametersGetATextFieldWhoseAnswerIsReadAsANumber)
{
  ProbeControl* pProbe = Prompter(kSteps);
  struct Case
  {
    const char* typed;
    double value;
  };
  // The field takes at most seven characters: "123456789" arrives as 1234567, held to 10.
  const Case cases[] = {{"7", 7}, {"abc", 0}, {"4 Hz", 4}, {"-5", 0}, {"123456789", 10}, {"nan", 0}, {"", 0}};
  for (const Case& c : cases)
  {
    plug.GetParam(kSteps)->Set(3);
    plug.RedrawParamControls();
    editor->QueueAnswer(Answer::Text(c.typed));
    RightClick();
    EXPECT_EQ(LastPrompt().kind, Prompt::kTextEntry);
    EXPECT_EQ(LastPrompt().text, "3");
    EXPECT_EQ(LastPrompt().control, pProbe);
    EXPECT_EQ(LastPrompt().param, plug.GetParam(kSteps));
    // The 40 x 16 box around the centre (30, 20).
    EXPECT_EQ(LastPrompt().rect, IRECT(10, 12, 50, 28));
    EXPECT_EQ(plug.GetParam(kSteps)->Value(), c.value) << c.typed;
  }
}

TEST_F(Prompts, NegatedParametersReadTheTypedNumberWithItsSignFlipped)
{
  Prompter(kNeg);
  editor->QueueAnswer(Answer::Text("0.5"));
  RightClick();
  EXPECT_DOUBLE_EQ(plug.GetParam(kNeg)->Value(), -0.5);
  EXPECT_EQ(plug.Events()[1], (HostEvent{HostEvent::kAutomate, kNeg, 0.25}));
}

TEST_F(Prompts, TextForAnEnumerationIsMatchedAgainstItsDisplayTexts)
{
  ProbeControl* pProbe = Prompter(kMode);
  IParam* pMode = plug.GetParam(kMode);
  editor->SetFromStringAfterPrompt(pProbe, pMode, "C");
  EXPECT_EQ(pMode->Value(), 2.0);
  editor->SetFromStringAfterPrompt(pProbe, pMode, "c");
  EXPECT_EQ(pMode->Value(), 0.0);
  editor->SetFromStringAfterPrompt(pProbe, pMode, nullptr);
  editor->SetFromStringAfterPrompt(pProbe, nullptr, "B");
  editor->SetFromStringAfterPrompt(nullptr, pMode, "B");
  EXPECT_EQ(pMode->Value(), 0.0);
  // Typed text arriving after the release is a gesture of its own.
  EXPECT_EQ(plug.Events(), (std::vector<HostEvent>{{HostEvent::kBegin, kMode, 0.0},
                                                   {HostEvent::kAutomate, kMode, 1.0},
                                                   {HostEvent::kEnd, kMode, 0.0},
                                                   {HostEvent::kBegin, kMode, 0.0},
                                                   {HostEvent::kAutomate, kMode, 0.0},
                                                   {HostEvent::kEnd, kMode, 0.0},
                                                   {HostEvent::kBegin, kMode, 0.0},
                                                   {HostEvent::kEnd, kMode, 0.0}}));
  editor->PromptUserInput(nullptr, pMode, pProbe->GetRECT());
  editor->PromptUserInput(pProbe, nullptr, pProbe->GetRECT());
  editor->PromptUserInput(pProbe, pMode, nullptr);
  EXPECT_TRUE(editor->Prompts().empty());
}

TEST_F(Prompts, FreeTextGoesToAControlWithoutAParameter)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10));
  pProbe->SetTextEntryLength(3);
  IRECT r(1, 1, 9, 9);
  editor->QueueAnswer(Answer::Text("hello"));
  editor->CreateTextEntry(pProbe, pProbe->GetText(), &r, "start", nullptr);
  editor->QueueAnswer(Answer::Cancel());
  editor->CreateTextEntry(pProbe, pProbe->GetText(), &r, "", nullptr);
  EXPECT_EQ(pProbe->calls, (std::vector<std::string>{"text hel"}));
  EXPECT_EQ(editor->Prompts()[0].text, "start");
}

} // namespace
} // namespace editor_test
