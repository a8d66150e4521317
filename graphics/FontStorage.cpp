#include "graphics/FontStorage.h"

#include <cstring>

#include "rasterizer/lice_cachedfont.h"

FontStorage s_fontCache;

namespace {

bool SameKey(int size, int orientation, int style, const char* face, const IText* pTxt)
{
  return size == pTxt->mSize && orientation == pTxt->mOrientation && style == pTxt->mStyle &&
         strncmp(face, pTxt->mFont, FONT_LEN - 1) == 0;
}

} // namespace

// The platform's font layer outlives every font made from it (its lock is never destroyed), so
// deleting the fonts at unload is safe whatever order the module's statics go in.
FontStorage::~FontStorage()
{
  for (int i = 0; i < mEntries.GetSize(); ++i) delete mEntries.Get(i)->font;
  mEntries.Empty(true);
}

LICE_CachedFont* FontStorage::Find(const IText* pTxt)
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < mEntries.GetSize(); ++i)
  {
    const Entry* pEntry = mEntries.Get(i);
    if (SameKey(pEntry->size, pEntry->orientation, pEntry->style, pEntry->face, pTxt)) return pEntry->font;
  }
  return nullptr;
}

bool FontStorage::Add(LICE_CachedFont* pFont, const IText* pTxt)
{
  Entry* pEntry = new Entry{pTxt->mSize, pTxt->mOrientation, pTxt->mStyle, {}, pFont};
  // A face name filled in by hand may lack its terminator: at most FONT_LEN - 1 characters count.
  memcpy(pEntry->face, pTxt->mFont, strnlen(pTxt->mFont, FONT_LEN - 1));
  WDL_MutexLock lock(&mMutex);
  if (mEntries.Add(pEntry)) return true;
  delete pEntry;
  delete pFont;
  return false;
}

int FontStorage::GetSize()
{
  WDL_MutexLock lock(&mMutex);
  return mEntries.GetSize();
}
