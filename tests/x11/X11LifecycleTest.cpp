// Opening and closing the editor many times, and hosts and servers that misbehave: nothing may be
// left behind on the server or in the process, and nothing may end the host's process.

#include "tests/x11/X11PanelFixture.h"

#include <X11/extensions/XRes.h>
#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace x11_test {
namespace {

int CountEntries(const char* folder)
{
  int n = 0;
  if (DIR* dir = opendir(folder))
  {
    while (readdir(dir)) ++n;
    closedir(dir);
  }
  return n;
}

// Shared-memory segments mapped into the process.
int SharedSegments()
{
  std::ifstream maps("/proc/self/maps");
  int n = 0;
  for (std::string line; std::getline(maps, line);)
    if (line.find("SYSV") != std::string::npos) ++n;
  return n;
}

int ServerClients(Display* display)
{
  int count = 0;
  XResClient* clients = nullptr;
  if (!XResQueryClients(display, &count, &clients)) return -1;
  XFree(clients);
  return count;
}

int WindowsBelow(Display* display, Window window)
{
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  int n = static_cast<int>(count);
  for (unsigned i = 0; i < count; ++i) n += WindowsBelow(display, children[i]);
  if (children) XFree(children);
  return n;
}

// What one opening could leave behind, on the server and in the process.
struct Footprint
{
  int clients, windows, files, segments;
  size_t heap;

  static Footprint Of(Display* display)
  {
    return {ServerClients(display), WindowsBelow(display, DefaultRootWindow(display)), CountEntries("/proc/self/fd"),
            SharedSegments(), mallinfo2().uordblks};
  }
};

// The server learns of a closed connection a moment after the client closed it.
Footprint SettledFootprint(Display* display, int expectedClients)
{
  Footprint now = Footprint::Of(display);
  for (int i = 0; i < 200 && now.clients != expectedClients; ++i)
  {
    usleep(5000);
    now = Footprint::Of(display);
  }
  return now;
}

TEST_F(X11EditorTest, TwoHundredOpeningsLeaveNoClientWindowFileSegmentOrMemoryBehind)
{
  Panel panel;
  ASSERT_TRUE(panel.host.IsReady());
  X11TestHost& host = panel.host;
  // One opening first, so that module-wide caches (images, fonts) are filled.
  ASSERT_TRUE(panel.Open());
  host.IdleFor(40);
  host.CloseEditor();
  Display* display = host.GetDisplay();
  const Footprint before = SettledFootprint(display, -1);

  Footprint open{};
  for (int cycle = 0; cycle < 200; ++cycle)
  {
    ASSERT_EQ(host.OpenEditor(), 1) << cycle;
    host.Vst().Dispatch(effEditIdle);
    if (cycle == 0) open = Footprint::Of(display);
    ASSERT_EQ(host.CloseEditor(), 1) << cycle;
  }
  EXPECT_EQ(open.clients, before.clients + 1) << "an open editor has a connection of its own";
  EXPECT_GT(open.windows, before.windows);

  const Footprint after = SettledFootprint(display, before.clients);
  EXPECT_EQ(after.clients, before.clients);
  EXPECT_EQ(after.windows, before.windows);
  EXPECT_EQ(after.files, before.files);
  EXPECT_EQ(after.segments, before.segments);
  // Xlib keeps a little per process; 200 lost openings would be far more.
  EXPECT_LT(after.heap, before.heap + 64 * 1024) << "heap grew from " << before.heap << " to " << after.heap;

  // The model lived on: the editor opens again and shows its controls.
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  EXPECT_TRUE(SameScreen(host.Grab(0, 0, kPanelW, kPanelH), Reference().Frame()));
}

int gHostErrors = 0;
int CountHostError(Display*, XErrorEvent*)
{
  ++gHostErrors;
  return 0;
}

TEST_F(X11EditorTest, BogusParentIsRefusedAndLeavesTheHostsErrorHandlerAlone)
{
  Panel panel;
  ASSERT_TRUE(panel.host.IsReady());
  gHostErrors = 0;
  const XErrorHandler before = XSetErrorHandler(CountHostError);
  kestrune_test::TestHost& vst = panel.host.Vst();
  EXPECT_EQ(vst.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  EXPECT_EQ(vst.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x3ffff01))), 0);
  // An id that exists, but not of a window.
  const Pixmap pixmap = XCreatePixmap(panel.host.GetDisplay(), DefaultRootWindow(panel.host.GetDisplay()), 4, 4, 24);
  XSync(panel.host.GetDisplay(), False);
  EXPECT_EQ(vst.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(pixmap))), 0);
  XFreePixmap(panel.host.GetDisplay(), pixmap);
  EXPECT_EQ(vst.Dispatch(effEditIdle), 0);
  EXPECT_EQ(XSetErrorHandler(before), CountHostError) << "the editor left its handler installed";
  EXPECT_EQ(gHostErrors, 0) << "the editor's errors reached the host's handler";
  EXPECT_EQ(panel.editor->GetWindow(), nullptr);

  // A real window afterwards works.
  EXPECT_TRUE(panel.Open());
}

TEST_F(X11EditorTest, ParentDestroyedBeforeCloseClosesTheViewQuietly)
{
  Panel panel;
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  X11TestHost& host = panel.host;
  host.DestroyHostWindow();
  EXPECT_TRUE(host.IdleUntil([&] { return panel.editor->GetWindow() == nullptr; }));
  EXPECT_EQ(host.CloseEditor(), 1);

  // A new window gets the editor again, with its values.
  host.Vst().SetParameter(editor_test::kGain, 0.25f);
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());
  Reference reference;
  reference.vst.SetParameter(editor_test::kGain, 0.25f);
  EXPECT_TRUE(SameScreen(host.Grab(0, 0, kPanelW, kPanelH), reference.Frame()));
}

TEST(X11EditorVanishingServerTest, ServerGoneWhileOpenClosesTheEditorAndTheProcessGoesOn)
{
  auto server = std::make_unique<XvfbServer>();
  ASSERT_TRUE(server->IsRunning());
  setenv("DISPLAY", server->Name().c_str(), 1);
  Panel panel(server->Name().c_str());
  ASSERT_TRUE(panel.Open());
  ASSERT_TRUE(panel.Settle());

  server->Kill();
  EXPECT_TRUE(panel.host.IdleUntil([&] { return panel.editor->GetWindow() == nullptr; }));
  EXPECT_EQ(panel.host.CloseEditor(), 1);
  // No server to open on any more: refused, not fatal.
  EXPECT_EQ(panel.host.OpenEditor(), 0);
  EXPECT_EQ(panel.host.Vst().Dispatch(effEditIdle), 0);
}

} // namespace
} // namespace x11_test
