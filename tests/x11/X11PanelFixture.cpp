#include "tests/x11/X11PanelFixture.h"

namespace x11_test {

using editor_test::Picture;
using kestrune_test::HostCall;

Reference::Reference()
{
  vst.UseEntryPoint(HeadlessPanelEntry);
  vst.Create();
  vst.Start(44100.f, 512);
  editor = static_cast<IGraphicsHeadless*>(PanelPlug::sLast->Editor());
  int token = 0;
  vst.Dispatch(effEditOpen, 0, 0, &token);
}

Picture Reference::Frame()
{
  editor->Tick();
  return editor_test::PictureOf(editor->GetFrame());
}

Panel::Panel(const char* display) : host(display, X11PanelEntry)
{
  editor = static_cast<IGraphicsX11*>(PanelPlug::sLast->Editor());
}

bool Panel::Open()
{
  return host.IsReady() && host.OpenEditor() == 1;
}

bool Panel::Settle()
{
  return host.IdleUntil([this] {
    IRECT dirty;
    return !editor->IsDirty(&dirty);
  });
}

uint32_t OnScreen24(LICE_pixel p)
{
  return p & 0xFFFFFFu;
}

uint32_t OnScreen16(LICE_pixel p)
{
  return ((LICE_GETR(p) >> 3) << 11) | ((LICE_GETG(p) >> 2) << 5) | (LICE_GETB(p) >> 3);
}

::testing::AssertionResult SameScreen(const std::vector<uint32_t>& screen, const Picture& frame,
                                      uint32_t (*onScreen)(LICE_pixel))
{
  if (screen.size() != frame.px.size())
    return ::testing::AssertionFailure() << "grabbed " << screen.size() << " pixels, expected " << frame.px.size();
  size_t differing = 0, first = 0;
  for (size_t i = 0; i < screen.size(); ++i)
    if (screen[i] != onScreen(frame.px[i]) && differing++ == 0) first = i;
  if (!differing) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, first at (" << first % frame.w << ", "
                                       << first / frame.w << "): screen " << std::hex << screen[first]
                                       << ", expected " << onScreen(frame.px[first]);
}

std::vector<std::tuple<int, int, float>> Gestures(const kestrune_test::TestHost& vst)
{
  std::vector<std::tuple<int, int, float>> out;
  for (const HostCall& call : vst.Calls())
    if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate || call.opcode == audioMasterEndEdit)
      out.emplace_back(call.opcode, call.index, call.opcode == audioMasterAutomate ? call.opt : 0.f);
  return out;
}

size_t CountOf(const kestrune_test::TestHost& vst, int32_t opcode)
{
  return vst.CallsWith(opcode).size();
}

int ChildCount(Display* display, Window window)
{
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!window || !XQueryTree(display, window, &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

} // namespace x11_test
