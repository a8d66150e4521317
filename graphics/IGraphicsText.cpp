// Text styles on the editor: fonts made for styles through the platform, shared module-wide by
// the font cache, and drawn or measured in the draw bitmap.

#include <algorithm>

#include "graphics/FontStorage.h"
#include "graphics/IGraphics.h"
#include "rasterizer/lice_cachedfont.h"
#include "rasterizer/lice_sysbitmap.h"

namespace {

// The platform's quality code for a style's quality.
int PlatformQuality(IText::EQuality quality)
{
  switch (quality)
  {
    case IText::kQualityDefault: return DEFAULT_QUALITY;
    case IText::kQualityAntiAliased:
    case IText::kQualityClearType: return ANTIALIASED_QUALITY;
    case IText::kQualityNonAntiAliased:
    default: return NONANTIALIASED_QUALITY;
  }
}

// The text drawing flag of a style's alignment; unknown alignments are near.
unsigned AlignmentFlag(IText::EAlign align)
{
  switch (align)
  {
    case IText::kAlignCenter: return DT_CENTER;
    case IText::kAlignFar: return DT_RIGHT;
    case IText::kAlignNear:
    default: return DT_LEFT;
  }
}

} // namespace

bool IGraphics::MeasureIText(IText* pTxt, const char* str, IRECT* pR)
{
  return DrawIText(pTxt, str, pR, true);
}

// A face's line height need not be the height asked for: when the first font's differs from the
// style's size, a second is made at the height that scales it to the size (s^2 / line height), and
// kept whatever its line height.
LICE_CachedFont* IGraphics::CacheFont(IText* pTxt)
{
  LICE_CachedFont* pFont = s_fontCache.Find(pTxt);
  if (!pFont)
  {
    pFont = new LICE_CachedFont;
    const int escapement = 10 * pTxt->mOrientation;
    const int weight = pTxt->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL;
    const int italic = pTxt->mStyle == IText::kStyleItalic ? 1 : 0;
    const double sizeSquared = pTxt->mSize < 2 ? 4.0 : double(pTxt->mSize) * pTxt->mSize;
    int height = pTxt->mSize;
    for (int attempt = 0; attempt < 2; ++attempt)
    {
      height = std::max(height, 2);
      HFONT hFont = CreateFont(height, 0, escapement, escapement, weight, italic, 0, 0, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PlatformQuality(pTxt->mQuality),
                               DEFAULT_PITCH, pTxt->mFont);
      if (!hFont)
      {
        delete pFont;
        return nullptr;
      }
      pFont->SetFromHFont(hFont, LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_NATIVE);
      const int lineHeight = pFont->GetLineHeight();
      if (attempt == 1 || lineHeight == height || lineHeight <= 0) break;
      height = static_cast<int>(std::min(sizeSquared / lineHeight + 0.5, 4096.0));
    }
    if (!s_fontCache.Add(pFont, pTxt)) return nullptr;
  }
  pTxt->mCached = pFont;
  return pFont;
}

bool IGraphics::DrawIText(IText* pTxt, const char* str, IRECT* pR, bool measure)
{
  if (!str || !str[0]) return true;
  LICE_IFont* pFont = pTxt->mCached ? pTxt->mCached : CacheFont(pTxt);
  if (!pFont) return false;

  pFont->SetTextColor(pTxt->mColor.Packed());
  unsigned format = DT_NOCLIP | AlignmentFlag(pTxt->mAlign);
  if (pTxt->mColor.A < 255) format |= LICE_DT_USEFGALPHA;

  if (!measure)
  {
    RECT r = {pR->L, pR->T, pR->R, pR->B};
    pFont->DrawText(mDrawBitmap, str, -1, &r, format);
    return true;
  }

  RECT extent = {0, 0, 0, 0};
  pFont->DrawText(mDrawBitmap, str, -1, &extent, format | DT_CALCRECT);
  const int width = extent.right, height = extent.bottom;
  switch (pTxt->mAlign)
  {
    case IText::kAlignCenter:
      pR->L = static_cast<int>((pR->L + pR->R) * 0.5) - width / 2;
      pR->R = pR->L + width;
      break;
    case IText::kAlignFar:
      pR->L = pR->R - width;
      break;
    case IText::kAlignNear:
    default:
      pR->R = pR->L + width;
      break;
  }
  pR->B = pR->T + height;
  return true;
}
