// The LV2 editor (an X11 UI) under a virtual X server, in a UI host of ours: what its clicks and
// drags write to the plug-in's ports, how the host's port events move it, what it asks of the
// host, and how the bundle describes it.

#include "tests/lv2/Lv2EditorTestPlug.h"
#include "tests/lv2/Lv2TestSupport.h"
#include "tests/lv2/Lv2UIHost.h"
#include "tests/x11/X11TestHost.h"
#include "tests/x11/XvfbServer.h"

#include "effect/PanelLayout.h"

#include <lv2/ui/ui.h>

#include <cmath>
#include <cstring>

namespace kestrune_test {
namespace {

namespace et = lv2_editor_test;
using et::kBarColor;
using et::kBarH;
using et::kBarW;
using et::kBarX;
using et::kBarY;
using et::kHeight;
using et::kOffColor;
using et::kOnColor;
using et::kPluginUri;
using et::kSwitchH;
using et::kSwitchW;
using et::kSwitchX;
using et::kSwitchY;
using et::kUiUri;
using et::kWidth;

// The test plug-in's editor, opened in the UI host, with XTEST input on the same server.
class EditorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x11_test::XvfbServer::Shared(), nullptr);
    host_ = std::make_unique<Lv2UIHost>(KESTRUNE_LV2_EDITOR_TEST_MODULE_PATH);
    ASSERT_TRUE(host_->Loaded());
    input_ = std::make_unique<x11_test::XTestInput>();
  }

  // The colour drawn at editor pixel (x, y).
  uint32_t At(int x, int y) { return host_->Grab(x, y, 1, 1).at(0); }
  // Idles until editor pixel (x, y) shows colour.
  bool WaitFor(int x, int y, IColor colour) {
    const uint32_t want = Lv2UIHost::Pixel(colour.R, colour.G, colour.B);
    return host_->IdleUntil([&] { return At(x, y) == want; });
  }
  void MoveTo(int x, int y) {
    int rootX = 0, rootY = 0;
    host_->ToRoot(x, y, &rootX, &rootY);
    input_->MoveTo(rootX, rootY);
    host_->IdleFor(60);
  }
  void Click(int x, int y) {
    MoveTo(x, y);
    input_->Press(1);
    host_->IdleFor(60);
    input_->Release(1);
  }
  // Idles until the host has heard n calls.
  bool WaitForCalls(size_t n) {
    return host_->IdleUntil([&] { return host_->Calls().size() >= n; });
  }

  std::unique_ptr<Lv2UIHost> host_;
  std::unique_ptr<x11_test::XTestInput> input_;
};

constexpr int kSwitchCentreX = kSwitchX + kSwitchW / 2, kSwitchCentreY = kSwitchY + kSwitchH / 2;
constexpr int kBarCentreX = kBarX + kBarW / 2;
// Rows of the level bar a quarter and three quarters of the way up.
constexpr int kBarQuarterY = kBarY + kBarH - kBarH / 4 - 1, kBarThreeQuartersY = kBarY + kBarH / 4;

TEST_F(EditorFixture, ClickOnTheSwitchWritesItsPortBetweenTouchesAndPortEventsMoveTheControls) {
  ASSERT_TRUE(host_->Instantiate(kPluginUri));
  EXPECT_NE(host_->Widget(), 0u);
  EXPECT_EQ(host_->RequestedWidth(), kWidth);
  EXPECT_EQ(host_->RequestedHeight(), kHeight);
  // Playing (the enable port's 1) shows the switch off; the level's default half fills the bar.
  ASSERT_TRUE(WaitFor(kSwitchCentreX, kSwitchCentreY, kOffColor));
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarQuarterY, kBarColor));
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarThreeQuartersY, kOffColor));

  // Bypassing writes 0 to the enable port, bracketed by the host's touch.
  Click(kSwitchCentreX, kSwitchCentreY);
  ASSERT_TRUE(WaitForCalls(3));
  EXPECT_EQ(host_->Calls(), (std::vector<UIHostCall>{{UIHostCall::kTouch, et::kBypass, 1.f},
                                                     {UIHostCall::kWrite, et::kBypass, 0.f},
                                                     {UIHostCall::kTouch, et::kBypass, 0.f}}));
  ASSERT_TRUE(WaitFor(kSwitchCentreX, kSwitchCentreY, kOnColor));

  // The host echoing that value back changes nothing; a host's own change moves the control and
  // is not written back.
  host_->ClearCalls();
  host_->PortEvent(et::kBypass, 0.f);
  host_->IdleFor(100);
  EXPECT_EQ(At(kSwitchCentreX, kSwitchCentreY), Lv2UIHost::Pixel(kOnColor.R, kOnColor.G, kOnColor.B));
  host_->PortEvent(et::kBypass, 1.f);
  EXPECT_TRUE(WaitFor(kSwitchCentreX, kSwitchCentreY, kOffColor));
  host_->PortEvent(et::kLevel, 0.875f);
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarThreeQuartersY, kBarColor));

  // Hostile events: out of range is held to the range, not-a-number is the default; another
  // format, size or port is ignored.
  host_->PortEvent(et::kLevel, -3.f);
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarQuarterY, kOffColor));
  host_->PortEvent(et::kLevel, std::nanf(""));
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarQuarterY, kBarColor));
  EXPECT_TRUE(WaitFor(kBarCentreX, kBarThreeQuartersY, kOffColor));
  const double wide = 1.0;
  const float one = 1.f;
  host_->RawPortEvent(et::kLevel, sizeof(double), 0, &wide);
  host_->RawPortEvent(et::kLevel, sizeof(float), 1, &one);
  host_->RawPortEvent(et::kLevel, sizeof(float), 0, nullptr);
  host_->PortEvent(et::kNumParams, 1.f);
  host_->PortEvent(0xFFFFFFFFu, 1.f);
  host_->IdleFor(100);
  EXPECT_EQ(At(kBarCentreX, kBarThreeQuartersY), Lv2UIHost::Pixel(kOffColor.R, kOffColor.G, kOffColor.B));
  EXPECT_TRUE(host_->Calls().empty());
}

TEST_F(EditorFixture, DragWritesEachStepAndIgnoresTheHostsOlderValuesWhileHeld) {
  ASSERT_TRUE(host_->Instantiate(kPluginUri));
  host_->PortEvent(et::kLevel, 0.25f);
  ASSERT_TRUE(WaitFor(kBarCentreX, kBarQuarterY - 2, kOffColor));

  MoveTo(kBarCentreX, kBarY + 20);
  input_->Press(1);
  host_->IdleFor(60);
  MoveTo(kBarCentreX, kBarY + 15);
  // A value the host sends while the bar is held (its own stale copy) does not move the bar.
  host_->PortEvent(et::kLevel, 0.9f);
  MoveTo(kBarCentreX, kBarY + 10);
  input_->Release(1);
  ASSERT_TRUE(host_->IdleUntil([&] {
    return !host_->Calls().empty() && host_->Calls().back().kind == UIHostCall::kTouch &&
           host_->Calls().back().value == 0.f;
  }));

  // Ten pixels up over a bar of forty raise the level by a quarter.
  const std::vector<UIHostCall>& calls = host_->Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), (UIHostCall{UIHostCall::kTouch, et::kLevel, 1.f}));
  float last = 0.25f;
  for (size_t i = 1; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].kind, UIHostCall::kWrite) << i;
    EXPECT_EQ(calls[i].port, static_cast<uint32_t>(et::kLevel)) << i;
    EXPECT_GT(calls[i].value, last) << i;
    last = calls[i].value;
  }
  EXPECT_NEAR(last, 0.5f, 1e-6);
}

TEST_F(EditorFixture, HostsWithoutTouchOrResizeGetWritesOnlyAndHostsWithoutAParentNoEditor) {
  ASSERT_TRUE(host_->Instantiate(kPluginUri, true, false, false));
  EXPECT_EQ(host_->RequestedWidth(), 0);
  ASSERT_TRUE(WaitFor(kSwitchCentreX, kSwitchCentreY, kOffColor));
  Click(kSwitchCentreX, kSwitchCentreY);
  ASSERT_TRUE(WaitForCalls(1));
  host_->IdleFor(100);
  EXPECT_EQ(host_->Calls(), (std::vector<UIHostCall>{{UIHostCall::kWrite, et::kBypass, 0.f}}));

  EXPECT_FALSE(host_->Instantiate(kPluginUri, false));
  EXPECT_FALSE(host_->Instantiate("https://www.orvantic.com/plugins/other"));
  EXPECT_EQ(host_->Descriptor()->extension_data("http://example.org/no-such-interface"), nullptr);
}

TEST_F(EditorFixture, IdleReportsTheEditorClosedOnceTheHostDestroyedItsWindow) {
  ASSERT_TRUE(host_->Instantiate(kPluginUri));
  EXPECT_EQ(host_->Idle(), 0);
  host_->DestroyParentWindow();
  EXPECT_TRUE(host_->IdleUntil([&] { return host_->Idle() != 0; }));
  host_->Cleanup();
}

TEST(Lv2EditorBundle, DescribesTheEditorAsAnX11UIInTheModuleThatLv2ToolsAccept) {
  const std::string bundle = KESTRUNE_LV2_EDITOR_TEST_BUNDLE_PATH;
  Lv2World world(bundle);
  const LilvPlugin* plugin = world.Plugin(kPluginUri);
  ASSERT_NE(plugin, nullptr);
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), kUiUri);
  EXPECT_TRUE(lilv_ui_is_a(ui, world.Uri(LV2_UI__X11UI)));
  char* binary = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
  EXPECT_EQ(std::string(binary), KESTRUNE_LV2_EDITOR_TEST_MODULE_PATH);
  lilv_free(binary);
  LilvNodes* required = lilv_world_find_nodes(world.World(), lilv_ui_get_uri(ui), world.Uri(LV2_CORE__requiredFeature), nullptr);
  EXPECT_EQ(lilv_nodes_size(required), 2u);
  EXPECT_TRUE(lilv_nodes_contains(required, world.Uri(LV2_UI__parent)));
  EXPECT_TRUE(lilv_nodes_contains(required, world.Uri(LV2_UI__idleInterface)));
  lilv_nodes_free(required);
  lilv_uis_free(uis);

  const CommandResult validated = RunCommand("sord_validate $(find /usr/lib/lv2 -name '*.ttl') '" + bundle +
                                             "'/manifest.ttl '" + bundle + "'/editortest.ttl '" + bundle + "'/presets.ttl");
  EXPECT_EQ(validated.status, 0) << validated.output;
  EXPECT_NE(validated.output.find("Found 0 errors"), std::string::npos) << validated.output;
  EXPECT_EQ(validated.output.find("warning"), std::string::npos) << validated.output;
}

TEST(Lv2KestruneEditor, ClickOnTheBypassSwitchBypassesTheInstanceThroughItsPortAndHostChangesShowOnTheSwitch) {
  ASSERT_NE(x11_test::XvfbServer::Shared(), nullptr);
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  ASSERT_NE(plugin, nullptr);
  LilvUIs* uis = lilv_plugin_get_uis(plugin);
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  EXPECT_TRUE(lilv_ui_is_a(lilv_uis_get(uis, lilv_uis_begin(uis)), world.Uri(LV2_UI__X11UI)));
  lilv_uis_free(uis);

  Lv2UIHost ui(KESTRUNE_LV2_MODULE_PATH);
  ASSERT_TRUE(ui.Loaded());
  ASSERT_TRUE(ui.Instantiate(kKestruneUri));
  EXPECT_EQ(ui.RequestedWidth(), PanelLayout::kWidth);
  EXPECT_EQ(ui.RequestedHeight(), PanelLayout::kHeight);
  const PanelImage& bypass = PanelLayout::kBypass;
  auto grabSwitch = [&] { return ui.Grab(bypass.x, bypass.y, bypass.frameWidth, bypass.frameHeight); };
  ui.IdleFor(200);
  const std::vector<uint32_t> playing = grabSwitch();

  x11_test::XTestInput input;
  int rootX = 0, rootY = 0;
  ui.ToRoot(static_cast<int>(bypass.CentreX()), static_cast<int>(bypass.CentreY()), &rootX, &rootY);
  input.MoveTo(rootX, rootY);
  ui.IdleFor(60);
  input.Press(1);
  ui.IdleFor(60);
  input.Release(1);
  ASSERT_TRUE(ui.IdleUntil([&] { return ui.Calls().size() >= 3; }));
  EXPECT_EQ(ui.Calls(), (std::vector<UIHostCall>{{UIHostCall::kTouch, kBypass, 1.f},
                                                 {UIHostCall::kWrite, kBypass, 0.f},
                                                 {UIHostCall::kTouch, kBypass, 0.f}}));
  EXPECT_TRUE(ui.IdleUntil([&] { return grabSwitch() != playing; }));

  // What the editor wrote reaches the instance that processes audio: bypassed, it passes its
  // input through unchanged.
  Lv2Instance instance(world, plugin, 48000.0);
  ASSERT_TRUE(instance.Ok());
  instance.Activate();
  instance.Set("out", 0.9f);
  for (const UIHostCall& call : ui.Calls())
    if (call.kind == UIHostCall::kWrite) instance.Set(kSymbols[call.port], call.value);
  const Channels in = Noise(2048, 0.5f, 5);
  Channels out;
  RenderLv2(instance, in, 0, 2048, 512, out);
  EXPECT_EQ(out, in);

  // The host enabling the plug-in again shows on the switch.
  ui.PortEvent(kBypass, 1.f);
  EXPECT_TRUE(ui.IdleUntil([&] { return grabSwitch() == playing; }));
}

}  // namespace
}  // namespace kestrune_test
