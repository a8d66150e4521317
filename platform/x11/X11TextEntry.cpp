#include "platform/x11/X11TextEntry.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "plugin/IParam.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XImageWriter.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_sysbitmap.h"

namespace {

constexpr int kPadding = 2;
constexpr LICE_pixel kSelection = 0xFFB4D5FE;
constexpr unsigned kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT;
constexpr Time kDoubleClickMs = 400;

bool IsContinuation(unsigned char byte)
{
  return (byte & 0xC0) == 0x80;
}

size_t CharacterCount(const std::string& utf8)
{
  return size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return !IsContinuation(static_cast<unsigned char>(c)); }));
}

size_t NextBoundary(const std::string& text, size_t at)
{
  if (at >= text.size()) return text.size();
  ++at;
  while (at < text.size() && IsContinuation(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

size_t PreviousBoundary(const std::string& text, size_t at)
{
  if (at == 0) return 0;
  --at;
  while (at > 0 && IsContinuation(static_cast<unsigned char>(text[at]))) --at;
  return at;
}

std::string EncodeUTF8(unsigned long code)
{
  std::string out;
  if (code < 0x80)
    out += char(code);
  else if (code < 0x800)
    out += {char(0xC0 | (code >> 6)), char(0x80 | (code & 0x3F))};
  else if (code < 0x10000)
    out += {char(0xE0 | (code >> 12)), char(0x80 | ((code >> 6) & 0x3F)), char(0x80 | (code & 0x3F))};
  else if (code < 0x110000)
    out += {char(0xF0 | (code >> 18)), char(0x80 | ((code >> 12) & 0x3F)), char(0x80 | ((code >> 6) & 0x3F)),
            char(0x80 | (code & 0x3F))};
  return out;
}

// The character a key symbol types, or 0: Latin-1 symbols are their own code, Unicode symbols
// carry theirs, the keypad types its digits and signs.
unsigned long CharacterOf(KeySym key)
{
  if ((key >= 0x20 && key <= 0x7E) || (key >= 0xA0 && key <= 0xFF)) return key;
  if ((key & 0xFF000000) == 0x01000000) return key & 0x00FFFFFF;
  if (key >= XK_KP_0 && key <= XK_KP_9) return '0' + (key - XK_KP_0);
  switch (key)
  {
    case XK_KP_Decimal: return '.';
    case XK_KP_Subtract: return '-';
    case XK_KP_Add: return '+';
    default: return 0;
  }
}

} // namespace

// ---- Formatter ----

X11Formatter_vKestrune_vst X11Formatter_vKestrune_vst::ForParam(const IParam* pParam, int maxLength)
{
  X11Formatter_vKestrune_vst formatter;
  formatter.mMaxLength = std::max(maxLength, 0);
  if (pParam)
  {
    const IParam::EParamType type = pParam->Type();
    if (type == IParam::kTypeDouble)
      formatter.mCharacters = "0123456789.-+";
    else if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum)
      formatter.mCharacters = "0123456789-+";
  }
  return formatter;
}

bool X11Formatter_vKestrune_vst::Accepts(const std::string& utf8) const
{
  if (mMaxLength > 0 && CharacterCount(utf8) > size_t(mMaxLength)) return false;
  if (mCharacters.empty()) return true;
  return utf8.find_first_not_of(mCharacters) == std::string::npos;
}

// ---- Field ----

IGraphicsX11TextEntry_vKestrune_vst::IGraphicsX11TextEntry_vKestrune_vst(const XViewContext& context,
                                                                         IGraphics* pGraphics, IControl* pControl,
                                                                         IParam* pParam, const IText& style, IRECT r,
                                                                         const char* text)
  : mContext(context), mControl(pControl), mParam(pParam), mRect(r), mStyle(style),
    mText(text ? text : "")
{
  mStyle.mSize = std::max(static_cast<int>(style.mSize * 0.9), 2);
  mStyle.mCached = nullptr;
  mFont = pGraphics->CacheFont(&mStyle);
  if (pParam) mFormatter = X11Formatter_vKestrune_vst::ForParam(pParam, pControl->GetTextEntryLength());
  mAnchor = 0;
  mCaret = mText.size();

  const int w = std::max(r.W(), 1), h = std::max(r.H(), 1);
  mWindow = mContext.CreateWindow(mContext.view, r.L, r.T, w, h, false,
                                  ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                                    ButtonMotionMask | FocusChangeMask);
  mGC = XCreateGC(mContext.display, mWindow, 0, nullptr);
  mPixels = std::make_unique<LICE_SysBitmap>(w, h);
  mWriter = std::make_unique<XImageWriter>(mContext.connection, mContext.visual, mContext.depth, w, h);
  // The window keeps its cursor after the handle is freed.
  const Cursor textCursor = XCreateFontCursor(mContext.display, XC_xterm);
  XDefineCursor(mContext.display, mWindow, textCursor);
  XFreeCursor(mContext.display, textCursor);
  XMapRaised(mContext.display, mWindow);
  XSetInputFocus(mContext.display, mWindow, RevertToParent, CurrentTime);
  Paint();
}

IGraphicsX11TextEntry_vKestrune_vst::~IGraphicsX11TextEntry_vKestrune_vst()
{
  ScopedXErrorTrap trap;
  mWriter.reset();
  if (mContext.connection->IsDead()) return;
  XFreeGC(mContext.display, mGC);
  XDestroyWindow(mContext.display, mWindow);
  XFlush(mContext.display);
}

int IGraphicsX11TextEntry_vKestrune_vst::TextWidth(size_t bytes)
{
  if (!mFont || bytes == 0) return 0;
  RECT r = {0, 0, 0, 0};
  mFont->DrawText(nullptr, mText.c_str(), static_cast<int>(bytes), &r, kTextFlags | DT_CALCRECT);
  return r.right;
}

// Where the text starts before scrolling: aligned as the style says while it fits.
int IGraphicsX11TextEntry_vKestrune_vst::TextOrigin()
{
  const int room = mRect.W() - 2 * kPadding, width = TextWidth(mText.size());
  if (width >= room) return kPadding;
  switch (mStyle.mAlign)
  {
    case IText::kAlignCenter: return kPadding + (room - width) / 2;
    case IText::kAlignFar: return kPadding + room - width;
    default: return kPadding;
  }
}

size_t IGraphicsX11TextEntry_vKestrune_vst::PositionAt(int x)
{
  const int origin = TextOrigin() - mScroll;
  size_t best = 0;
  int bestDistance = std::abs(x - origin);
  for (size_t at = NextBoundary(mText, 0); at <= mText.size() && at > best; at = NextBoundary(mText, at))
  {
    const int distance = std::abs(x - (origin + TextWidth(at)));
    if (distance < bestDistance)
    {
      best = at;
      bestDistance = distance;
    }
    if (at == mText.size()) break;
  }
  return best;
}

void IGraphicsX11TextEntry_vKestrune_vst::Paint()
{
  LICE_SysBitmap* pBitmap = mPixels.get();
  const int w = pBitmap->getWidth(), h = pBitmap->getHeight();
  const LICE_pixel background = mStyle.mTextEntryBGColor.Packed() | 0xFF000000;
  const LICE_pixel ink = mStyle.mTextEntryFGColor.Packed() | 0xFF000000;
  LICE_Clear(pBitmap, background);

  // Scrolled so that the caret stays inside.
  const int origin = TextOrigin();
  const int caretX = origin + TextWidth(mCaret);
  if (caretX - mScroll > w - kPadding - 1) mScroll = caretX - (w - kPadding - 1);
  if (caretX - mScroll < kPadding) mScroll = std::max(caretX - kPadding, 0);
  const int x0 = origin - mScroll;

  if (mCaret != mAnchor)
  {
    const int a = x0 + TextWidth(std::min(mCaret, mAnchor)), b = x0 + TextWidth(std::max(mCaret, mAnchor));
    LICE_FillRect(pBitmap, a, 1, b - a, h - 2, kSelection, 1.0f, LICE_BLIT_MODE_COPY);
  }
  if (mFont && !mText.empty())
  {
    RECT r = {x0, 0, x0 + TextWidth(mText.size()) + 1, h};
    mFont->SetTextColor(ink);
    mFont->DrawText(pBitmap, mText.c_str(), -1, &r, kTextFlags);
  }
  LICE_FillRect(pBitmap, caretX - mScroll, 2, 1, std::max(h - 4, 1), ink, 1.0f, LICE_BLIT_MODE_COPY);
  mWriter->Put(mWindow, mGC, pBitmap, IRECT(0, 0, w, h));
}

void IGraphicsX11TextEntry_vKestrune_vst::Insert(const std::string& utf8)
{
  const size_t from = std::min(mCaret, mAnchor), to = std::max(mCaret, mAnchor);
  std::string edited = mText.substr(0, from) + utf8 + mText.substr(to);
  if (!mFormatter.Accepts(edited)) return;
  mText.swap(edited);
  mCaret = mAnchor = from + utf8.size();
}

void IGraphicsX11TextEntry_vKestrune_vst::DeleteSelectionOr(int direction)
{
  if (mCaret == mAnchor)
  {
    if (direction < 0)
      mAnchor = PreviousBoundary(mText, mCaret);
    else
      mAnchor = NextBoundary(mText, mCaret);
  }
  Insert("");
}

void IGraphicsX11TextEntry_vKestrune_vst::MoveCaret(size_t position, bool extend)
{
  mCaret = std::min(position, mText.size());
  if (!extend) mAnchor = mCaret;
}

IGraphicsX11TextEntry_vKestrune_vst::EOutcome IGraphicsX11TextEntry_vKestrune_vst::HandleKey(
  const XKeyEvent& key, const ClipboardReader& readClipboard)
{
  XKeyEvent copy = key;
  KeySym sym = NoSymbol;
  char ignored[8];
  XLookupString(&copy, ignored, sizeof(ignored), &sym, nullptr);
  const bool shift = key.state & ShiftMask, control = key.state & ControlMask;
  switch (sym)
  {
    case XK_Return:
    case XK_KP_Enter: return kApply;
    case XK_Escape: return kCancel;
    case XK_BackSpace: DeleteSelectionOr(-1); break;
    case XK_Delete:
    case XK_KP_Delete: DeleteSelectionOr(1); break;
    case XK_Left:
    case XK_KP_Left:
      if (mCaret != mAnchor && !shift)
        MoveCaret(std::min(mCaret, mAnchor), false);
      else
        MoveCaret(PreviousBoundary(mText, mCaret), shift);
      break;
    case XK_Right:
    case XK_KP_Right:
      if (mCaret != mAnchor && !shift)
        MoveCaret(std::max(mCaret, mAnchor), false);
      else
        MoveCaret(NextBoundary(mText, mCaret), shift);
      break;
    case XK_Home:
    case XK_KP_Home: MoveCaret(0, shift); break;
    case XK_End:
    case XK_KP_End: MoveCaret(mText.size(), shift); break;
    default:
    {
      if (control)
      {
        if (sym == XK_a || sym == XK_A)
        {
          mAnchor = 0;
          mCaret = mText.size();
        }
        std::string pasted;
        if ((sym == XK_v || sym == XK_V) && readClipboard && readClipboard(&pasted))
        {
          pasted.erase(std::remove_if(pasted.begin(), pasted.end(), [](char c) { return c == '\n' || c == '\r'; }),
                       pasted.end());
          Insert(pasted);
        }
        break;
      }
      if (const unsigned long code = CharacterOf(sym)) Insert(EncodeUTF8(code));
      break;
    }
  }
  Paint();
  return kEditing;
}

IGraphicsX11TextEntry_vKestrune_vst::EOutcome IGraphicsX11TextEntry_vKestrune_vst::HandleEvent(
  const XEvent& event, const ClipboardReader& readClipboard)
{
  switch (event.type)
  {
    case Expose:
      if (event.xexpose.count == 0) Paint();
      return kEditing;
    case KeyPress: return HandleKey(event.xkey, readClipboard);
    case ButtonPress:
    {
      const unsigned button = event.xbutton.button;
      if (button >= 4 && button <= 7) return kCancel;
      if (button != 1) return kEditing;
      XSetInputFocus(mContext.display, mWindow, RevertToParent, CurrentTime);
      if (mLastClick && event.xbutton.time - mLastClick <= kDoubleClickMs)
      {
        mAnchor = 0;
        mCaret = mText.size();
        mLastClick = 0;
      }
      else
      {
        MoveCaret(PositionAt(event.xbutton.x), (event.xbutton.state & ShiftMask) != 0);
        mLastClick = event.xbutton.time;
      }
      Paint();
      return kEditing;
    }
    case MotionNotify:
      if (event.xmotion.state & Button1Mask)
      {
        MoveCaret(PositionAt(event.xmotion.x), true);
        Paint();
      }
      return kEditing;
    case FocusIn:
      mHadFocus = true;
      return kEditing;
    case FocusOut:
      // Focus moving on for good applies the text; grabs (a menu, a window manager) do not.
      if (mHadFocus && event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
          event.xfocus.detail != NotifyPointer)
        return kApply;
      return kEditing;
    default: return kEditing;
  }
}
