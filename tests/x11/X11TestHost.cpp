#include "tests/x11/X11TestHost.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace x11_test {

namespace {

// The test host outlives servers that tests end on purpose: its connection dying must not end
// the process either.
void KeepRunning(Display*, void*) {}

} // namespace

// ---- XTestInput ----

XTestInput::XTestInput(const char* displayName)
{
  mDisplay = XOpenDisplay(displayName);
  if (mDisplay) XSetIOErrorExitHandler(mDisplay, KeepRunning, nullptr);
}

XTestInput::~XTestInput()
{
  if (mDisplay) XCloseDisplay(mDisplay);
}

void XTestInput::MoveTo(int rootX, int rootY)
{
  XTestFakeMotionEvent(mDisplay, DefaultScreen(mDisplay), rootX, rootY, CurrentTime);
  XSync(mDisplay, False);
}

void XTestInput::Press(unsigned button)
{
  XTestFakeButtonEvent(mDisplay, button, True, CurrentTime);
  XSync(mDisplay, False);
}

void XTestInput::Release(unsigned button)
{
  XTestFakeButtonEvent(mDisplay, button, False, CurrentTime);
  XSync(mDisplay, False);
}

void XTestInput::Key(KeySym key, bool press)
{
  XTestFakeKeyEvent(mDisplay, XKeysymToKeycode(mDisplay, key), press ? True : False, CurrentTime);
  XSync(mDisplay, False);
}

void XTestInput::TapKey(KeySym key)
{
  Key(key, true);
  Key(key, false);
}

std::vector<XTestInput::Popup> XTestInput::Popups()
{
  std::vector<Popup> popups;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(mDisplay, DefaultRootWindow(mDisplay), &root, &parent, &children, &count)) return popups;
  for (unsigned i = 0; i < count; ++i)
  {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mDisplay, children[i], &attributes)) continue;
    if (attributes.override_redirect && attributes.map_state == IsViewable)
      popups.push_back({children[i], attributes.x, attributes.y, attributes.width, attributes.height});
  }
  if (children) XFree(children);
  return popups;
}

std::vector<XTestInput::Popup> XTestInput::WaitForPopups(size_t count, int timeoutMs)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<Popup> popups = Popups();
  while (popups.size() < count && std::chrono::steady_clock::now() < deadline)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    popups = Popups();
  }
  return popups;
}

// ---- X11TestHost ----

X11TestHost::X11TestHost(const char* displayName, VstPluginMainProc entry) : mInput(displayName)
{
  mDisplay = XOpenDisplay(displayName);
  if (mDisplay) XSetIOErrorExitHandler(mDisplay, KeepRunning, nullptr);
  mVst.UseEntryPoint(entry);
  if (mVst.Create()) mVst.Start(44100.f, 512);
}

X11TestHost::~X11TestHost()
{
  if (mEditorOpen) CloseEditor();
  mVst.Close();
  if (!mDisplay) return;
  DestroyHostWindow();
  XCloseDisplay(mDisplay);
}

Window X11TestHost::EditorWindow() const
{
  if (!mWindow) return 0;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  Window editor = 0;
  if (XQueryTree(mDisplay, mWindow, &root, &parent, &children, &count) && count > 0) editor = children[0];
  if (children) XFree(children);
  return editor;
}

intptr_t X11TestHost::OpenEditor()
{
  ERect* pRect = nullptr;
  if (!mVst.Dispatch(effEditGetRect, 0, 0, &pRect) || !pRect) return 0;
  if (!mWindow)
  {
    const int screen = DefaultScreen(mDisplay);
    mWindow = XCreateSimpleWindow(mDisplay, RootWindow(mDisplay, screen), kWindowX, kWindowY,
                                  static_cast<unsigned>(pRect->right - pRect->left),
                                  static_cast<unsigned>(pRect->bottom - pRect->top), 0, 0,
                                  WhitePixel(mDisplay, screen));
    XSelectInput(mDisplay, mWindow, StructureNotifyMask | KeyPressMask | KeyReleaseMask);
    XMapWindow(mDisplay, mWindow);
    XEvent event;
    do XWindowEvent(mDisplay, mWindow, StructureNotifyMask, &event);
    while (event.type != MapNotify);
  }
  const intptr_t opened = mVst.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)));
  mEditorOpen = opened != 0;
  return opened;
}

intptr_t X11TestHost::CloseEditor()
{
  mEditorOpen = false;
  return mVst.Dispatch(effEditClose);
}

void X11TestHost::DestroyHostWindow()
{
  if (!mWindow) return;
  XDestroyWindow(mDisplay, mWindow);
  XSync(mDisplay, False);
  mWindow = 0;
}

bool X11TestHost::IdleUntil(const std::function<bool()>& done, int timeoutMs)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;)
  {
    mVst.Dispatch(effEditIdle);
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(33));
  }
}

void X11TestHost::IdleFor(int ms)
{
  IdleUntil([] { return false; }, ms);
}

void X11TestHost::MoveTo(int x, int y)
{
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), x, y, &rootX, &rootY, &child);
  mInput.MoveTo(rootX, rootY);
}

void X11TestHost::Press(unsigned button)
{
  mInput.Press(button);
}

void X11TestHost::Release(unsigned button)
{
  mInput.Release(button);
}

void X11TestHost::Click(int x, int y, unsigned button)
{
  MoveTo(x, y);
  Press(button);
  Release(button);
}

void X11TestHost::Key(KeySym key, bool press)
{
  mInput.Key(key, press);
}

void X11TestHost::TapKey(KeySym key)
{
  mInput.TapKey(key);
}

void X11TestHost::TapKeyWith(KeySym modifier, KeySym key)
{
  mInput.Key(modifier, true);
  mInput.TapKey(key);
  mInput.Key(modifier, false);
}

std::vector<uint32_t> X11TestHost::Grab(int x, int y, int w, int h)
{
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(mDisplay, mWindow, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes,
                            ZPixmap);
  if (!image) return pixels;
  pixels.reserve(size_t(w) * h);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, col, row)));
  XDestroyImage(image);
  return pixels;
}

} // namespace x11_test
