#include "graphics/IGraphicsStructs.h"

#include <cstring>

#include "rasterizer/lice_combine.h"

int BlendMode(const IChannelBlend* pBlend)
{
  if (!pBlend) return LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_COPY;
  switch (pBlend->mMethod)
  {
    case IChannelBlend::kBlendReplace:
      return LICE_BLIT_MODE_COPY;
    case IChannelBlend::kBlendAdditive:
      return LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_ADD;
    case IChannelBlend::kBlendDodge:
      return LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_DODGE;
    case IChannelBlend::kBlendDefault:
    default:
      return LICE_BLIT_USE_ALPHA | LICE_BLIT_MODE_COPY;
  }
}

IText::IText(int size, const IColor* pColor, const char* font, EStyle style, EAlign align, int orientation,
             EQuality quality, const IColor* pTextEntryBGColor, const IColor* pTextEntryFGColor)
  : mSize(size),
    mColor(pColor ? *pColor : DEFAULT_TEXT_COLOR),
    mTextEntryBGColor(pTextEntryBGColor ? *pTextEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
    mTextEntryFGColor(pTextEntryFGColor ? *pTextEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR),
    mStyle(style),
    mAlign(align),
    mOrientation(orientation),
    mQuality(quality)
{
  memset(mFont, 0, sizeof(mFont));
  strncpy(mFont, font && font[0] ? font : "Monaco", FONT_LEN - 1);
}

IText::IText(const IColor* pColor) : IText(10, pColor) {}
