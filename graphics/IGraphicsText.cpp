// Text styles on the editor. Fonts come from the platform's font layer, which this build does not
// have yet: until it does, no style has a font, so text draws nothing and measuring fails.

#include "graphics/IGraphics.h"

bool IGraphics::MeasureIText(IText* pTxt, const char* str, IRECT* pR)
{
  return DrawIText(pTxt, str, pR, true);
}

LICE_CachedFont* IGraphics::CacheFont(IText*)
{
  return nullptr;
}

bool IGraphics::DrawIText(IText* pTxt, const char* str, IRECT*, bool)
{
  if (!str || !str[0]) return true;
  return CacheFont(pTxt) != nullptr;
}
