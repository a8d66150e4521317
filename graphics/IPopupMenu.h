#pragma once

#include "containers/WDL_PtrList.h"
#include "containers/WDL_String.h"

class IPopupMenu;

// One entry of a pop-up menu: text, flags and an optional submenu (not owned).
class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 1,  // shown greyed, not selectable
    kTitle = 2,     // shown indented by one level
    kChecked = 4,   // shown with a check mark
    kSeparator = 8  // shown as a separator line; the text is ignored
  };

  // An item with a copy of text (null gives "") and flags.
  explicit IPopupMenuItem(const char* text, int flags = kNoFlags);
  // An item opening pSubmenu (flags 0).
  IPopupMenuItem(const char* text, IPopupMenu* pSubmenu);

  IPopupMenuItem(const IPopupMenuItem&) = delete;
  IPopupMenuItem& operator=(const IPopupMenuItem&) = delete;

  // Sets or clears the checked flag.
  void SetChecked(bool checked);

  const char* GetText() const { return mText.Get(); }
  int GetFlags() const { return mFlags; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }

private:
  WDL_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags;
};

// The platform-neutral model of a pop-up menu: an ordered list of owned items, a numbering prefix
// mode and the index of the item the user chose. The editor builds one for a prompt; the platform
// shows it and writes the chosen index back (into the menu that holds the chosen item).
//
// Every AddItem inserts at index: -1 (or an index at or beyond the end) appends, a negative index
// counts as 0, later items move back by one. Each returns the item, or null (the item deleted)
// when the list cannot grow or no item is given.
class IPopupMenu
{
public:
  IPopupMenu() = default;
  // Deletes every item (last first); submenus are left to whoever built them.
  ~IPopupMenu();

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Takes ownership of pItem.
  IPopupMenuItem* AddItem(IPopupMenuItem* pItem, int index = -1);
  // A new item with text and flags.
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  // A new item with text opening pSubmenu.
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* pSubmenu);
  // A new item with text opening pSubmenu, appended.
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* pSubmenu);
  // A new separator item.
  IPopupMenuItem* AddSeparator(int index = -1);

  // Numbering shown in front of item texts: 0 none, 1 "%1d: ", 2 "%02d: ", 3 "%03d: " (items
  // counted from 1). Other values are ignored.
  void SetPrefix(int mode);
  int GetPrefix() const { return mPrefix; }

  // The chosen item's index, -1 until a choice is made.
  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

  int GetNItems() const { return mMenuItems.GetSize(); }
  // Item index, or null outside the list.
  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // Item index's text; "" outside the list.
  const char* GetItemText(int index) const;
  // Sets or clears item index's checked flag. False when there is no such item.
  bool CheckItem(int index, bool checked);
  // Checks item index and clears every other item's check.
  void CheckItemAlone(int index);
  // False when there is no such item.
  bool IsItemChecked(int index) const;

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  WDL_PtrList<IPopupMenuItem> mMenuItems;
};
