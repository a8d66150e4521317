#pragma once

// A small X11 VST 2 host for the editor tests: a top-level window of its own on its own
// connection, the plug-in's editor opened in it through the dispatcher, effEditIdle at 30 Hz while
// a test waits for something, input injected through XTEST, and the window's pixels read back.

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/vst2/TestHost.h"

namespace x11_test {

// Input through XTEST and a look at the screen, on a connection of its own (so that a thread can
// drive a modal menu while the host's thread is inside the plug-in). Positions are on the root.
class XTestInput
{
public:
  // Connects to displayName (null: $DISPLAY).
  explicit XTestInput(const char* displayName = nullptr);
  ~XTestInput();
  XTestInput(const XTestInput&) = delete;
  XTestInput& operator=(const XTestInput&) = delete;

  Display* GetDisplay() const { return mDisplay; }
  void MoveTo(int rootX, int rootY);
  void Press(unsigned button);
  void Release(unsigned button);
  void Key(KeySym key, bool press);
  void TapKey(KeySym key);
  // The mapped override-redirect windows on the root (menus, tooltips), bottom to top, with their
  // frames on the root (x, y, w, h).
  struct Popup
  {
    Window window;
    int x, y, w, h;
  };
  std::vector<Popup> Popups();
  // Waits up to timeoutMs for at least count pop-ups; returns them (fewer on time-out).
  std::vector<Popup> WaitForPopups(size_t count, int timeoutMs = 5000);

private:
  Display* mDisplay = nullptr;
};

class X11TestHost
{
public:
  // Connects to displayName (null: $DISPLAY) and creates and starts the effect through entry.
  X11TestHost(const char* displayName, VstPluginMainProc entry);
  // Closes an open editor, destroys the window, closes the effect and the connection.
  ~X11TestHost();

  X11TestHost(const X11TestHost&) = delete;
  X11TestHost& operator=(const X11TestHost&) = delete;

  bool IsReady() const { return mDisplay && mVst.Effect(); }
  kestrune_test::TestHost& Vst() { return mVst; }
  Display* GetDisplay() const { return mDisplay; }
  // The host's top-level window (created by OpenEditor), and the editor's window inside it.
  Window HostWindow() const { return mWindow; }
  Window EditorWindow() const;

  // Asks effEditGetRect for the size, creates and maps a top-level window of that size at
  // (kWindowX, kWindowY), waits until it is shown, and sends effEditOpen with its id. Returns
  // the dispatcher's answer.
  intptr_t OpenEditor();
  // effEditClose; the window stays.
  intptr_t CloseEditor();
  // Destroys the host window (while the editor may still be open in it).
  void DestroyHostWindow();

  // Calls effEditIdle every 33 ms until done() holds or timeoutMs passed. Returns done()'s last answer.
  bool IdleUntil(const std::function<bool()>& done, int timeoutMs = 5000);
  // Calls effEditIdle every 33 ms for ms milliseconds.
  void IdleFor(int ms);

  XTestInput& Input() { return mInput; }
  // XTEST input; positions are editor pixels (the editor sits at the host window's origin).
  void MoveTo(int x, int y);
  void Press(unsigned button);
  void Release(unsigned button);
  void Click(int x, int y, unsigned button = 1);
  void Key(KeySym key, bool press);
  void TapKey(KeySym key);
  // Holds modifier (a modifier key's symbol) around tapping key.
  void TapKeyWith(KeySym modifier, KeySym key);

  // The pixels of the host window's area (x, y, w, h), top row first, as the server stores them
  // (XGetPixel values).
  std::vector<uint32_t> Grab(int x, int y, int w, int h);

  static constexpr int kWindowX = 40, kWindowY = 30;

private:
  kestrune_test::TestHost mVst;
  XTestInput mInput;
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  bool mEditorOpen = false;
};

} // namespace x11_test
