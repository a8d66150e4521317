#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/IKnobControl.h"
#include "graphics/ITextControl.h"
#include "plugin/IParam.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;
using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;

// A text control takes a new text (marked dirty) only when it differs, and serves as a knob's
// name display.
TEST(TextControl, TakesTextFromThePlugInOnlyWhenItDiffers)
{
  ControlEditor ed;
  const IText style;
  ITextControl* pName = ed.Add(new ITextControl(&ed.plug, IRECT(0, 12, 60, 24), &style, "start"));
  IKnobLineControl* pKnob = ed.Add(new IKnobLineControl(&ed.plug, IRECT(60, 30, 100, 70), kGain, &COLOR_WHITE));
  pKnob->SetNameDisplayControl(pName);
  ed.Attach();
  ed.Render();
  pName->SetTextFromPlug("start");
  EXPECT_FALSE(pName->IsDirty());
  pName->SetTextFromPlug(nullptr);
  EXPECT_STREQ(pName->GetTextForPlug(), "");
  EXPECT_TRUE(pName->IsDirty());
  IMouseMod none;
  ed.gui->OnMouseWheel(70, 40, &none, 42);
  EXPECT_STREQ(pName->GetTextForPlug(), "Gain");
}

// A caption reads its parameter when drawn: the display text (a word where the parameter has
// one, else the number) and, with the label shown, a blank and the label.
TEST(CaptionControl, ShowsTheParametersDisplayTextAndLabel)
{
  ControlEditor ed;
  const IText style;
  ICaptionControl* pMode = ed.Add(new ICaptionControl(&ed.plug, IRECT(0, 0, 40, 12), kMode, &style));
  ICaptionControl* pGain = ed.Add(new ICaptionControl(&ed.plug, IRECT(0, 12, 40, 24), kGain, &style));
  ICaptionControl* pBare = ed.Add(new ICaptionControl(&ed.plug, IRECT(0, 24, 40, 36), kSteps, &style, false));
  ICaptionControl* pNeg = ed.Add(new ICaptionControl(&ed.plug, IRECT(0, 36, 40, 48), kNeg, &style));
  ICaptionControl* pNone = ed.Add(new ICaptionControl(&ed.plug, IRECT(0, 48, 40, 60), 99, &style));
  ed.Attach();
  ed.plug.SetParameterFromGUI(kMode, 0.5);
  ed.plug.SetParameterFromGUI(kGain, 0.3);
  ed.plug.SetParameterFromGUI(kSteps, 0.7);
  ed.plug.SetParameterFromGUI(kNeg, 0.75);
  ed.Render();
  EXPECT_STREQ(pMode->GetTextForPlug(), "B ");
  EXPECT_STREQ(pGain->GetTextForPlug(), "0.30 dB");
  EXPECT_STREQ(pBare->GetTextForPlug(), "7");
  EXPECT_STREQ(pNeg->GetTextForPlug(), "-0.5 ");
  EXPECT_STREQ(pNone->GetTextForPlug(), "");
}

// A click with either button or a double click on a caption prompts: a menu of the display texts
// with the current one checked, or a text field with the number, whose answer sets the value.
TEST(CaptionControl, ClicksPromptForTheValue)
{
  ControlEditor ed;
  const IText style;
  ICaptionControl* pMode = ed.Add(new ICaptionControl(&ed.plug, IRECT(10, 10, 50, 22), kMode, &style));
  ICaptionControl* pGain = ed.Add(new ICaptionControl(&ed.plug, IRECT(10, 40, 50, 52), kGain, &style));
  ed.Attach();
  ed.gui->QueueAnswer(Answer::Choose(2));
  ed.gui->QueueAnswer(Answer::Choose(0));
  ed.gui->QueueAnswer(Answer::Text("0.75"));
  ed.gui->QueueAnswer(Answer::Cancel());
  ed.Click(20, 15);
  EXPECT_EQ(pMode->GetValue(), 1.0);
  ed.Click(20, 15, IMouseMod(false, true));
  EXPECT_EQ(pMode->GetValue(), 0.0);
  IMouseMod none;
  ed.gui->OnMouseDblClick(20, 45, &none);
  EXPECT_EQ(pGain->GetValue(), 0.75);
  EXPECT_EQ(ed.plug.GetParam(kGain)->Value(), 0.75);
  ed.Click(20, 45, none);
  EXPECT_EQ(ed.gui->Prompts().size(), 3u);
  ed.Click(20, 45);
  EXPECT_EQ(pGain->GetValue(), 0.75);

  const std::vector<Prompt>& prompts = ed.gui->Prompts();
  ASSERT_EQ(prompts.size(), 4u);
  EXPECT_EQ(prompts[0].kind, Prompt::kMenu);
  EXPECT_EQ(prompts[0].rect, IRECT(10, 10, 50, 22));
  EXPECT_EQ(prompts[0].itemFlags, (std::vector<int>{4, 0, 0}));
  EXPECT_EQ(prompts[1].itemFlags, (std::vector<int>{0, 0, 4}));
  EXPECT_EQ(prompts[2].kind, Prompt::kTextEntry);
  EXPECT_EQ(prompts[2].text, "0.00");
  EXPECT_EQ(prompts[2].rect, IRECT(10, 38, 50, 54));
  EXPECT_EQ(prompts[3].text, "0.75");
}

// Text and caption controls draw exactly what the editor's text drawing draws for their text, in
// their style and rectangle, over the background; an empty text draws nothing.
TEST(TextControl, TextAndCaptionsDrawLikeTheTextAPI)
{
  const IColor translucent(128, 10, 60, 200);
  const IText styles[] = {IText(12, &COLOR_WHITE, "Monaco", IText::kStyleNormal, IText::kAlignNear),
                          IText(14, &translucent, "Monaco", IText::kStyleBold, IText::kAlignCenter),
                          IText(11, &COLOR_YELLOW, "Monaco", IText::kStyleItalic, IText::kAlignFar)};
  const IRECT rects[] = {IRECT(5, 5, 115, 25), IRECT(5, 30, 115, 50), IRECT(5, 55, 115, 75)};
  ControlEditor ed(61);
  ed.Add(new ITextControl(&ed.plug, rects[0], &styles[0], "Level 7"));
  ed.Add(new ICaptionControl(&ed.plug, rects[1], kGain, &styles[1]));
  ed.Add(new ICaptionControl(&ed.plug, rects[2], kMode, &styles[2], false));
  ed.Add(new ITextControl(&ed.plug, IRECT(5, 80, 115, 95), &styles[0]));
  ed.plug.GetParam(kGain)->Set(0.3);
  ed.plug.GetParam(kMode)->Set(2.0);
  ed.Attach();
  const Picture drawn = ed.Render();

  ControlEditor direct(61);
  direct.Attach();
  direct.Render();
  const char* texts[] = {"Level 7", "0.30 dB", "C"};
  for (int i = 0; i < 3; ++i)
  {
    IText style = styles[i];
    IRECT r = rects[i];
    ASSERT_TRUE(direct.gui->DrawIText(&style, texts[i], &r));
    const Picture withText = PictureOf(direct.gui->GetDrawBitmap());
    int ink = 0;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) ink += withText.at(x, y) != direct.background.at(x, y);
    EXPECT_GT(ink, 10) << texts[i];
  }
  EXPECT_TRUE(SamePixels(drawn, PictureOf(direct.gui->GetDrawBitmap())));
}
