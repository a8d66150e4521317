// The built Kestrune.so's editor in an X11 window of a self-started Xvfb: it shows what the
// headless host shows, a click through the server works its switch, and a window id that names
// no window is refused.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <memory>

#include "effect/PanelResources.h"
#include "graphics/ISwitchControl.h"
#include "platform/headless/IGraphicsHeadless.h"
#include "platform/x11/IGraphicsX11.h"
#include "tests/effect/KestrunePanelPicture.h"
#include "tests/x11/X11TestHost.h"
#include "tests/x11/XvfbServer.h"
#include "vst2/IPlugVST.h"

namespace x11_test {
namespace {

using editor_test::Picture;
using kestrune_panel_test::kPanelHeight;
using kestrune_panel_test::kPanelWidth;

enum { kOut, kCircuit, kHi, kSpare, kLo, kBypass, kNumParams };

// The module's entry point; the module stays loaded for the rest of the program.
VstPluginMainProc ModuleEntry()
{
  static void* module = dlopen(KESTRUNE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  return module ? reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain")) : nullptr;
}

// Kestrune on the headless host, started like the windowed one.
struct HeadlessKestrune
{
  kestrune_test::TestHost vst;
  IGraphicsHeadless* editor = nullptr;

  HeadlessKestrune()
  {
    vst.UseEntryPoint(kestrune_panel_test::HeadlessKestruneEntry);
    if (AEffect* pEffect = vst.Create())
      editor = static_cast<IGraphicsHeadless*>(static_cast<IPlugVST*>(pEffect->object)->GetGUI());
    vst.Start(44100.f, 512);
    int parent = 0;
    vst.Dispatch(effEditOpen, 0, 0, &parent);
  }
  Picture Frame()
  {
    editor->Tick();
    return editor_test::PictureOf(editor->GetFrame());
  }
};

// The grabbed window (XGetPixel values of a 24-bit TrueColor screen) against a frame.
bool SameScreen(const std::vector<uint32_t>& screen, const Picture& frame)
{
  if (screen.size() != frame.px.size()) return false;
  for (size_t i = 0; i < screen.size(); ++i)
    if (screen[i] != (frame.px[i] & 0xFFFFFFu)) return false;
  return true;
}

class KestruneX11 : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_NE(XvfbServer::Shared(), nullptr) << "Xvfb did not start";
    ASSERT_NE(ModuleEntry(), nullptr) << dlerror();
  }
};

TEST_F(KestruneX11, WindowShowsTheHeadlessFrameAndAClickWorksTheBypassSwitch)
{
  X11TestHost host(nullptr, ModuleEntry());
  ASSERT_TRUE(host.IsReady());
  ASSERT_EQ(host.OpenEditor(), 1);
  HeadlessKestrune reference;
  ASSERT_NE(reference.editor, nullptr);

  const Picture first = reference.Frame();
  EXPECT_TRUE(host.IdleUntil([&] { return SameScreen(host.Grab(0, 0, kPanelWidth, kPanelHeight), first); }))
    << "the window never showed the headless frame";

  for (int idx : {kOut, kHi, kLo})
  {
    host.Vst().SetParameter(idx, 0.2f);
    reference.vst.SetParameter(idx, 0.2f);
  }
  const Picture turned = reference.Frame();
  EXPECT_TRUE(host.IdleUntil([&] { return SameScreen(host.Grab(0, 0, kPanelWidth, kPanelHeight), turned); }));

  host.Click(kestrune_panel_test::kBypassX + 38, kestrune_panel_test::kBypassY + 30);
  EXPECT_TRUE(host.IdleUntil([&] { return host.Vst().GetParameter(kBypass) == 1.f; }));
  reference.vst.SetParameter(kBypass, 1.f);
  const Picture bypassed = reference.Frame();
  EXPECT_TRUE(host.IdleUntil([&] { return SameScreen(host.Grab(0, 0, kPanelWidth, kPanelHeight), bypassed); }));
  EXPECT_EQ(host.CloseEditor(), 1);
}

TEST_F(KestruneX11, AWindowIdThatNamesNoWindowIsRefused)
{
  X11TestHost host(nullptr, ModuleEntry());
  ASSERT_TRUE(host.IsReady());
  // An id in the range of another client's resources, which no window of this server has.
  for (uintptr_t bogus : {uintptr_t(0x3a00017), uintptr_t(0x7fffffff)})
    EXPECT_EQ(host.Vst().Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(bogus)), 0) << bogus;
  EXPECT_EQ(host.OpenEditor(), 1);
}

// The module's host finds its images among the embedded ones by base name, ".png" in any case;
// every other name loads nothing, and a control of such an image draws nothing.
TEST(KestruneImages, OnlyPngNamesLoadByTheirBaseName)
{
  editor_test::EditorTestPlug plug;
  IGraphicsX11* editor = new IGraphicsX11(&plug, kPanelWidth, kPanelHeight);
  editor->SetResources(&KestrunePanelResources());
  plug.AttachGraphics(editor);

  for (const char* name : {"resources/img/OUT.png", "resources/img/OUT.PNG", "OUT.Png", "C:\\art\\OUT.png"})
  {
    std::unique_ptr<LICE_IBitmap> image(editor->OSLoadBitmap(105, name));
    ASSERT_NE(image, nullptr) << name;
    EXPECT_EQ(std::make_pair(image->getWidth(), image->getHeight()), std::make_pair(95, 95 * 31)) << name;
  }
  for (const char* name : {"resources/img/OUT.jpg", "resources/img/OUT", "resources/img/OUT.png.old",
                           "resources/img/out.png", "resources/img/", "resources/img/.png", ""})
    EXPECT_EQ(editor->OSLoadBitmap(105, name), nullptr) << name;

  editor->AttachBackground(editor_test::NextBitmapId(), "resources/img/bg.png");
  std::vector<uint32_t> before(size_t(kPanelWidth) * kPanelHeight), after(before.size());
  ASSERT_TRUE(editor->DrawSnapshot(before.data(), kPanelWidth, kPanelHeight));
  IBitmap missing = editor->LoadIBitmap(editor_test::NextBitmapId(), "resources/img/by.bmp", 2);
  EXPECT_EQ(missing.mData, nullptr);
  editor->AttachControl(new ISwitchControl(&plug, 194, 317, editor_test::kSwitch, &missing));
  ASSERT_TRUE(editor->DrawSnapshot(after.data(), kPanelWidth, kPanelHeight));
  EXPECT_TRUE(after == before);
  EXPECT_TRUE(before == kestrune_panel_test::CommittedImage("bg.png").px);
}

} // namespace
} // namespace x11_test
