// Kestrune's LV2 editor (an X11 UI) under a virtual X server, in a UI host of ours: what its
// clicks and drags write to the plug-in's ports, how the host's port events move its controls,
// what it asks of the host, and how the bundle describes it. Controls are watched through the
// pixels of their own rectangles, so the tests hold whatever the panel images look like.

#include "effect/PanelLayout.h"
#include "tests/lv2/Lv2TestSupport.h"
#include "tests/lv2/Lv2UIHost.h"
#include "tests/x11/X11TestHost.h"
#include "tests/x11/XvfbServer.h"

#include <lv2/ui/ui.h>

#include <cmath>
#include <memory>

namespace kestrune_test {
namespace {

using Picture = std::vector<uint32_t>;

class Lv2Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x11_test::XvfbServer::Shared(), nullptr);
    host_ = std::make_unique<Lv2UIHost>(KESTRUNE_LV2_MODULE_PATH);
    ASSERT_TRUE(host_->Loaded());
    input_ = std::make_unique<x11_test::XTestInput>();
  }

  // What the editor shows in a control's rectangle.
  Picture Grab(const PanelImage& image) {
    return host_->Grab(image.x, image.y, image.frameWidth, image.frameHeight);
  }
  // Idles until the control shows something else than before, or the same as want.
  bool WaitForChange(const PanelImage& image, const Picture& before) {
    return host_->IdleUntil([&] { return Grab(image) != before; });
  }
  bool WaitFor(const PanelImage& image, const Picture& want) {
    return host_->IdleUntil([&] { return Grab(image) == want; });
  }
  // Idles until the first paint is on the screen, and returns the control's picture.
  Picture Settled(const PanelImage& image) {
    host_->IdleFor(200);
    return Grab(image);
  }
  void MoveTo(int x, int y) {
    int rootX = 0, rootY = 0;
    host_->ToRoot(x, y, &rootX, &rootY);
    input_->MoveTo(rootX, rootY);
    host_->IdleFor(60);
  }
  void Click(const PanelImage& image) {
    MoveTo(static_cast<int>(image.CentreX()), static_cast<int>(image.CentreY()));
    input_->Press(1);
    host_->IdleFor(60);
    input_->Release(1);
  }
  bool WaitForCalls(size_t n) {
    return host_->IdleUntil([&] { return host_->Calls().size() >= n; });
  }

  std::unique_ptr<Lv2UIHost> host_;
  std::unique_ptr<x11_test::XTestInput> input_;
};

TEST_F(Lv2Editor, ClickOnBypassWritesTheEnablePortBetweenTouchesAndTheInstanceThenPassesItsInput) {
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  ASSERT_NE(plugin, nullptr);
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  EXPECT_TRUE(lilv_ui_is_a(ui, world.Uri(LV2_UI__X11UI)));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  EXPECT_STREQ(binary, KESTRUNE_LV2_MODULE_PATH);
  lilv_free(binary);
  LilvNodes* required =
      lilv_world_find_nodes(world.World(), lilv_ui_get_uri(ui), world.Uri(LV2_CORE__requiredFeature), nullptr);
  EXPECT_EQ(lilv_nodes_size(required), 2u);
  EXPECT_TRUE(lilv_nodes_contains(required, world.Uri(LV2_UI__parent)));
  EXPECT_TRUE(lilv_nodes_contains(required, world.Uri(LV2_UI__idleInterface)));
  lilv_nodes_free(required);
  lilv_uis_free(uis);

  ASSERT_TRUE(host_->Instantiate(kKestruneUri));
  EXPECT_NE(host_->Widget(), 0u);
  EXPECT_EQ(host_->RequestedWidth(), PanelLayout::kWidth);
  EXPECT_EQ(host_->RequestedHeight(), PanelLayout::kHeight);
  const Picture playing = Settled(PanelLayout::kBypass);

  // Bypassing writes 0 to the enable port, between the host's touches.
  Click(PanelLayout::kBypass);
  ASSERT_TRUE(WaitForCalls(3));
  EXPECT_EQ(host_->Calls(), (std::vector<UIHostCall>{{UIHostCall::kTouch, kBypass, 1.f},
                                                     {UIHostCall::kWrite, kBypass, 0.f},
                                                     {UIHostCall::kTouch, kBypass, 0.f}}));
  ASSERT_TRUE(WaitForChange(PanelLayout::kBypass, playing));
  const Picture bypassed = Grab(PanelLayout::kBypass);

  // The written value reaches the instance that processes audio: bypassed, it passes its input
  // through unchanged.
  Lv2Instance instance(world, plugin, 48000.0);
  ASSERT_TRUE(instance.Ok());
  instance.Activate();
  instance.Set("out", 0.9f);
  for (const UIHostCall& call : host_->Calls())
    if (call.kind == UIHostCall::kWrite) instance.Set(kSymbols[call.port], call.value);
  const Channels in = Noise(2048, 0.5f, 5);
  Channels out;
  RenderLv2(instance, in, 0, 2048, 512, out);
  EXPECT_EQ(out, in);

  // The host echoing the value back changes nothing and is not written back; the host enabling
  // the plug-in again shows on the switch.
  host_->ClearCalls();
  host_->PortEvent(kBypass, 0.f);
  host_->IdleFor(100);
  EXPECT_EQ(Grab(PanelLayout::kBypass), bypassed);
  host_->PortEvent(kBypass, 1.f);
  EXPECT_TRUE(WaitFor(PanelLayout::kBypass, playing));
  EXPECT_TRUE(host_->Calls().empty());
}

TEST_F(Lv2Editor, KnobDragWritesEachStepAndIgnoresTheHostsOlderValuesWhileHeld) {
  ASSERT_TRUE(host_->Instantiate(kKestruneUri));
  const PanelImage& knob = PanelLayout::kOut;
  Settled(knob);
  const int x = static_cast<int>(knob.CentreX()), y = static_cast<int>(knob.CentreY());
  MoveTo(x, y);
  input_->Press(1);
  host_->IdleFor(60);
  MoveTo(x, y - 19);
  // What the host sends while the knob is held (its own older copy) does not move the knob.
  host_->PortEvent(kOut, 0.9f);
  MoveTo(x, y - 38);
  input_->Release(1);
  ASSERT_TRUE(host_->IdleUntil([&] {
    return !host_->Calls().empty() && host_->Calls().back() == UIHostCall{UIHostCall::kTouch, kOut, 0.f};
  }));

  // 38 pixels up over a 95-pixel knob geared 4 raise OUT from 0.5 by a tenth, in rising steps.
  const std::vector<UIHostCall>& calls = host_->Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), (UIHostCall{UIHostCall::kTouch, kOut, 1.f}));
  float last = 0.5f;
  for (size_t i = 1; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].kind, UIHostCall::kWrite) << i;
    EXPECT_EQ(calls[i].port, static_cast<uint32_t>(kOut)) << i;
    EXPECT_GT(calls[i].value, last) << i;
    last = calls[i].value;
  }
  EXPECT_NEAR(last, 0.6f, 1e-6);
}

TEST_F(Lv2Editor, HostPortEventsMoveTheControlsHeldToTheirRangesAndAnythingElseIsIgnored) {
  ASSERT_TRUE(host_->Instantiate(kKestruneUri));
  const PanelImage& knob = PanelLayout::kOut;
  const Picture half = Settled(knob);
  host_->PortEvent(kOut, 1.f);
  ASSERT_TRUE(WaitForChange(knob, half));
  const Picture full = Grab(knob);
  host_->PortEvent(kOut, 0.f);
  ASSERT_TRUE(WaitForChange(knob, full));
  const Picture none = Grab(knob);

  // Out of range is held to the range; not-a-number is the default.
  host_->PortEvent(kOut, 7.f);
  EXPECT_TRUE(WaitFor(knob, full));
  host_->PortEvent(kOut, std::nanf(""));
  EXPECT_TRUE(WaitFor(knob, half));
  host_->PortEvent(kOut, -HUGE_VALF);
  EXPECT_TRUE(WaitFor(knob, none));
  // The circuit switch rounds to its positions.
  const Picture plain = Grab(PanelLayout::kCircuit);
  host_->PortEvent(kCircuit, 0.75f);
  ASSERT_TRUE(WaitForChange(PanelLayout::kCircuit, plain));
  host_->PortEvent(kCircuit, 0.25f);
  EXPECT_TRUE(WaitFor(PanelLayout::kCircuit, plain));

  // Another format, size, buffer or port is ignored, and nothing is written back.
  const double wide = 1.0;
  const float one = 1.f;
  host_->RawPortEvent(kOut, sizeof(double), 0, &wide);
  host_->RawPortEvent(kOut, sizeof(float), 1, &one);
  host_->RawPortEvent(kOut, sizeof(float), 0, nullptr);
  for (uint32_t port : {uint32_t(kNumParams), 9u, 0xFFFFFFFFu}) host_->PortEvent(port, 1.f);
  host_->IdleFor(100);
  EXPECT_EQ(Grab(knob), none);
  EXPECT_TRUE(host_->Calls().empty());
}

TEST_F(Lv2Editor, WithoutTouchOrResizeOnlyWritesAndWithoutAParentOrForAnotherPluginThereIsNone) {
  ASSERT_TRUE(host_->Instantiate(kKestruneUri, true, false, false));
  EXPECT_EQ(host_->RequestedWidth(), 0);
  Settled(PanelLayout::kBypass);
  Click(PanelLayout::kBypass);
  ASSERT_TRUE(WaitForCalls(1));
  host_->IdleFor(100);
  EXPECT_EQ(host_->Calls(), (std::vector<UIHostCall>{{UIHostCall::kWrite, kBypass, 0.f}}));

  EXPECT_FALSE(host_->Instantiate(kKestruneUri, false));
  EXPECT_FALSE(host_->Instantiate("https://www.orvantic.com/plugins/other"));
  EXPECT_EQ(host_->Descriptor()->extension_data("http://example.org/no-such-interface"), nullptr);
}

TEST_F(Lv2Editor, IdleReportsTheEditorClosedOnceTheHostDestroyedItsWindow) {
  ASSERT_TRUE(host_->Instantiate(kKestruneUri));
  EXPECT_EQ(host_->Idle(), 0);
  host_->DestroyParentWindow();
  EXPECT_TRUE(host_->IdleUntil([&] { return host_->Idle() != 0; }));
  host_->Cleanup();
}

}  // namespace
}  // namespace kestrune_test
