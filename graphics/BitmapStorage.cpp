#include "graphics/BitmapStorage.h"

#include "rasterizer/lice_bitmap.h"

BitmapStorage s_bitmapCache;

BitmapStorage::~BitmapStorage()
{
  // An image retained under several entries is deleted once.
  for (int i = 0; i < mEntries.GetSize(); ++i)
  {
    LICE_IBitmap* pBitmap = mEntries.Get(i)->bitmap;
    if (!pBitmap) continue;
    for (int j = i + 1; j < mEntries.GetSize(); ++j)
      if (mEntries.Get(j)->bitmap == pBitmap) mEntries.Get(j)->bitmap = nullptr;
    delete pBitmap;
  }
  mEntries.Empty(true);
}

LICE_IBitmap* BitmapStorage::Find(int id)
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->id == id) return mEntries.Get(i)->bitmap;
  return nullptr;
}

bool BitmapStorage::Add(LICE_IBitmap* pBitmap, int id)
{
  if (!pBitmap) return false;
  Entry* pEntry = new Entry{id, pBitmap};
  WDL_MutexLock lock(&mMutex);
  if (mEntries.Add(pEntry)) return true;
  delete pEntry;
  return false;
}

void BitmapStorage::Remove(LICE_IBitmap* pBitmap)
{
  if (!pBitmap) return;
  bool lastEntry = false;
  {
    WDL_MutexLock lock(&mMutex);
    int found = -1, holders = 0;
    for (int i = 0; i < mEntries.GetSize(); ++i)
    {
      if (mEntries.Get(i)->bitmap != pBitmap) continue;
      if (found < 0) found = i;
      ++holders;
    }
    if (found < 0) return;
    mEntries.Delete(found, true);
    lastEntry = holders == 1;
  }
  if (lastEntry) delete pBitmap;
}

int BitmapStorage::Count(LICE_IBitmap* pBitmap)
{
  WDL_MutexLock lock(&mMutex);
  int holders = 0;
  for (int i = 0; i < mEntries.GetSize(); ++i)
    if (mEntries.Get(i)->bitmap == pBitmap) ++holders;
  return holders;
}
