// The editor on its plug-in: values pushed when it is attached, the host's, chunk, preset and
// program-file paths moving the bound controls, the editor's path reaching the host as begin,
// automate and end through the VST 2 callback, the editor opcodes, several editors of several
// instances sharing the image cache, and a thousand create/draw/destroy cycles (which leak
// nothing under the sanitizer build's leak checker).

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "graphics/BitmapStorage.h"
#include "graphics/IBitmapControl.h"
#include "plugin/ByteChunk.h"
#include "tests/graphics/EditorTestKit.h"
#include "tests/vst2/TestHost.h"

namespace editor_test {
namespace {

using kestrune_test::HostCall;
using kestrune_test::TestHost;

AEffect* NoEditorEntry(audioMasterCallback hostCallback)
{
  IPlugInstanceInfo info;
  info.mVSTHostCallback = hostCallback;
  return (new EditorVSTPlug(info, 0, 0))->GetAEffect();
}

class PluginEditor : public ::testing::Test
{
protected:
  EditorVSTPlug* Create(VstPluginMainProc entry = EditorVSTPlugEntry)
  {
    host.UseEntryPoint(entry);
    AEffect* pEffect = host.Create();
    pPlug = pEffect ? static_cast<EditorVSTPlug*>(pEffect->object) : nullptr;
    if (pPlug && pPlug->Editor())
    {
      gain = new ProbeControl(pPlug, IRECT(10, 10, 40, 40), kGain);
      gain->dragStep = -0.0625;
      steps = new ProbeControl(pPlug, IRECT(50, 10, 80, 40), kSteps);
      pPlug->Editor()->AttachControl(gain);
      pPlug->Editor()->AttachControl(steps);
      pPlug->RedrawParamControls();
    }
    return pPlug;
  }

  // The calls with one of the three gesture opcodes, in order, as (opcode, index, value).
  std::vector<std::tuple<int, int, float>> GestureCalls()
  {
    std::vector<std::tuple<int, int, float>> gesture;
    for (const HostCall& call : host.Calls())
    {
      if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterEndEdit ||
          call.opcode == audioMasterAutomate)
        gesture.emplace_back(call.opcode, call.index, call.opt);
    }
    return gesture;
  }

  TestHost host;
  EditorVSTPlug* pPlug = nullptr;
  ProbeControl* gain = nullptr;
  ProbeControl* steps = nullptr;
};

TEST(AttachGraphics, PushesEveryNormalisedValueIntoEveryBoundControlThenPreparesDrawing)
{
  EditorTestPlug plug;
  plug.GetParam(kSteps)->Set(4);
  plug.GetParam(kNeg)->Set(0.5);
  IGraphicsHeadless* pEditor = new IGraphicsHeadless(&plug, 30, 20);
  ProbeControl* pSteps = new ProbeControl(&plug, IRECT(0, 0, 5, 5), kSteps);
  ProbeControl* pStepsToo = new ProbeControl(&plug, IRECT(0, 0, 5, 5), kSteps);
  ProbeControl* pAux = new ProbeControl(&plug, IRECT(0, 0, 5, 5), kGain);
  pAux->AddAuxParam(kNeg);
  pEditor->AttachControl(pSteps);
  pEditor->AttachControl(pStepsToo);
  pEditor->AttachControl(pAux);
  EXPECT_EQ(pEditor->GetDrawBitmap(), nullptr);
  plug.AttachGraphics(pEditor);
  EXPECT_EQ(plug.GetGUI(), pEditor);
  EXPECT_DOUBLE_EQ(pSteps->GetValue(), 0.4);
  EXPECT_DOUBLE_EQ(pStepsToo->GetDefaultValue(), 0.4);
  EXPECT_DOUBLE_EQ(pAux->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(pAux->GetAuxParam(0)->mValue, 0.75);
  ASSERT_NE(pEditor->GetDrawBitmap(), nullptr);
  EXPECT_EQ(pEditor->GetDrawBitmap()->getWidth(), 30);
  EXPECT_TRUE(plug.Events().empty());
}

TEST_F(PluginEditor, TheHostsParameterPathsMoveTheBoundControlsWithoutEchoingThem)
{
  ASSERT_NE(Create(), nullptr);
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  host.SetParameter(kGain, 0.25f);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  host.SetParameter(-1, 0.9f);
  host.SetParameter(kNumTestParams, 0.9f);
  char text[] = "7";
  host.Dispatch(effString2Parameter, kSteps, 0, text);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.7);

  // A program chunk taken now and set back later brings the controls back.
  void* pData = nullptr;
  const intptr_t size = host.Dispatch(effGetChunk, 1, 0, &pData);
  ASSERT_GT(size, 0);
  const std::vector<char> chunk(static_cast<char*>(pData), static_cast<char*>(pData) + size);
  host.SetParameter(kGain, 1.0f);
  host.SetParameter(kSteps, 0.0f);
  EXPECT_EQ(host.Dispatch(effSetChunk, 1, size, const_cast<char*>(chunk.data())), 1);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(steps->GetValue(), 0.7);

  // A program file restores through the preset path.
  host.SetParameter(kGain, 0.0f);
  ByteChunk fxp;
  ASSERT_TRUE(pPlug->MakeProgramFXP(&fxp));
  host.SetParameter(kGain, 0.5f);
  ASSERT_TRUE(pPlug->LoadProgramFromFXPData(fxp.GetBytes(), fxp.Size()));
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.0);
  EXPECT_TRUE(GestureCalls().empty());
}

TEST_F(PluginEditor, AnEditorDragReachesTheHostAsOneGesture)
{
  ASSERT_NE(Create(), nullptr);
  IGraphicsHeadless* pEditor = pPlug->Editor();
  IMouseMod left(true);
  pEditor->OnMouseDown(20, 20, &left);
  pEditor->OnMouseDrag(20, 18, &left);
  pEditor->OnMouseDrag(20, 16, &left);
  pEditor->OnMouseUp(60, 60, &left);
  const std::vector<std::tuple<int, int, float>> expected = {{audioMasterBeginEdit, kGain, 0.0f},
                                                             {audioMasterAutomate, kGain, 0.625f},
                                                             {audioMasterAutomate, kGain, 0.75f},
                                                             {audioMasterEndEdit, kGain, 0.0f}};
  EXPECT_EQ(GestureCalls(), expected);
  EXPECT_EQ(host.GetParameter(kGain), 0.75f);
  for (const HostCall& call : host.Calls()) EXPECT_EQ(call.effect, host.Effect());
}

TEST_F(PluginEditor, EditorOpcodesAreAnsweredWhileAnEditorIsAttached)
{
  ASSERT_NE(Create(), nullptr);
  ERect* pRect = nullptr;
  EXPECT_EQ(host.Dispatch(effEditGetRect, 0, 0, &pRect), 1);
  ASSERT_NE(pRect, nullptr);
  EXPECT_EQ(pRect->top, 0);
  EXPECT_EQ(pRect->left, 0);
  EXPECT_EQ(pRect->bottom, 100);
  EXPECT_EQ(pRect->right, 200);
  int parent = 0;
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, &parent), 1);
  EXPECT_EQ(pPlug->Editor()->GetParentWindow(), &parent);
  EXPECT_TRUE(pPlug->Editor()->WindowIsOpen());
  EXPECT_EQ(host.Dispatch(effEditIdle), 0);
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  EXPECT_FALSE(pPlug->Editor()->WindowIsOpen());
  // A resized editor reports its new size to the host.
  pPlug->Editor()->Resize(300, 150);
  EXPECT_EQ(host.Dispatch(effEditGetRect, 0, 0, &pRect), 1);
  EXPECT_EQ(pRect->bottom, 150);
  EXPECT_EQ(pRect->right, 300);
  host.Close();

  ASSERT_NE(Create(NoEditorEntry), nullptr);
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, 0);
  pRect = nullptr;
  EXPECT_EQ(host.Dispatch(effEditGetRect, 0, 0, &pRect), 0);
  EXPECT_EQ(pRect, nullptr);
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, &parent), 0);
  EXPECT_EQ(host.Dispatch(effEditClose), 0);
}

// Builds a background and a knob from images only the first instance's host supplies, draws,
// and returns the frame.
Picture DrawKnobPanel(EditorVSTPlug* pPlug, int bgId, int knobId, double value, bool supplyImages)
{
  IGraphicsHeadless* pEditor = pPlug->Editor();
  if (supplyImages)
  {
    AddImage(pEditor, "bg.png", Picture(200, 100, 0xFF303030u));
    AddImage(pEditor, "knob.png", MakeFilmstrip(20, 20, 11, false, 30));
  }
  pEditor->AttachBackground(bgId, "bg.png");
  IBitmap knob = pEditor->LoadIBitmap(knobId, "knob.png", 11);
  pEditor->AttachControl(new IBitmapControl(pPlug, 50, 40, kGain, &knob));
  pEditor->SetParameterFromPlug(kGain, value, true);
  pEditor->Tick();
  return PictureOf(pEditor->GetFrame());
}

TEST_F(PluginEditor, EditorsOfSeveralInstancesShareImagesAndOutliveEachOther)
{
  const int bgId = NextBitmapId(), knobId = NextBitmapId();
  TestHost first, second;
  first.UseEntryPoint(EditorVSTPlugEntry);
  second.UseEntryPoint(EditorVSTPlugEntry);
  auto* pFirst = static_cast<EditorVSTPlug*>(first.Create()->object);
  auto* pSecond = static_cast<EditorVSTPlug*>(second.Create()->object);
  const Picture a = DrawKnobPanel(pFirst, bgId, knobId, 0.3, true);
  first.Close();
  const Picture b = DrawKnobPanel(pSecond, bgId, knobId, 0.3, false);
  EXPECT_TRUE(SamePixels(a, b));

  Picture expected(200, 100, 0xFF303030u);
  // Value 0.3 of 11 frames is frame int(10 x 0.3 + 0.5) + 1 = 4, rows 60-79 of the strip.
  expected.Over(MakeFilmstrip(20, 20, 11, false, 30), 0, 60, 20, 20, 50, 40, IRECT(0, 0, 200, 100));
  EXPECT_TRUE(SamePixels(b, expected));
}

TEST(EditorLifetime, AThousandCreateDrawDestroyCyclesLeaveTheCacheAsItWas)
{
  const int bgId = NextBitmapId(), knobId = NextBitmapId();
  LICE_IBitmap* pKnob = nullptr;
  for (int cycle = 0; cycle < 1000; ++cycle)
  {
    TestHost host;
    host.UseEntryPoint(EditorVSTPlugEntry);
    auto* pPlug = static_cast<EditorVSTPlug*>(host.Create()->object);
    DrawKnobPanel(pPlug, bgId, knobId, (cycle % 11) / 10.0, cycle == 0);
    IMouseMod left(true);
    pPlug->Editor()->OnMouseDown(55, 45, &left);
    pPlug->Editor()->OnMouseUp(55, 45, &left);
    IBitmap knob = pPlug->Editor()->LoadIBitmap(knobId, "knob.png", 11);
    if (!cycle) pKnob = knob.mData;
    ASSERT_EQ(knob.mData, pKnob);
  }
  EXPECT_EQ(s_bitmapCache.Count(pKnob), 1);
}

} // namespace
} // namespace editor_test
