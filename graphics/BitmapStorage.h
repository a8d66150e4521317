#pragma once

#include "containers/WDL_Mutex.h"
#include "containers/WDL_PtrList.h"

class LICE_IBitmap;

// The module-wide cache of decoded images, shared by every editor in the process: an ordered list
// of (resource identifier, bitmap) entries that owns the bitmaps. Each operation holds the
// cache's own lock only while it searches or changes the list. Bitmaps live until they are
// released or the module unloads.
class BitmapStorage
{
public:
  BitmapStorage() = default;
  // Deletes every bitmap held, then the entries.
  ~BitmapStorage();

  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The bitmap of the first entry with identifier id, or null.
  LICE_IBitmap* Find(int id);
  // Appends an entry (id -1: no identifier). The cache owns pBitmap from now on. False, with
  // nothing changed, for a null bitmap or when the list cannot grow.
  bool Add(LICE_IBitmap* pBitmap, int id = -1);
  // Removes the first entry holding pBitmap and deletes the bitmap once no entry holds it any
  // more. Nothing when no entry holds it.
  void Remove(LICE_IBitmap* pBitmap);
  // How many entries hold pBitmap.
  int Count(LICE_IBitmap* pBitmap);

private:
  struct Entry
  {
    int id;
    LICE_IBitmap* bitmap;
  };

  WDL_PtrList<Entry> mEntries;
  WDL_Mutex mMutex;
};

// The one bitmap cache of the module.
extern BitmapStorage s_bitmapCache;
