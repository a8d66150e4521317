#pragma once

#include <X11/Xlib.h>

#include <bitset>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "graphics/IGraphicsStructs.h"
#include "platform/x11/XViewContext.h"

class IControl;
class IGraphicsX11;
class IGraphicsX11TextEntry_vKestrune_vst;
class IParam;
class IPopupMenu;
class LICE_SysBitmap;
class XConnection;
class XImageWriter;

// The editor's view on X11: a child window of the host's window on a connection of its own. It
// translates the window's events into editor calls, paints exposed and dirty areas, and runs the
// redraw timer, the text field, the tooltip and the pop-up menus.
//
// Events, in editor pixels (the window's own coordinates, top-left origin):
// - buttons 1 and 3: press, release and drag; button 1 pressed again within kDoubleClickMs and
//   kDoubleClickDistance of the last press counts clicks, and a second (or later) click arrives as
//   a double click; the Super key held with button 1 sets the right-button flag (a right click);
// - wheel buttons 4 and 5: one notch up (+1) and down (-1); 6 and 7 (sideways) are ignored;
// - motion without a button: hover; leaving the window: OnMouseOut;
// - keys: arrows, space, digits and letters go to the editor at the last pointer position; any
//   other key, and a key the editor does not take, is sent on to the parent window (the host).
// Modifiers: Shift, Control, Alt (Mod1) and Super (Mod4).
class IGraphicsX11View_vKestrune_vst
{
public:
  static constexpr int kDoubleClickMs = 400;
  static constexpr int kDoubleClickDistance = 4;
  static constexpr int kTooltipDelayMs = 600;

  // Opens a connection to $DISPLAY and creates the view, the editor's size, inside the window
  // parent, and shows it. Null when there is no display, parent is not a window, or its visual
  // cannot be drawn to (and no 24-bit TrueColor visual can stand in).
  static std::unique_ptr<IGraphicsX11View_vKestrune_vst> Create(IGraphicsX11* pGraphics, Window parent);
  // Destroys the window (unless the host did already) and closes the connection.
  ~IGraphicsX11View_vKestrune_vst();

  IGraphicsX11View_vKestrune_vst(const IGraphicsX11View_vKestrune_vst&) = delete;
  IGraphicsX11View_vKestrune_vst& operator=(const IGraphicsX11View_vKestrune_vst&) = delete;

  // The view's window, 0 once it was destroyed with its parent.
  Window GetWindowId() const { return mWindowAlive ? mContext.view : 0; }
  // True once the window was destroyed by the host or the connection broke.
  bool IsLost() const;

  // Handles every pending event, repaints what was exposed and runs the timer when it is due.
  void Pump();
  // Copies area of the editor's draw bitmap to the window. False when the view is lost.
  bool Paint(IRECT area);
  // The window and its images take the editor's new size.
  void Resize(int w, int h);

  // Runs pMenu modally below anchor (editor coordinates); see IGraphicsX11Menu_vKestrune_vst.
  IPopupMenu* RunMenu(IPopupMenu* pMenu, IRECT anchor);
  // Opens the text field (nothing while one is open).
  void OpenTextEntry(IControl* pControl, IParam* pParam, const IText& style, IRECT r, const char* text);
  // Closes the open text field, applying its text first when apply is true.
  void EndTextEntry(bool apply);

  // The CLIPBOARD selection as UTF-8, waiting at most timeoutMs for its owner.
  bool ReadClipboard(std::string* pText, int timeoutMs);
  // Hides the pointer and returns where it is on the root window; false when XFixes is missing.
  bool HideCursor(int* pRootX, int* pRootY);
  // Moves the pointer to (rootX, rootY) and shows it.
  bool ShowCursor(int rootX, int rootY);
  // The areas (editor coordinates) whose controls show their tooltips; empty for none.
  void SetTooltipAreas(std::vector<IRECT> areas);
  // Keeps the window painted (exposures and the timer, no input) while something modal outside
  // the editor runs.
  void KeepPainted();

private:
  explicit IGraphicsX11View_vKestrune_vst(IGraphicsX11* pGraphics);

  void HandleEvent(XEvent& event);
  // Exposures, destruction and reparenting: what is handled even while input is not.
  bool HandleWindowEvent(const XEvent& event);
  void HandleButtonPress(const XButtonEvent& event);
  void HandleButtonRelease(const XButtonEvent& event);
  void HandleMotion(const XMotionEvent& event);
  void HandleKey(XKeyEvent& event);
  void ForwardToParent(XKeyEvent event);
  // Repaints the exposed area together with any dirty controls, then runs the timer if due.
  void PaintPendingAndTick();
  void ShowTooltip();
  void HideTooltip();
  void PaintTooltip();

  IGraphicsX11* mGraphics;
  std::unique_ptr<XConnection> mConnection;
  XViewContext mContext;
  Window mParent = 0;
  bool mWindowAlive = false;
  bool mOwnColormap = false;
  GC mGC = nullptr;
  std::unique_ptr<XImageWriter> mWriter;
  Atom mClipboard = None, mUtf8String = None, mSelectionProperty = None;
  bool mHasXFixes = false;

  // Area exposed since the last paint (empty: none).
  IRECT mExposed;
  std::chrono::steady_clock::time_point mNextTick;

  // Pointer state: last position (for keys), the buttons whose presses reached the editor, the
  // click count of button 1, and the time of the last event.
  int mPrevX = 0, mPrevY = 0;
  unsigned mButtonsDown = 0;
  int mClickCount = 0;
  Time mLastClickTime = 0;
  int mLastClickX = 0, mLastClickY = 0;
  Time mLastEventTime = 0;
  bool mMenuRanDuringPress = false;
  // Key codes whose presses went on to the parent, so that their releases follow them.
  std::bitset<256> mForwardedKeys;

  std::unique_ptr<IGraphicsX11TextEntry_vKestrune_vst> mTextEntry;

  std::vector<IRECT> mTooltipAreas;
  int mTooltipArea = -1;
  std::chrono::steady_clock::time_point mTooltipDue;
  Window mTooltipWindow = 0;
  std::string mTooltipText;
  std::unique_ptr<LICE_SysBitmap> mTooltipPixels;
  std::unique_ptr<XImageWriter> mTooltipWriter;
};
