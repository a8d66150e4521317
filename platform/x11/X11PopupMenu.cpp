#include "platform/x11/X11PopupMenu.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XImageWriter.h"
#include "rasterizer/lice_blit.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_line.h"
#include "rasterizer/lice_pixelops.h"
#include "rasterizer/lice_polygon.h"
#include "rasterizer/lice_sysbitmap.h"

namespace {

constexpr LICE_pixel kBackground = 0xFFF2F2F2;
constexpr LICE_pixel kBorder = 0xFF8C8C8C;
constexpr LICE_pixel kHighlight = 0xFF3875D7;
constexpr LICE_pixel kText = 0xFF1E1E1E;
constexpr LICE_pixel kHighlightedText = 0xFFFFFFFF;
constexpr LICE_pixel kDisabledText = 0xFF9A9A9A;
constexpr LICE_pixel kSeparator = 0xFFCFCFCF;

constexpr int kBorderWidth = 1;
constexpr int kCheckGutter = 22;
constexpr int kTitleIndent = 12;
constexpr int kArrowGutter = 24;
constexpr int kSeparatorHeight = 7;
constexpr unsigned kTextFlags = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT;
// A release this soon after the menu opened belongs to the click that opened it.
constexpr Time kOpeningClickMs = 250;

int TextWidth(LICE_CachedFont* pFont, const std::string& text)
{
  if (!pFont || text.empty()) return 0;
  RECT r = {0, 0, 0, 0};
  pFont->DrawText(nullptr, text.c_str(), -1, &r, kTextFlags | DT_CALCRECT);
  return r.right;
}

// The item's text as shown: the menu's numbering in front of it.
std::string ShownText(const IPopupMenu* pMenu, int item)
{
  char prefix[16] = "";
  switch (pMenu->GetPrefix())
  {
    case 1: snprintf(prefix, sizeof(prefix), "%1d: ", item + 1); break;
    case 2: snprintf(prefix, sizeof(prefix), "%02d: ", item + 1); break;
    case 3: snprintf(prefix, sizeof(prefix), "%03d: ", item + 1); break;
    default: break;
  }
  return std::string(prefix) + pMenu->GetItemText(item);
}

} // namespace

struct IGraphicsX11Menu_vKestrune_vst::Level
{
  IPopupMenu* menu = nullptr;
  Window window = 0;
  IRECT frame;                // on the root window
  std::vector<IRECT> rows;    // inside the window, one per item
  int highlighted = -1;
  std::unique_ptr<LICE_SysBitmap> pixels;
  std::unique_ptr<XImageWriter> writer;
};

IGraphicsX11Menu_vKestrune_vst::IGraphicsX11Menu_vKestrune_vst(const XViewContext& context, IGraphics* pGraphics)
  : mContext(context), mGraphics(pGraphics)
{
  IText style(13, &COLOR_BLACK, "Sans", IText::kStyleNormal, IText::kAlignNear, 0, IText::kQualityAntiAliased);
  mFont = mGraphics->CacheFont(&style);
}

IGraphicsX11Menu_vKestrune_vst::~IGraphicsX11Menu_vKestrune_vst()
{
  ScopedXErrorTrap trap;
  Ungrab();
  CloseLevelsAbove(-1);
  if (mGC && !mContext.connection->IsDead()) XFreeGC(mContext.display, mGC);
  if (!mContext.connection->IsDead()) XFlush(mContext.display);
}

bool IGraphicsX11Menu_vKestrune_vst::OpenLevel(IPopupMenu* pMenu, int x, int y, int minWidth, int avoidTop)
{
  const int nItems = pMenu->GetNItems();
  if (nItems <= 0) return false;
  auto level = std::make_unique<Level>();
  level->menu = pMenu;

  const int lineHeight = std::max(mFont ? mFont->GetLineHeight() : 0, 12);
  const int rowHeight = lineHeight + 8;
  int width = 0, top = kBorderWidth;
  bool anySubmenu = false;
  for (int i = 0; i < nItems; ++i)
  {
    const IPopupMenuItem* pItem = pMenu->GetItem(i);
    const int h = pItem->GetIsSeparator() ? kSeparatorHeight : rowHeight;
    level->rows.push_back(IRECT(kBorderWidth, top, 0, top + h));
    top += h;
    if (pItem->GetIsSeparator()) continue;
    width = std::max(width, TextWidth(mFont, ShownText(pMenu, i)) + (pItem->GetIsTitle() ? kTitleIndent : 0));
    anySubmenu |= pItem->GetSubmenu() != nullptr;
  }
  const int w = std::max(kBorderWidth * 2 + kCheckGutter + width + (anySubmenu ? kArrowGutter : kCheckGutter), minWidth);
  const int h = top + kBorderWidth;
  for (IRECT& row : level->rows) row.R = w - kBorderWidth;

  // Kept on the screen: above the anchor (or the parent row) when there is no room below.
  const int screenW = DisplayWidth(mContext.display, mContext.screen);
  const int screenH = DisplayHeight(mContext.display, mContext.screen);
  if (y + h > screenH) y = std::max(avoidTop - h, 0);
  x = std::max(std::min(x, screenW - w), 0);
  level->frame = IRECT(x, y, x + w, y + h);

  level->window = mContext.CreateWindow(mContext.root, x, y, w, h, true, ExposureMask);
  if (!mGC) mGC = XCreateGC(mContext.display, level->window, 0, nullptr);
  level->pixels = std::make_unique<LICE_SysBitmap>(w, h);
  level->writer = std::make_unique<XImageWriter>(mContext.connection, mContext.visual, mContext.depth, w, h);
  XMapRaised(mContext.display, level->window);
  mLevels.push_back(std::move(level));
  Paint(*mLevels.back());
  return true;
}

void IGraphicsX11Menu_vKestrune_vst::OpenSubmenu(int levelIdx, int row)
{
  Level& parent = *mLevels[levelIdx];
  IPopupMenu* pSubmenu = parent.menu->GetItem(row)->GetSubmenu();
  if (!pSubmenu) return;
  const int screenW = DisplayWidth(mContext.display, mContext.screen);
  const IRECT& r = parent.rows[row];
  const int rowTop = parent.frame.T + r.T - kBorderWidth;
  if (!OpenLevel(pSubmenu, parent.frame.R - 3, rowTop, 0, parent.frame.T + r.B)) return;
  // A submenu that does not fit to the right opens to the left of its parent.
  Level& opened = *mLevels.back();
  if (opened.frame.R > screenW || opened.frame.L < parent.frame.R - 3)
  {
    const int x = std::max(parent.frame.L - opened.frame.W() + 3, 0);
    opened.frame = IRECT(x, opened.frame.T, x + opened.frame.W(), opened.frame.B);
    XMoveWindow(mContext.display, opened.window, opened.frame.L, opened.frame.T);
  }
}

void IGraphicsX11Menu_vKestrune_vst::CloseLevelsAbove(int levelIdx)
{
  const bool live = !mContext.connection->IsDead();
  while (static_cast<int>(mLevels.size()) > levelIdx + 1)
  {
    Level& level = *mLevels.back();
    level.writer.reset();
    if (live) XDestroyWindow(mContext.display, level.window);
    mLevels.pop_back();
  }
}

bool IGraphicsX11Menu_vKestrune_vst::IsSelectable(const Level& level, int row) const
{
  const IPopupMenuItem* pItem = level.menu->GetItem(row);
  return pItem && !pItem->GetIsSeparator() && pItem->GetEnabled();
}

void IGraphicsX11Menu_vKestrune_vst::Paint(Level& level)
{
  LICE_SysBitmap* pBitmap = level.pixels.get();
  const int w = pBitmap->getWidth(), h = pBitmap->getHeight();
  LICE_Clear(pBitmap, kBackground);
  LICE_FillRect(pBitmap, 0, 0, w, 1, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE_FillRect(pBitmap, 0, h - 1, w, 1, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE_FillRect(pBitmap, 0, 0, 1, h, kBorder, 1.0f, LICE_BLIT_MODE_COPY);
  LICE_FillRect(pBitmap, w - 1, 0, 1, h, kBorder, 1.0f, LICE_BLIT_MODE_COPY);

  for (int i = 0; i < static_cast<int>(level.rows.size()); ++i)
  {
    const IPopupMenuItem* pItem = level.menu->GetItem(i);
    const IRECT& r = level.rows[i];
    const int middle = (r.T + r.B) / 2;
    if (pItem->GetIsSeparator())
    {
      LICE_FillRect(pBitmap, r.L + 4, middle, r.W() - 8, 1, kSeparator, 1.0f, LICE_BLIT_MODE_COPY);
      continue;
    }
    const bool lit = i == level.highlighted && IsSelectable(level, i);
    if (lit) LICE_FillRect(pBitmap, r.L, r.T, r.W(), r.H(), kHighlight, 1.0f, LICE_BLIT_MODE_COPY);
    const LICE_pixel ink = !pItem->GetEnabled() ? kDisabledText : lit ? kHighlightedText : kText;
    if (pItem->GetChecked())
    {
      // A tick two pixels thick.
      const int x0 = r.L + 6;
      for (int d = 0; d < 2; ++d)
      {
        LICE_Line(pBitmap, x0, middle + d, x0 + 3, middle + 3 + d, ink, 1.0f, LICE_BLIT_MODE_COPY, true);
        LICE_Line(pBitmap, x0 + 3, middle + 3 + d, x0 + 10, middle - 4 + d, ink, 1.0f, LICE_BLIT_MODE_COPY, true);
      }
    }
    if (pItem->GetSubmenu())
    {
      const int x = r.R - 12;
      LICE_FillTriangle(pBitmap, x, middle - 4, x, middle + 4, x + 4, middle, ink, 1.0f, LICE_BLIT_MODE_COPY);
    }
    if (mFont)
    {
      const std::string text = ShownText(level.menu, i);
      RECT textRect = {r.L + kCheckGutter + (pItem->GetIsTitle() ? kTitleIndent : 0), r.T, r.R, r.B};
      mFont->SetTextColor(ink);
      mFont->DrawText(pBitmap, text.c_str(), -1, &textRect, kTextFlags);
    }
  }
  level.writer->Put(level.window, mGC, pBitmap, IRECT(0, 0, w, h));
}

bool IGraphicsX11Menu_vKestrune_vst::Grab()
{
  Window grabWindow = mLevels.front()->window;
  // Another client may hold a grab for a moment (a window manager's menu): try for half a second.
  for (int attempt = 0; attempt < 50 && !(mPointerGrabbed && mKeyboardGrabbed); ++attempt)
  {
    if (!mPointerGrabbed)
      mPointerGrabbed = XGrabPointer(mContext.display, grabWindow, False,
                                     ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                     GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!mKeyboardGrabbed)
      mKeyboardGrabbed =
        XGrabKeyboard(mContext.display, grabWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
    if (mContext.connection->IsDead()) return false;
    if (!(mPointerGrabbed && mKeyboardGrabbed)) poll(nullptr, 0, 10);
  }
  // Without the keyboard the menu still works with the mouse; without the pointer it cannot
  // tell a click outside.
  return mPointerGrabbed;
}

void IGraphicsX11Menu_vKestrune_vst::Ungrab()
{
  if (mContext.connection->IsDead()) return;
  if (mPointerGrabbed) XUngrabPointer(mContext.display, CurrentTime);
  if (mKeyboardGrabbed) XUngrabKeyboard(mContext.display, CurrentTime);
  mPointerGrabbed = mKeyboardGrabbed = false;
}

void IGraphicsX11Menu_vKestrune_vst::HitTest(int rootX, int rootY, int* levelIdx, int* row) const
{
  *levelIdx = *row = -1;
  for (int l = static_cast<int>(mLevels.size()) - 1; l >= 0; --l)
  {
    const Level& level = *mLevels[l];
    if (!level.frame.Contains(rootX, rootY)) continue;
    *levelIdx = l;
    const int x = rootX - level.frame.L, y = rootY - level.frame.T;
    for (int i = 0; i < static_cast<int>(level.rows.size()); ++i)
      if (level.rows[i].Contains(x, y)) *row = i;
    return;
  }
}

void IGraphicsX11Menu_vKestrune_vst::MoveHighlight(int step)
{
  Level& level = *mLevels.back();
  const int n = static_cast<int>(level.rows.size());
  int row = level.highlighted;
  for (int tries = 0; tries < n; ++tries)
  {
    row = row < 0 ? (step > 0 ? 0 : n - 1) : (row + step + n) % n;
    if (IsSelectable(level, row))
    {
      level.highlighted = row;
      Paint(level);
      return;
    }
  }
}

bool IGraphicsX11Menu_vKestrune_vst::HandleEvent(XEvent& event)
{
  switch (event.type)
  {
    case Expose:
      for (auto& level : mLevels)
        if (level->window == event.xexpose.window && event.xexpose.count == 0) Paint(*level);
      return false;

    case MotionNotify:
    {
      int l, row;
      HitTest(event.xmotion.x_root, event.xmotion.y_root, &l, &row);
      if (l < 0) return false;
      Level& level = *mLevels[l];
      const bool submenuOpen = l + 1 < static_cast<int>(mLevels.size()) && row >= 0 &&
                               mLevels[l + 1]->menu == level.menu->GetItem(row)->GetSubmenu();
      if (!submenuOpen) CloseLevelsAbove(l);
      if (row != level.highlighted)
      {
        level.highlighted = row;
        Paint(level);
      }
      if (!submenuOpen && row >= 0 && IsSelectable(level, row)) OpenSubmenu(l, row);
      return false;
    }

    case ButtonPress:
    {
      int l, row;
      HitTest(event.xbutton.x_root, event.xbutton.y_root, &l, &row);
      return l < 0;
    }

    case ButtonRelease:
    {
      if (event.xbutton.button > 3) return false;
      if (mOpenedAt && event.xbutton.time - mOpenedAt < kOpeningClickMs) return false;
      int l, row;
      HitTest(event.xbutton.x_root, event.xbutton.y_root, &l, &row);
      if (l < 0 || row < 0 || !IsSelectable(*mLevels[l], row)) return false;
      if (mLevels[l]->menu->GetItem(row)->GetSubmenu()) return false;
      mChosen = mLevels[l]->menu;
      mChosen->SetChosenItemIdx(row);
      return true;
    }

    case KeyPress:
    {
      const KeySym key = XLookupKeysym(&event.xkey, 0);
      Level& level = *mLevels.back();
      const int row = level.highlighted;
      switch (key)
      {
        case XK_Escape: return true;
        case XK_Up:
        case XK_KP_Up: MoveHighlight(-1); return false;
        case XK_Down:
        case XK_KP_Down: MoveHighlight(1); return false;
        case XK_Left:
        case XK_KP_Left:
          if (mLevels.size() > 1) CloseLevelsAbove(static_cast<int>(mLevels.size()) - 2);
          return false;
        case XK_Right:
        case XK_KP_Right:
        case XK_Return:
        case XK_KP_Enter:
        case XK_space:
        {
          if (row < 0 || !IsSelectable(level, row)) return false;
          if (level.menu->GetItem(row)->GetSubmenu())
          {
            OpenSubmenu(static_cast<int>(mLevels.size()) - 1, row);
            MoveHighlight(1);
            return false;
          }
          if (key == XK_Right || key == XK_KP_Right) return false;
          mChosen = level.menu;
          mChosen->SetChosenItemIdx(row);
          return true;
        }
        default: return false;
      }
    }

    default: return false;
  }
}

IPopupMenu* IGraphicsX11Menu_vKestrune_vst::Run(IPopupMenu* pMenu, IRECT anchor, Time openingTime,
                                               const EventHandler& otherEvent, const IdleHandler& idle)
{
  mOpenedAt = openingTime;
  if (!pMenu || !OpenLevel(pMenu, anchor.L, anchor.B, anchor.W(), anchor.T)) return nullptr;
  if (!Grab()) return nullptr;
  mChosen = nullptr;
  Display* display = mContext.display;
  bool finished = false;
  while (!finished)
  {
    while (!finished && XPending(display))
    {
      XEvent event;
      XNextEvent(display, &event);
      const bool ours = std::any_of(mLevels.begin(), mLevels.end(),
                                    [&](const std::unique_ptr<Level>& level) { return level->window == event.xany.window; });
      if (!ours)
      {
        otherEvent(event);
        continue;
      }
      finished = HandleEvent(event);
    }
    if (finished || mContext.connection->IsDead() || !idle()) break;
    pollfd wait = {ConnectionNumber(display), POLLIN, 0};
    poll(&wait, 1, 10);
  }
  Ungrab();
  CloseLevelsAbove(-1);
  return mChosen;
}
