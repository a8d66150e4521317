#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "graphics/IGraphicsStructs.h"
#include "platform/x11/XViewContext.h"

class IGraphics;
class IPopupMenu;
class LICE_CachedFont;
class LICE_SysBitmap;
class XImageWriter;

// A pop-up menu drawn by the editor: one override-redirect window per open level (the menu and the
// submenus opened from it), with check marks, greyed (disabled) items, titles indented, separators,
// submenu arrows and the menu's numbering prefixes. It is modal while it runs: the pointer and the
// keyboard are grabbed, and released on every way out.
//
// Mouse: hovering highlights an item and opens its submenu; releasing the button over an enabled
// item chooses it; pressing outside every level cancels. Keys: Up and Down move through the enabled
// items of the innermost level, Right (or Enter) opens a submenu, Left closes the innermost
// submenu, Enter or Space chooses, Escape cancels.
class IGraphicsX11Menu_vKestrune_vst
{
public:
  // Between events while the menu runs: handles the view's own events (repaints) and its timer.
  // Returns false when the view is gone, which cancels the menu.
  using IdleHandler = std::function<bool()>;
  // Events of other windows of the connection (the view's exposures) that arrive meanwhile.
  using EventHandler = std::function<void(XEvent&)>;

  IGraphicsX11Menu_vKestrune_vst(const XViewContext& context, IGraphics* pGraphics);
  // Closes every level and releases the grabs.
  ~IGraphicsX11Menu_vKestrune_vst();

  IGraphicsX11Menu_vKestrune_vst(const IGraphicsX11Menu_vKestrune_vst&) = delete;
  IGraphicsX11Menu_vKestrune_vst& operator=(const IGraphicsX11Menu_vKestrune_vst&) = delete;

  // Shows pMenu with its top-left corner at the bottom-left corner of anchor (root-window
  // coordinates; above anchor when there is no room below, kept on the screen) and runs it until it
  // closes. openingTime is the server time of the event that opened it (0: unknown): the release of
  // that click does not choose. Returns the menu holding the chosen item with its chosen index set,
  // or null when cancelled, when the grab could not be had, or when pMenu has no items.
  IPopupMenu* Run(IPopupMenu* pMenu, IRECT anchor, Time openingTime, const EventHandler& otherEvent,
                  const IdleHandler& idle);

private:
  struct Level;

  bool OpenLevel(IPopupMenu* pMenu, int x, int y, int minWidth, int avoidTop);
  void OpenSubmenu(int levelIdx, int row);
  void CloseLevelsAbove(int levelIdx);
  void Paint(Level& level);
  bool Grab();
  void Ungrab();
  // The level and row under the root-window point; level -1 outside every level, row -1 on a border.
  void HitTest(int rootX, int rootY, int* levelIdx, int* row) const;
  bool IsSelectable(const Level& level, int row) const;
  void MoveHighlight(int step);
  // Handles one event of the menu. Returns true when the menu is finished.
  bool HandleEvent(XEvent& event);

  XViewContext mContext;
  IGraphics* mGraphics;
  LICE_CachedFont* mFont = nullptr;
  GC mGC = nullptr;
  std::vector<std::unique_ptr<Level>> mLevels;
  bool mPointerGrabbed = false;
  bool mKeyboardGrabbed = false;
  Time mOpenedAt = 0;
  IPopupMenu* mChosen = nullptr;
};
