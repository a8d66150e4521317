#include "platform/x11/X11View.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>

#include "graphics/IControl.h"
#include "platform/x11/IGraphicsX11.h"
#include "platform/x11/X11PopupMenu.h"
#include "platform/x11/X11TextEntry.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XImageWriter.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_sysbitmap.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kViewEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                             LeaveWindowMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask |
                             FocusChangeMask;

// The editor is called from inside the view's event handling: CloseWindow waits until it returns.
class ScopedDispatch
{
public:
  explicit ScopedDispatch(int* pDepth) : mDepth(pDepth) { ++*mDepth; }
  ~ScopedDispatch() { --*mDepth; }
  ScopedDispatch(const ScopedDispatch&) = delete;
  ScopedDispatch& operator=(const ScopedDispatch&) = delete;

private:
  int* mDepth;
};

// Modifier flags of a left-button, motion or wheel event: the left flag, and the right flag when
// Super is held (a Super-click counts as a right click).
IMouseMod LeftMod(unsigned state)
{
  return IMouseMod(true, (state & Mod4Mask) != 0, (state & ShiftMask) != 0, (state & ControlMask) != 0,
                   (state & Mod1Mask) != 0);
}

IMouseMod RightMod(unsigned state)
{
  return IMouseMod(false, true, (state & ShiftMask) != 0, (state & ControlMask) != 0, (state & Mod1Mask) != 0);
}

// The editor's key code of a key symbol, or -1 for keys the editor never sees.
int EditorKeyCode(KeySym key)
{
  switch (key)
  {
    case XK_Left: return KEY_LEFTARROW;
    case XK_Right: return KEY_RIGHTARROW;
    case XK_Down: return KEY_DOWNARROW;
    case XK_Up: return KEY_UPARROW;
    case XK_space: return KEY_SPACE;
    default: break;
  }
  if (key >= XK_0 && key <= XK_9) return KEY_DIGIT_0 + int(key - XK_0);
  if (key >= XK_a && key <= XK_z) return KEY_ALPHA_A + int(key - XK_a);
  if (key >= XK_A && key <= XK_Z) return KEY_ALPHA_A + int(key - XK_A);
  return -1;
}

Time EventTime(const XEvent& event)
{
  switch (event.type)
  {
    case ButtonPress:
    case ButtonRelease: return event.xbutton.time;
    case MotionNotify: return event.xmotion.time;
    case KeyPress:
    case KeyRelease: return event.xkey.time;
    case EnterNotify:
    case LeaveNotify: return event.xcrossing.time;
    default: return 0;
  }
}

} // namespace

IGraphicsX11View_vKestrune_vst::IGraphicsX11View_vKestrune_vst(IGraphicsX11* pGraphics) : mGraphics(pGraphics) {}

std::unique_ptr<IGraphicsX11View_vKestrune_vst> IGraphicsX11View_vKestrune_vst::Create(IGraphicsX11* pGraphics,
                                                                                     Window parent)
{
  if (!parent) return nullptr;
  std::unique_ptr<IGraphicsX11View_vKestrune_vst> view(new IGraphicsX11View_vKestrune_vst(pGraphics));
  view->mConnection = std::make_unique<XConnection>();
  XConnection* connection = view->mConnection.get();
  if (!connection->IsOpen()) return nullptr;
  Display* display = connection->Get();
  ScopedXErrorTrap trap;
  const unsigned long errorsBefore = connection->ErrorCount();

  XWindowAttributes parentAttributes;
  if (!XGetWindowAttributes(display, parent, &parentAttributes) || !connection->SyncSucceeded(errorsBefore))
    return nullptr;

  XViewContext& context = view->mContext;
  context.connection = connection;
  context.display = display;
  context.screen = XScreenNumberOfScreen(parentAttributes.screen);
  context.root = parentAttributes.root;
  if (parentAttributes.visual->c_class == TrueColor)
  {
    context.visual = parentAttributes.visual;
    context.depth = parentAttributes.depth;
    context.colormap = parentAttributes.colormap;
  }
  else
  {
    // A parent of another class (a palette screen) gets a child with a TrueColor visual of its own.
    XVisualInfo info;
    if (!XMatchVisualInfo(display, context.screen, 24, TrueColor, &info)) return nullptr;
    context.visual = info.visual;
    context.depth = info.depth;
    context.colormap = None;
  }
  if (context.colormap == None)
  {
    context.colormap = XCreateColormap(display, context.root, context.visual, AllocNone);
    view->mOwnColormap = true;
  }

  view->mParent = parent;
  context.view = context.CreateWindow(parent, 0, 0, pGraphics->Width(), pGraphics->Height(), false, kViewEvents);
  view->mWindowAlive = true;
  XClassHint classHint;
  char name[] = "kestrune", className[] = "IGraphicsX11View_vKestrune_vst";
  classHint.res_name = name;
  classHint.res_class = className;
  XSetClassHint(display, context.view, &classHint);
  view->mGC = XCreateGC(display, context.view, 0, nullptr);
  view->mWriter =
    std::make_unique<XImageWriter>(connection, context.visual, context.depth, pGraphics->Width(), pGraphics->Height());
  view->mClipboard = XInternAtom(display, "CLIPBOARD", False);
  view->mUtf8String = XInternAtom(display, "UTF8_STRING", False);
  view->mSelectionProperty = XInternAtom(display, "_KESTRUNE_SELECTION", False);
  int eventBase, errorBase;
  if (XFixesQueryExtension(display, &eventBase, &errorBase))
  {
    int major = 4, minor = 0;
    view->mHasXFixes = XFixesQueryVersion(display, &major, &minor) && major >= 4;
  }
  XMapWindow(display, context.view);
  if (!connection->SyncSucceeded(errorsBefore) || !view->mWriter->IsUsable()) return nullptr;

  view->mExposed = IRECT(0, 0, pGraphics->Width(), pGraphics->Height());
  view->mNextTick = Clock::now();
  return view;
}

IGraphicsX11View_vKestrune_vst::~IGraphicsX11View_vKestrune_vst()
{
  if (!mConnection || !mConnection->IsOpen()) return;
  ScopedXErrorTrap trap;
  mTextEntry.reset();
  HideTooltip();
  mWriter.reset();
  if (!mConnection->IsDead())
  {
    // The connection's own display: a view given up before its context was filled in has none.
    Display* display = mConnection->Get();
    if (mGC) XFreeGC(display, mGC);
    if (mWindowAlive && mContext.view) XDestroyWindow(display, mContext.view);
    if (mOwnColormap) XFreeColormap(display, mContext.colormap);
    XSync(display, False);
  }
}

bool IGraphicsX11View_vKestrune_vst::IsLost() const
{
  return !mWindowAlive || mConnection->IsDead();
}

// ---- Painting and the timer ----

bool IGraphicsX11View_vKestrune_vst::Paint(IRECT area)
{
  if (IsLost()) return false;
  ScopedXErrorTrap trap;
  return mWriter->Put(mContext.view, mGC, mGraphics->GetDrawBitmap(), area);
}

void IGraphicsX11View_vKestrune_vst::Resize(int w, int h)
{
  if (IsLost()) return;
  ScopedXErrorTrap trap;
  XResizeWindow(mContext.display, mContext.view, static_cast<unsigned>(std::max(w, 1)),
                static_cast<unsigned>(std::max(h, 1)));
  mWriter->Resize(w, h);
  mExposed = IRECT(0, 0, w, h);
}

// A paint of an area cleans every control, so the exposed area is painted together with the
// dirty controls: none is cleaned without being drawn.
void IGraphicsX11View_vKestrune_vst::PaintPendingAndTick()
{
  if (IsLost()) return;
  ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
  if (!mExposed.Empty())
  {
    IRECT area = mExposed;
    mExposed = IRECT();
    mGraphics->IsDirty(&area);
    mGraphics->Draw(&area);
  }
  const Clock::time_point now = Clock::now();
  const auto period = std::chrono::microseconds(1000000 / std::max(mGraphics->FPS(), 1));
  // Host idle calls come at their own pace: a tick is due up to 2 ms early, and after a long
  // pause the timer starts afresh instead of catching up.
  if (now + std::chrono::milliseconds(2) >= mNextTick)
  {
    mGraphics->TimerTick();
    mNextTick += period;
    if (now > mNextTick) mNextTick = now + period;
  }
  if (mTooltipArea >= 0 && !mTooltipWindow && now >= mTooltipDue) ShowTooltip();
}

// ---- Events ----

void IGraphicsX11View_vKestrune_vst::Pump()
{
  if (IsLost()) return;
  ScopedXErrorTrap trap;
  Display* display = mContext.display;
  while (!IsLost() && XPending(display))
  {
    XEvent event;
    XNextEvent(display, &event);
    // Of a run of motions only the last one counts.
    if (event.type == MotionNotify && XEventsQueued(display, QueuedAlready))
    {
      XEvent next;
      XPeekEvent(display, &next);
      if (next.type == MotionNotify && next.xmotion.window == event.xmotion.window &&
          next.xmotion.state == event.xmotion.state)
        continue;
    }
    HandleEvent(event);
  }
  PaintPendingAndTick();
}

void IGraphicsX11View_vKestrune_vst::KeepPainted()
{
  if (IsLost()) return;
  ScopedXErrorTrap trap;
  Display* display = mContext.display;
  while (!IsLost() && XPending(display))
  {
    XEvent event;
    XNextEvent(display, &event);
    HandleWindowEvent(event);
  }
  PaintPendingAndTick();
}

bool IGraphicsX11View_vKestrune_vst::HandleWindowEvent(const XEvent& event)
{
  if (event.xany.window == mTooltipWindow && mTooltipWindow)
  {
    if (event.type == Expose && event.xexpose.count == 0) PaintTooltip();
    return true;
  }
  if (event.xany.window != mContext.view) return false;
  switch (event.type)
  {
    case Expose:
    {
      const IRECT r(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                    event.xexpose.y + event.xexpose.height);
      mExposed = mExposed.Union(&r);
      return true;
    }
    case DestroyNotify:
      if (event.xdestroywindow.window == mContext.view) mWindowAlive = false;
      return true;
    case ReparentNotify:
      if (event.xreparent.window == mContext.view) mParent = event.xreparent.parent;
      return true;
    default: return false;
  }
}

void IGraphicsX11View_vKestrune_vst::HandleEvent(XEvent& event)
{
  if (const Time t = EventTime(event)) mLastEventTime = t;
  if (HandleWindowEvent(event)) return;

  if (mTextEntry && event.xany.window == mTextEntry->GetWindow())
  {
    const auto outcome = mTextEntry->HandleEvent(
      event, [this](std::string* pText) { return ReadClipboard(pText, 1000); });
    if (outcome != IGraphicsX11TextEntry_vKestrune_vst::kEditing)
      EndTextEntry(outcome == IGraphicsX11TextEntry_vKestrune_vst::kApply);
    return;
  }
  if (event.xany.window != mContext.view) return;

  switch (event.type)
  {
    case ButtonPress: HandleButtonPress(event.xbutton); break;
    case ButtonRelease: HandleButtonRelease(event.xbutton); break;
    case MotionNotify: HandleMotion(event.xmotion); break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior)
      {
        HideTooltip();
        mTooltipArea = -1;
        ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
        mGraphics->OnMouseOut();
      }
      break;
    case KeyPress:
    case KeyRelease: HandleKey(event.xkey); break;
    default: break;
  }
}

void IGraphicsX11View_vKestrune_vst::HandleButtonPress(const XButtonEvent& event)
{
  const int x = event.x, y = event.y;
  const unsigned button = event.button;
  HideTooltip();
  ScopedDispatch dispatch(&mGraphics->mDispatchDepth);

  if (button == 4 || button == 5)
  {
    if (mTextEntry) EndTextEntry(false);
    IMouseMod mod = LeftMod(event.state);
    mGraphics->OnMouseWheel(x, y, &mod, button == 4 ? 1 : -1);
    return;
  }
  if (button != 1 && button != 3) return;

  // A click beside the text field ends its editing, which applies it.
  if (mTextEntry) EndTextEntry(true);
  XSetInputFocus(mContext.display, mContext.view, RevertToParent, event.time);
  mPrevX = x;
  mPrevY = y;
  mButtonsDown |= 1u << button;
  mMenuRanDuringPress = false;

  if (button == 3)
  {
    IMouseMod mod = RightMod(event.state);
    mGraphics->OnMouseDown(x, y, &mod);
  }
  else
  {
    const bool again = mClickCount > 0 && event.time - mLastClickTime <= Time(kDoubleClickMs) &&
                       std::abs(x - mLastClickX) <= kDoubleClickDistance &&
                       std::abs(y - mLastClickY) <= kDoubleClickDistance;
    mClickCount = again ? mClickCount + 1 : 1;
    mLastClickTime = event.time;
    mLastClickX = x;
    mLastClickY = y;
    IMouseMod mod = LeftMod(event.state);
    if (mClickCount < 2)
      mGraphics->OnMouseDown(x, y, &mod);
    else
      mGraphics->OnMouseDblClick(x, y, &mod);
  }

  // A menu opened by the press took the release with it: the editor gets it now, so the gesture
  // the press began ends.
  if (mMenuRanDuringPress && !IsLost())
  {
    Window rootReturn, childReturn;
    int rootX, rootY, winX, winY;
    unsigned mask = 0;
    XQueryPointer(mContext.display, mContext.view, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask);
    const unsigned heldMask = button == 1 ? Button1Mask : Button3Mask;
    if (!(mask & heldMask))
    {
      mButtonsDown &= ~(1u << button);
      IMouseMod mod = button == 1 ? LeftMod(event.state) : RightMod(event.state);
      mGraphics->OnMouseUp(x, y, &mod);
    }
  }
}

void IGraphicsX11View_vKestrune_vst::HandleButtonRelease(const XButtonEvent& event)
{
  const unsigned button = event.button;
  if ((button != 1 && button != 3) || !(mButtonsDown & (1u << button))) return;
  mButtonsDown &= ~(1u << button);
  mPrevX = event.x;
  mPrevY = event.y;
  IMouseMod mod = button == 1 ? LeftMod(event.state) : RightMod(event.state);
  ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
  mGraphics->OnMouseUp(event.x, event.y, &mod);
}

void IGraphicsX11View_vKestrune_vst::HandleMotion(const XMotionEvent& event)
{
  const int x = event.x, y = event.y;
  mPrevX = x;
  mPrevY = y;
  ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
  if (event.state & (Button1Mask | Button3Mask))
  {
    if (mTextEntry) return;
    IMouseMod mod = (event.state & Button1Mask) ? LeftMod(event.state) : RightMod(event.state);
    mGraphics->OnMouseDrag(x, y, &mod);
    return;
  }
  IMouseMod mod = LeftMod(event.state);
  mGraphics->OnMouseOver(x, y, &mod);

  int area = -1;
  for (int i = 0; i < static_cast<int>(mTooltipAreas.size()); ++i)
    if (mTooltipAreas[i].Contains(x, y)) area = i;
  if (area != mTooltipArea)
  {
    HideTooltip();
    mTooltipArea = area;
    mTooltipDue = Clock::now() + std::chrono::milliseconds(kTooltipDelayMs);
  }
}

void IGraphicsX11View_vKestrune_vst::HandleKey(XKeyEvent& event)
{
  HideTooltip();
  if (mTextEntry)
  {
    // The field normally has the focus; keys that reach the view meanwhile are the field's.
    XEvent routed;
    routed.xkey = event;
    if (event.type != KeyPress) return;
    const auto outcome = mTextEntry->HandleEvent(routed, [this](std::string* pText) { return ReadClipboard(pText, 1000); });
    if (outcome != IGraphicsX11TextEntry_vKestrune_vst::kEditing)
      EndTextEntry(outcome == IGraphicsX11TextEntry_vKestrune_vst::kApply);
    return;
  }
  const unsigned keycode = event.keycode & 255u;
  if (event.type == KeyRelease)
  {
    if (mForwardedKeys.test(keycode))
    {
      mForwardedKeys.reset(keycode);
      ForwardToParent(event);
    }
    return;
  }
  const int code = EditorKeyCode(XLookupKeysym(&event, 0));
  bool taken = false;
  if (code >= 0)
  {
    ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
    taken = mGraphics->OnKeyDown(mPrevX, mPrevY, code);
  }
  if (taken) return;
  mForwardedKeys.set(keycode);
  ForwardToParent(event);
}

// The host's window gets the key as if it had been typed there; it travels up to the first
// ancestor that listens for keys.
void IGraphicsX11View_vKestrune_vst::ForwardToParent(XKeyEvent event)
{
  if (IsLost() || !mParent) return;
  event.window = mParent;
  event.subwindow = None;
  XSendEvent(mContext.display, mParent, True, event.type == KeyPress ? KeyPressMask : KeyReleaseMask,
             reinterpret_cast<XEvent*>(&event));
  XFlush(mContext.display);
}

// ---- Menus and text entry ----

IPopupMenu* IGraphicsX11View_vKestrune_vst::RunMenu(IPopupMenu* pMenu, IRECT anchor)
{
  if (IsLost()) return nullptr;
  ScopedXErrorTrap trap;
  HideTooltip();
  mMenuRanDuringPress = true;
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mContext.display, mContext.view, mContext.root, anchor.L, anchor.T, &rootX, &rootY, &child);
  const IRECT onRoot(rootX, rootY, rootX + anchor.W(), rootY + anchor.H());
  IGraphicsX11Menu_vKestrune_vst menu(mContext, mGraphics);
  return menu.Run(
    pMenu, onRoot, mLastEventTime, [this](XEvent& event) { HandleWindowEvent(event); },
    [this]() {
      PaintPendingAndTick();
      return !IsLost();
    });
}

void IGraphicsX11View_vKestrune_vst::OpenTextEntry(IControl* pControl, IParam* pParam, const IText& style, IRECT r,
                                                   const char* text)
{
  if (IsLost() || mTextEntry || !pControl) return;
  ScopedXErrorTrap trap;
  HideTooltip();
  mTextEntry =
    std::make_unique<IGraphicsX11TextEntry_vKestrune_vst>(mContext, mGraphics, pControl, pParam, style, r, text);
}

void IGraphicsX11View_vKestrune_vst::EndTextEntry(bool apply)
{
  if (!mTextEntry) return;
  // Closed before it is applied, so that whatever the editor does with the text finds no field.
  std::unique_ptr<IGraphicsX11TextEntry_vKestrune_vst> entry = std::move(mTextEntry);
  const std::string text = entry->GetText();
  IControl* pControl = entry->GetControl();
  IParam* pParam = entry->GetParam();
  {
    ScopedXErrorTrap trap;
    entry.reset();
    if (!IsLost()) XSetInputFocus(mContext.display, mContext.view, RevertToParent, CurrentTime);
  }
  mExposed = IRECT(0, 0, mGraphics->Width(), mGraphics->Height());
  if (!apply) return;
  ScopedDispatch dispatch(&mGraphics->mDispatchDepth);
  if (pParam)
    mGraphics->SetFromStringAfterPrompt(pControl, pParam, text.c_str());
  else
    pControl->TextFromTextEntry(text.c_str());
}

// ---- Clipboard and pointer ----

bool IGraphicsX11View_vKestrune_vst::ReadClipboard(std::string* pText, int timeoutMs)
{
  pText->clear();
  if (IsLost()) return false;
  ScopedXErrorTrap trap;
  Display* display = mContext.display;
  if (XGetSelectionOwner(display, mClipboard) == None) return false;

  for (Atom target : {mUtf8String, XA_STRING})
  {
    XDeleteProperty(display, mContext.view, mSelectionProperty);
    XConvertSelection(display, mClipboard, target, mSelectionProperty, mContext.view, CurrentTime);
    XFlush(display);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    XEvent event;
    bool answered = false;
    while (!(answered = XCheckTypedWindowEvent(display, mContext.view, SelectionNotify, &event)))
    {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || IsLost()) return false;
      pollfd wait = {ConnectionNumber(display), POLLIN, 0};
      poll(&wait, 1, static_cast<int>(std::min<long long>(left, 20)));
    }
    if (event.xselection.property == None) continue;

    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, mContext.view, mSelectionProperty, 0, 1 << 20, True,
                                         AnyPropertyType, &type, &format, &count, &remaining, &data) == Success;
    if (!read) return false;
    const bool text = data && format == 8 && (type == mUtf8String || type == XA_STRING);
    if (text)
    {
      const std::string bytes(reinterpret_cast<const char*>(data), count);
      if (type == XA_STRING)
      {
        // Latin-1 to UTF-8.
        for (unsigned char c : bytes)
        {
          if (c < 0x80)
            *pText += char(c);
          else
            *pText += {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        }
      }
      else
        *pText = bytes;
    }
    if (data) XFree(data);
    // Large transfers in pieces (INCR) are not taken.
    return text && !pText->empty();
  }
  return false;
}

bool IGraphicsX11View_vKestrune_vst::HideCursor(int* pRootX, int* pRootY)
{
  if (IsLost() || !mHasXFixes) return false;
  ScopedXErrorTrap trap;
  Window rootReturn, childReturn;
  int winX, winY;
  unsigned mask;
  if (!XQueryPointer(mContext.display, mContext.root, &rootReturn, &childReturn, pRootX, pRootY, &winX, &winY, &mask))
    return false;
  const unsigned long errorsBefore = mConnection->ErrorCount();
  XFixesHideCursor(mContext.display, mContext.root);
  return mConnection->SyncSucceeded(errorsBefore);
}

bool IGraphicsX11View_vKestrune_vst::ShowCursor(int rootX, int rootY)
{
  if (IsLost() || !mHasXFixes) return false;
  ScopedXErrorTrap trap;
  const unsigned long errorsBefore = mConnection->ErrorCount();
  XWarpPointer(mContext.display, None, mContext.root, 0, 0, 0, 0, rootX, rootY);
  XFixesShowCursor(mContext.display, mContext.root);
  return mConnection->SyncSucceeded(errorsBefore);
}

// ---- Tooltips ----

void IGraphicsX11View_vKestrune_vst::SetTooltipAreas(std::vector<IRECT> areas)
{
  HideTooltip();
  mTooltipAreas = std::move(areas);
  mTooltipArea = -1;
}

void IGraphicsX11View_vKestrune_vst::ShowTooltip()
{
  IControl* pControl = mGraphics->GetControl(mGraphics->GetMouseControlIdx(mPrevX, mPrevY, true));
  const char* text = pControl ? pControl->GetTooltip() : nullptr;
  mTooltipArea = -1;
  if (!text || !text[0] || IsLost()) return;

  IText style(12, &COLOR_BLACK, "Sans", IText::kStyleNormal, IText::kAlignNear, 0, IText::kQualityAntiAliased);
  LICE_CachedFont* pFont = mGraphics->CacheFont(&style);
  if (!pFont) return;
  mTooltipText = text;
  RECT extent = {0, 0, 0, 0};
  pFont->DrawText(nullptr, text, -1, &extent, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  const int w = extent.right + 10, h = extent.bottom + 6;

  ScopedXErrorTrap trap;
  int rootX = 0, rootY = 0;
  Window child;
  XTranslateCoordinates(mContext.display, mContext.view, mContext.root, mPrevX, mPrevY, &rootX, &rootY, &child);
  const int screenW = DisplayWidth(mContext.display, mContext.screen);
  const int screenH = DisplayHeight(mContext.display, mContext.screen);
  const int x = std::max(std::min(rootX + 10, screenW - w), 0);
  const int y = rootY + 20 + h <= screenH ? rootY + 20 : std::max(rootY - 8 - h, 0);
  mTooltipWindow = mContext.CreateWindow(mContext.root, x, y, w, h, true, ExposureMask);
  mTooltipPixels = std::make_unique<LICE_SysBitmap>(w, h);
  mTooltipWriter = std::make_unique<XImageWriter>(mConnection.get(), mContext.visual, mContext.depth, w, h);
  LICE_SysBitmap* pBitmap = mTooltipPixels.get();
  LICE_Clear(pBitmap, 0xFF8C8C8C);
  LICE_FillRect(pBitmap, 1, 1, w - 2, h - 2, 0xFFFFFFE1, 1.0f, LICE_BLIT_MODE_COPY);
  RECT r = {5, 0, w - 5, h};
  pFont->SetTextColor(0xFF000000);
  pFont->DrawText(pBitmap, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT);
  XMapRaised(mContext.display, mTooltipWindow);
  PaintTooltip();
}

void IGraphicsX11View_vKestrune_vst::PaintTooltip()
{
  if (!mTooltipWindow || IsLost()) return;
  mTooltipWriter->Put(mTooltipWindow, mGC, mTooltipPixels.get(),
                      IRECT(0, 0, mTooltipPixels->getWidth(), mTooltipPixels->getHeight()));
}

void IGraphicsX11View_vKestrune_vst::HideTooltip()
{
  if (!mTooltipWindow) return;
  mTooltipWriter.reset();
  mTooltipPixels.reset();
  if (!mConnection->IsDead())
  {
    ScopedXErrorTrap trap;
    XDestroyWindow(mContext.display, mTooltipWindow);
    XFlush(mContext.display);
  }
  mTooltipWindow = 0;
}
