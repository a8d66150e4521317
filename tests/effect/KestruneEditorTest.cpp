// Kestrune's panel through the VST 2 interface on the headless host: its size and flags, its
// pixels against a picture composed from the committed images, its switches, knobs and link, the
// host's changes reaching it, and the snapshot request.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "platform/headless/IGraphicsHeadless.h"
#include "tests/effect/KestrunePanelPicture.h"
#include "tests/graphics/EditorTestKit.h"
#include "tests/vst2/TestHost.h"
#include "vst2/EditorSnapshotRequest.h"
#include "vst2/IPlugVST.h"

namespace kestrune_panel_test {
namespace {

using editor_test::Picture;
using editor_test::SamePixels;
using kestrune_test::HostCall;
using kestrune_test::TestHost;

enum { kOut, kCircuit, kHi, kSpare, kLo, kBypass, kNumParams };

// Kestrune created and started by the test host, its editor opened.
class KestruneEditor : public ::testing::Test
{
protected:
  void SetUp() override
  {
    host.UseEntryPoint(HeadlessKestruneEntry);
    AEffect* pEffect = host.Create();
    ASSERT_NE(pEffect, nullptr);
    host.Start(44100.f, 512);
    editor = static_cast<IGraphicsHeadless*>(static_cast<IPlugVST*>(pEffect->object)->GetGUI());
    ASSERT_NE(editor, nullptr);
    int parent = 0;
    ASSERT_EQ(host.Dispatch(effEditOpen, 0, 0, &parent), 1);
  }

  // The frame after one timer tick.
  Picture Frame()
  {
    editor->Tick();
    return editor_test::PictureOf(editor->GetFrame());
  }

  PanelValues HostValues()
  {
    PanelValues values;
    values.out = host.GetParameter(kOut);
    values.circuit = host.GetParameter(kCircuit);
    values.hi = host.GetParameter(kHi);
    values.lo = host.GetParameter(kLo);
    values.bypass = host.GetParameter(kBypass);
    return values;
  }

  void Click(int x, int y)
  {
    IMouseMod left(true);
    editor->OnMouseDown(x, y, &left);
    editor->OnMouseUp(x, y, &left);
  }

  // Begin edit, automate (with its value) and end edit calls, in order.
  std::vector<std::tuple<int, int, float>> Gestures()
  {
    std::vector<std::tuple<int, int, float>> out;
    for (const HostCall& call : host.Calls())
      if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate ||
          call.opcode == audioMasterEndEdit)
        out.emplace_back(call.opcode, call.index, call.opcode == audioMasterAutomate ? call.opt : 0.f);
    return out;
  }

  std::vector<float> Parameters()
  {
    std::vector<float> values;
    for (int i = 0; i < kNumParams; ++i) values.push_back(host.GetParameter(i));
    return values;
  }

  TestHost host;
  IGraphicsHeadless* editor = nullptr;
};

TEST_F(KestruneEditor, AnnouncesAnEditorOf465By488)
{
  EXPECT_EQ(host.Effect()->flags, 0x1019);
  ERect* pRect = nullptr;
  ASSERT_EQ(host.Dispatch(effEditGetRect, 0, 0, &pRect), 1);
  ASSERT_NE(pRect, nullptr);
  EXPECT_EQ(std::make_tuple(pRect->left, pRect->top, pRect->right, pRect->bottom),
            std::make_tuple(int16_t(0), int16_t(0), int16_t(465), int16_t(488)));
}

TEST_F(KestruneEditor, FirstPaintShowsEveryControlAtTheFrameOfItsDefaultValue)
{
  const Picture expected = ComposePanel(PanelValues{});
  ASSERT_EQ(expected.w, kPanelWidth) << "the committed images could not be read";
  EXPECT_TRUE(SamePixels(Frame(), expected));
}

// Any settings the host makes show as the frames they select, and nothing else changes.
TEST_F(KestruneEditor, HostSettingsShowAsTheFramesTheySelect)
{
  std::mt19937 random(15);
  std::uniform_real_distribution<float> unit(0.f, 1.f);
  Frame();
  for (int trial = 0; trial < 12; ++trial)
  {
    for (int idx : {kOut, kCircuit, kHi, kLo, kBypass}) host.SetParameter(idx, unit(random));
    PanelValues shown = HostValues();
    // A value within a hair of a frame boundary could round either way in float; pick again.
    bool nearBoundary = false;
    for (double v : {shown.out, shown.hi, shown.lo})
      nearBoundary |= std::fabs(std::fmod(v * 30.0, 1.0) - 0.5) < 1e-4;
    if (nearBoundary) continue;
    EXPECT_TRUE(SamePixels(Frame(), ComposePanel(shown))) << "trial " << trial;
  }
}

TEST_F(KestruneEditor, BypassClickSetsParameter5AndTheHostHearsTheGesture)
{
  host.ClearCalls();
  Click(kBypassX + 38, kBypassY + 30);
  EXPECT_EQ(host.GetParameter(kBypass), 1.f);
  using G = std::tuple<int, int, float>;
  EXPECT_EQ(Gestures(), (std::vector<G>{G{audioMasterBeginEdit, kBypass, 0.f}, G{audioMasterAutomate, kBypass, 1.f},
                                        G{audioMasterEndEdit, kBypass, 0.f}}));

  host.ClearCalls();
  Click(kCircuitX + 28, kCircuitY + 40);
  EXPECT_EQ(host.GetParameter(kCircuit), 1.f);
  EXPECT_EQ(Gestures(), (std::vector<G>{G{audioMasterBeginEdit, kCircuit, 0.f}, G{audioMasterAutomate, kCircuit, 1.f},
                                        G{audioMasterEndEdit, kCircuit, 0.f}}));
  PanelValues both;
  both.bypass = both.circuit = 1.0;
  EXPECT_TRUE(SamePixels(Frame(), ComposePanel(both)));
}

TEST_F(KestruneEditor, DraggingHiUpByAHundredPixelsRaisesItByAHundredOverFourKnobHeights)
{
  const double before = host.GetParameter(kHi);
  const int x = kHiX + 46;
  IMouseMod left(true);
  editor->OnMouseDown(x, kHiY + 46, &left);
  for (int y = kHiY + 46 - 10; y >= kHiY + 46 - 100; y -= 10) editor->OnMouseDrag(x, y, &left);
  editor->OnMouseUp(x, kHiY + 46 - 100, &left);
  EXPECT_NEAR(host.GetParameter(kHi), before + 100.0 / (92 * 4.0), 1e-6);
  EXPECT_EQ(host.GetParameter(kLo), float(std::sqrt(0.5)));
  EXPECT_EQ(host.CallsWith(audioMasterBeginEdit).size(), 1u);
  EXPECT_EQ(host.CallsWith(audioMasterEndEdit).size(), 1u);
}

TEST_F(KestruneEditor, HostChangeOfTheSpareParameterRepaintsNothing)
{
  Frame();
  editor->ClearPaintedRects();
  host.SetParameter(kSpare, 1.f);
  EXPECT_FALSE(editor->Tick());
  EXPECT_TRUE(editor->PaintedRects().empty());

  // While a change of a shown parameter repaints its knob alone.
  host.SetParameter(kLo, 0.25f);
  EXPECT_TRUE(editor->Tick());
  ASSERT_EQ(editor->PaintedRects().size(), 1u);
  const IRECT& painted = editor->PaintedRects()[0];
  EXPECT_EQ(std::make_tuple(painted.L, painted.T, painted.R, painted.B),
            std::make_tuple(kLoX, kLoY, kLoX + 92, kLoY + 92));
}

TEST_F(KestruneEditor, LinkClickOpensTheProductPageAloneAndChangesNoParameter)
{
  const std::vector<float> before = Parameters();
  host.ClearCalls();
  Click(400, 470);
  ASSERT_EQ(editor->Prompts().size(), 1u) << "no fallback address and no message";
  EXPECT_EQ(editor->Prompts()[0].kind, IGraphicsHeadless::Prompt::kURL);
  EXPECT_EQ(editor->Prompts()[0].text, kProductPage);
  EXPECT_EQ(Parameters(), before);
  EXPECT_TRUE(Gestures().empty());

  // Just outside the visible link area: the background, which does nothing.
  editor->ClearPrompts();
  for (auto [x, y] : {std::pair{366, 470}, std::pair{400, 459}, std::pair{467, 470}}) Click(x, y);
  EXPECT_TRUE(editor->Prompts().empty());
  Click(466, 487);
  EXPECT_EQ(editor->Prompts().size(), 1u);
}

TEST_F(KestruneEditor, SnapshotRequestDrawsThePanelAtTheCurrentValuesWithoutPainting)
{
  Frame();
  editor->ClearPaintedRects();
  host.SetParameter(kOut, 1.f);
  host.SetParameter(kBypass, 1.f);

  EditorSnapshotRequest request{0, 0, nullptr};
  ASSERT_EQ(host.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request), 1);
  EXPECT_EQ(std::make_pair(request.width, request.height), std::make_pair(465, 488));

  Picture snapshot(request.width, request.height, 0x12345678);
  request.pixels = snapshot.px.data();
  ASSERT_EQ(host.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request), 1);
  PanelValues values;
  values.out = values.bypass = 1.0;
  EXPECT_TRUE(SamePixels(snapshot, ComposePanel(values)));
  EXPECT_TRUE(editor->PaintedRects().empty()) << "a snapshot reaches no screen";
  // The view is still owed the changes.
  EXPECT_TRUE(editor->Tick());
  EXPECT_TRUE(SamePixels(editor_test::PictureOf(editor->GetFrame()), snapshot));
}

TEST_F(KestruneEditor, SnapshotRequestOfAnotherSizeOrWithoutARequestWritesNothing)
{
  for (auto [w, h] : {std::pair{464, 488}, std::pair{465, 487}, std::pair{0, 0}, std::pair{-465, -488}})
  {
    std::vector<uint32_t> pixels(465 * 488, 0xABCDEF01u);
    EditorSnapshotRequest request{w, h, pixels.data()};
    EXPECT_EQ(host.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request), 0) << w << "x" << h;
    EXPECT_EQ(pixels, std::vector<uint32_t>(465 * 488, 0xABCDEF01u));
  }
  EXPECT_EQ(host.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, nullptr), 0);
}

TEST(EditorSnapshotRequest, APlugInWithoutAnEditorAnswersNo)
{
  TestHost host;
  host.UseEntryPoint([](audioMasterCallback callback) {
    IPlugInstanceInfo info;
    info.mVSTHostCallback = callback;
    return (new editor_test::EditorVSTPlug(info, 0, 0))->GetAEffect();
  });
  ASSERT_NE(host.Create(), nullptr);
  EditorSnapshotRequest request{7, 9, nullptr};
  EXPECT_EQ(host.Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request), 0);
  EXPECT_EQ(std::make_pair(request.width, request.height), std::make_pair(7, 9));
}

} // namespace
} // namespace kestrune_panel_test
