#pragma once

#include "containers/WDL_Mutex.h"
#include "containers/WDL_PtrList.h"
#include "graphics/IGraphicsStructs.h"

class LICE_CachedFont;

// The module-wide cache of fonts made for text styles, shared by every editor in the process.
// A font is found by the style's size, orientation, style and face name (colour, alignment and
// quality are not part of the key). The cache owns its fonts and deletes them when the module
// unloads. Each operation holds the cache's own lock only while it searches or changes the list.
class FontStorage
{
public:
  FontStorage() = default;
  // Deletes every font held.
  ~FontStorage();

  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The font cached for the key of pTxt, or null.
  LICE_CachedFont* Find(const IText* pTxt);
  // Caches pFont under the key of pTxt; the cache owns it from now on. False, with the font
  // deleted, when the list cannot grow.
  bool Add(LICE_CachedFont* pFont, const IText* pTxt);
  // Number of fonts held.
  int GetSize();

private:
  struct Entry
  {
    int size;
    int orientation;
    int style;
    char face[FONT_LEN];
    LICE_CachedFont* font;
  };

  WDL_PtrList<Entry> mEntries;
  WDL_Mutex mMutex;
};

// The one font cache of the module.
extern FontStorage s_fontCache;
