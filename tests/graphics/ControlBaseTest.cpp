// The control base: values from the plug-in and from the user, the default value, clamping,
// greying, prompts, display controls, auxiliary parameters; the bitmap and panel controls; and
// the pop-up menu model.

#include <gtest/gtest.h>

#include "graphics/IBitmapControl.h"
#include "graphics/IPopupMenu.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

using ControlBase = EditorTest;

std::vector<HostEvent> Automations(const std::vector<HostEvent>& events)
{
  std::vector<HostEvent> automations;
  for (const HostEvent& e : events)
    if (e.kind == HostEvent::kAutomate) automations.push_back(e);
  return automations;
}

TEST_F(ControlBase, TheFirstPlugValueBecomesTheDefaultThatADoubleClickRestoresAndPushes)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10), kGain);
  pProbe->callBase = true;
  EXPECT_LT(pProbe->GetDefaultValue(), 0.0);
  // Without a default yet, a double click changes nothing.
  pProbe->OnMouseDblClick(1, 1, nullptr);
  EXPECT_TRUE(plug.Events().empty());

  pProbe->SetValueFromPlug(0.3);
  EXPECT_EQ(pProbe->GetValue(), 0.3);
  EXPECT_EQ(pProbe->GetDefaultValue(), 0.3);
  EXPECT_TRUE(pProbe->IsDirty());
  pProbe->SetValueFromPlug(0.8);
  EXPECT_EQ(pProbe->GetDefaultValue(), 0.3);
  EXPECT_TRUE(plug.Events().empty());

  pProbe->OnMouseDblClick(1, 1, nullptr);
  EXPECT_EQ(pProbe->GetValue(), 0.3);
  EXPECT_EQ(Automations(plug.Events()), (std::vector<HostEvent>{{HostEvent::kAutomate, kGain, 0.3}}));
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->Value(), 0.3);
}

TEST_F(ControlBase, UserValuesArePushedOnlyWhenTheyChangeAndClampedFirst)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10), kGain);
  pProbe->SetValueFromUserInput(0.0);
  EXPECT_TRUE(plug.Events().empty());
  pProbe->SetValueFromUserInput(0.4);
  pProbe->SetValueFromUserInput(0.4);
  pProbe->Clamp(0.25, 0.75);
  pProbe->SetValueFromUserInput(0.9);
  pProbe->SetValueFromUserInput(-3.0);
  EXPECT_EQ(Automations(plug.Events()), (std::vector<HostEvent>{{HostEvent::kAutomate, kGain, 0.4},
                                                                {HostEvent::kAutomate, kGain, 0.75},
                                                                {HostEvent::kAutomate, kGain, 0.25}}));
  EXPECT_EQ(plug.paramChanges, (std::vector<int>{kGain, kGain, kGain}));

  // Controls without a parameter, or bound beyond the plug-in's parameters, only mark themselves.
  ProbeControl* pLoose = AddProbe(IRECT(0, 0, 10, 10));
  ProbeControl* pBeyond = AddProbe(IRECT(0, 0, 10, 10), kNumTestParams + 3);
  pLoose->SetValueFromUserInput(0.5);
  pBeyond->SetValueFromUserInput(0.5);
  pBeyond->PromptUserInput();
  EXPECT_EQ(plug.Events().size(), 3u);
  EXPECT_TRUE(pLoose->IsDirty() && pBeyond->IsDirty());
  ProbeControl orphan(nullptr, IRECT(0, 0, 1, 1), kGain);
  orphan.SetValueFromUserInput(0.5);
  orphan.PromptUserInput();
  EXPECT_TRUE(orphan.IsDirty());
}

TEST_F(ControlBase, GreyingDrawsAtAQuarterWeightAndUngreyingRestoresFullWeight)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10), kGain);
  pProbe->GetBlend()->mWeight = 0.6f;
  editor->GrayOutControl(kGain, true);
  EXPECT_TRUE(pProbe->IsGrayed());
  EXPECT_EQ(pProbe->GetBlend()->mWeight, 0.25f);
  editor->GrayOutControl(kGain, false);
  EXPECT_EQ(pProbe->GetBlend()->mWeight, 1.0f);

  // A greyed filmstrip control is its frame at weight 0.25 over the panel.
  Picture strip(4, 4, 0xFFC08040u);
  AddImage(editor, "grey.png", strip);
  IBitmap bitmap = editor->LoadIBitmap(NextBitmapId(), "grey.png");
  editor->AttachControl(new IBitmapControl(&plug, 2, 2, kSwitch, &bitmap));
  const IColor panel(255, 0, 0, 0);
  editor->AttachPanelBackground(&panel);
  editor->GrayOutControl(kSwitch, true);
  editor->Tick();
  // Source alpha 255 at weight 64: w' = 64 x 256 / 256 = 64; s + (d - s) x (256 - 64) / 256.
  const auto mix = [](int d, int s) { return s + ((d - s) * 192) / 256; };
  EXPECT_EQ(PictureOf(editor->GetFrame()).at(3, 3), LICE_RGBA(mix(0, 0xC0), mix(0, 0x80), mix(0, 0x40), 255));
}

TEST_F(ControlBase, PromptsAreDisabledByDefaultAndTheRightButtonPromptsWhenEnabled)
{
  ProbeControl* pProbe = AddProbe(IRECT(20, 20, 61, 41), kSteps);
  pProbe->callBase = true;
  IMouseMod right(false, true);
  pProbe->OnMouseDown(25, 25, &right);
  EXPECT_TRUE(editor->Prompts().empty());
  pProbe->DisablePrompt(false);
  IMouseMod left(true);
  pProbe->OnMouseDown(25, 25, &left);
  EXPECT_TRUE(editor->Prompts().empty());
  pProbe->OnMouseDown(25, 25, &right);
  ASSERT_EQ(editor->Prompts().size(), 1u);
  // A parameter without display texts is asked for in a 40 x 16 box around the centre (40.5, 30.5).
  EXPECT_EQ(editor->Prompts()[0].rect, IRECT(20, 22, 60, 38));
  IRECT at(1, 2, 3, 4);
  pProbe->PromptUserInput(&at);
  EXPECT_EQ(editor->Prompts()[1].rect, at);
}

TEST_F(ControlBase, DisplayControlsShowTheValueWithItsLabelAndTheName)
{
  ProbeControl* pKnob = AddProbe(IRECT(0, 0, 10, 10), kGain);
  ProbeControl* pValue = AddProbe(IRECT(0, 20, 40, 30));
  ProbeControl* pName = AddProbe(IRECT(0, 30, 40, 40));
  pKnob->SetValDisplayControl(pValue);
  pKnob->SetNameDisplayControl(pName);
  pKnob->SetValueFromUserInput(0.25);
  EXPECT_EQ(pValue->text, "0.25 dB");
  EXPECT_EQ(pName->text, "Gain");
  // A parameter showing a display text has no label.
  ProbeControl* pMode = AddProbe(IRECT(0, 0, 10, 10), kMode);
  pMode->SetValDisplayControl(pValue);
  pMode->SetValueFromUserInput(0.5);
  EXPECT_EQ(pValue->text, "B ");
}

TEST_F(ControlBase, AuxiliaryParametersFollowThePlugAndAreSentInOrder)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10), kGain);
  EXPECT_TRUE(pProbe->AddAuxParam(kSteps));
  EXPECT_TRUE(pProbe->AddAuxParam(kNeg));
  EXPECT_EQ(pProbe->AuxParamIdx(kNeg), 1);
  EXPECT_EQ(pProbe->AuxParamIdx(kMode), -1);
  EXPECT_EQ(pProbe->GetAuxParam(2), nullptr);
  pProbe->SetClean();
  editor->SetParameterFromPlug(kNeg, 0.75, true);
  EXPECT_EQ(pProbe->GetAuxParam(1)->mValue, 0.75);
  EXPECT_EQ(pProbe->GetValue(), 0.0);
  EXPECT_TRUE(pProbe->IsDirty());
  pProbe->SetClean();
  EXPECT_TRUE(pProbe->IsDirty()); // one more pass
  pProbe->SetClean();
  pProbe->SetAuxParamValueFromPlug(7, 0.5);
  pProbe->SetAuxParamValueFromPlug(-1, 0.5);
  EXPECT_FALSE(pProbe->IsDirty());

  pProbe->SetAllAuxParamsFromGUI();
  EXPECT_EQ(Automations(plug.Events()), (std::vector<HostEvent>{{HostEvent::kAutomate, kSteps, 0.0},
                                                                {HostEvent::kAutomate, kNeg, 0.75}}));
}

TEST_F(ControlBase, BitmapControlsShowTheFrameOfTheirValue)
{
  IBitmap strip(nullptr, 10, 310, 31);
  IBitmapControl knob(&plug, 5, 6, kGain, &strip);
  EXPECT_EQ(*knob.GetRECT(), IRECT(5, 6, 15, 16));
  const std::pair<double, int> cases[] = {{0.0, 1}, {0.49, 16}, {0.5, 16}, {1.0, 31}, {-2.0, 1}, {7.0, 31}};
  for (const auto& c : cases)
  {
    knob.SetValueFromPlug(c.first);
    EXPECT_EQ(knob.FrameForValue(), c.second) << c.first;
  }
  IBitmap two(nullptr, 10, 20, 2);
  IBitmapControl toggle(&plug, 0, 0, &two);
  toggle.SetValueFromPlug(0.49);
  EXPECT_EQ(toggle.FrameForValue(), 1);
  toggle.SetValueFromPlug(0.5);
  EXPECT_EQ(toggle.FrameForValue(), 2);
  IBitmap single(nullptr, 10, 20, 1);
  IBitmapControl plain(&plug, 0, 0, &single);
  plain.SetValueFromPlug(1.0);
  EXPECT_EQ(plain.FrameForValue(), 1);
}

TEST_F(ControlBase, IndicesOutsideTheListsAreIgnoredEverywhere)
{
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, 10, 10), kGain);
  pProbe->SetValueFromPlug(0.5);
  pProbe->SetClean();
  for (const int idx : {-1, int(kNumTestParams), 1000, -1000})
  {
    editor->SetParameterFromPlug(idx, 0.25, true);
    editor->SetParameterFromPlug(idx, 0.25, false);
    editor->SetParameterFromGUI(idx, 0.25);
    editor->SetControlFromPlug(idx, 0.25);
    editor->HideControl(idx, true);
    editor->GrayOutControl(idx, true);
    editor->ClampControl(idx, 0.3, 0.4, true);
    editor->ClampControl(idx, 0.3, 0.4, false);
    EXPECT_EQ(editor->GetControl(idx), nullptr);
  }
  editor->SetControlFromPlug(1, 0.25);
  EXPECT_EQ(pProbe->GetValue(), 0.5);
  EXPECT_FALSE(pProbe->IsDirty() || pProbe->IsHidden() || pProbe->IsGrayed());
  EXPECT_TRUE(plug.Events().empty());
  EXPECT_EQ(editor->AttachControl(nullptr), -1);
  EXPECT_EQ(editor->GetNControls(), 1);
  // Control 0 is the probe: its index works.
  editor->SetControlFromPlug(0, 0.25);
  EXPECT_EQ(pProbe->GetValue(), 0.25);
}

TEST(IPopupMenu, InsertsAtClampedPositionsAndChecksItems)
{
  IPopupMenu menu;
  menu.AddItem("one");
  menu.AddItem("two");
  menu.AddItem("three");
  menu.AddItem(new IPopupMenuItem("appended"), 99);
  menu.AddItem(new IPopupMenuItem("front"), -5);
  menu.AddItem("second", 1, IPopupMenuItem::kDisabled);
  menu.AddSeparator(3);
  EXPECT_EQ(menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)), nullptr);
  const char* expected[] = {"front", "second", "one", "", "two", "three", "appended"};
  ASSERT_EQ(menu.GetNItems(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(menu.GetItemText(i), expected[i]) << i;
  EXPECT_TRUE(menu.GetItem(3)->GetIsSeparator());
  EXPECT_FALSE(menu.GetItem(1)->GetEnabled());
  EXPECT_STREQ(menu.GetItemText(7), "");
  EXPECT_EQ(menu.GetItem(-1), nullptr);

  menu.SetPrefix(2);
  menu.SetPrefix(4);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), 2);

  EXPECT_TRUE(menu.CheckItem(0, true));
  EXPECT_TRUE(menu.CheckItem(2, true));
  EXPECT_TRUE(menu.CheckItem(4, true));
  EXPECT_FALSE(menu.CheckItem(9, true));
  menu.CheckItemAlone(2);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(menu.IsItemChecked(i), i == 2) << i;
  EXPECT_FALSE(menu.IsItemChecked(12));
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(IPopupMenu, ItemsOwnNoSubmenus)
{
  IPopupMenu sub;
  sub.AddItem("deep");
  {
    IPopupMenu menu;
    menu.AddItem("sub", &sub);
    menu.AddItem("sub again", 0, &sub);
    EXPECT_EQ(menu.GetItem(0)->GetSubmenu(), &sub);
    EXPECT_EQ(menu.GetItem(1)->GetFlags(), 0);
  }
  EXPECT_STREQ(sub.GetItemText(0), "deep");
}

} // namespace
} // namespace editor_test
