#include "graphics/IPopupMenu.h"

IPopupMenuItem::IPopupMenuItem(const char* text, int flags) : mText(text), mFlags(flags) {}

IPopupMenuItem::IPopupMenuItem(const char* text, IPopupMenu* pSubmenu) : mText(text), mSubmenu(pSubmenu), mFlags(kNoFlags)
{
}

void IPopupMenuItem::SetChecked(bool checked)
{
  if (checked)
    mFlags |= kChecked;
  else
    mFlags &= ~kChecked;
}

IPopupMenu::~IPopupMenu()
{
  mMenuItems.Empty(true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* pItem, int index)
{
  if (!pItem) return nullptr;
  const int n = mMenuItems.GetSize();
  if (index < 0 && index != -1) index = 0;
  if (index == -1 || index > n) index = n;
  if (mMenuItems.Insert(index, pItem)) return pItem;
  delete pItem;
  return nullptr;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* pSubmenu)
{
  return AddItem(new IPopupMenuItem(text, pSubmenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* pSubmenu)
{
  return AddItem(new IPopupMenuItem(text, pSubmenu), -1);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

void IPopupMenu::SetPrefix(int mode)
{
  if (mode >= 0 && mode <= 3) mPrefix = mode;
}

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* pItem = GetItem(index);
  return pItem ? pItem->GetText() : "";
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* pItem = GetItem(index);
  if (!pItem) return false;
  pItem->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0; i < mMenuItems.GetSize(); ++i) mMenuItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* pItem = GetItem(index);
  return pItem && pItem->GetChecked();
}
