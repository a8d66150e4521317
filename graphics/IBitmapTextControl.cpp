#include "graphics/IBitmapTextControl.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "graphics/IGraphics.h"

void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pGlyphs, IRECT* pR, IText* pText, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight,
                      int charSpacing)
{
  if (!pGraphics || !pGlyphs || !pR || !str || !*str || charWidth <= 0) return;
  // Positions are worked in 64 bits: no width, height or text length can overflow them.
  const int64_t len = static_cast<int64_t>(strlen(str));
  const int64_t textWidth = int64_t(charWidth) * len;
  const int64_t rectWidth = pR->W();

  const int64_t y0 = vCenter ? pR->T + (int64_t(pR->B) - charHeight - pR->T) / 2 : pR->T;
  const IText::EAlign align = pText ? pText->mAlign : IText::kAlignNear;
  int64_t x0 = pR->L;
  if (align == IText::kAlignFar)
    x0 = pR->R - textWidth;
  else if (align == IText::kAlignCenter)
    x0 = pR->L + (rectWidth - textWidth) / 2;

  int64_t perLine = rectWidth / charWidth;
  if (multiline && rectWidth >= textWidth) perLine = len;
  if (perLine <= 0) return;
  // Every character gets a line; a single line keeps what fits.
  const int64_t lines = multiline ? (len + perLine - 1) / perLine : 1;

  const int nGlyphs = std::max(pGlyphs->N, 1);
  int64_t c = 0;
  for (int64_t line = 0; line < lines && c < len; ++line)
  {
    const int64_t top = y0 + int64_t(charHeight) * line;
    int64_t x = x0;
    for (int64_t i = 0; i < perLine && c < len; ++i, ++c)
    {
      const int64_t right = x + charWidth, bottom = top + charHeight;
      if (x < INT_MIN || right > INT_MAX || top < INT_MIN || bottom > INT_MAX) return;
      IRECT dest(static_cast<int>(x), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom));
      int frame = static_cast<unsigned char>(str[c]) - 31;
      if (frame < 1 || frame > nGlyphs) frame = 1;
      pGraphics->DrawBitmap(pGlyphs, &dest, frame, pBlend);
      x += int64_t(charWidth) + charSpacing;
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pGlyphs, const char* str,
                                       const IText* pText, int charWidth, int charHeight, int charSpacing,
                                       bool multiLine, bool vCenter)
  : IControl(pPlug, pR), mStr(str), mCharWidth(charWidth), mCharHeight(charHeight), mCharSpacing(charSpacing),
    mGlyphs(*pGlyphs), mMultiLine(multiLine), mVCentre(vCenter)
{
  if (pText) mText = *pText;
}

bool IBitmapTextControl::Draw(IGraphics* pGraphics)
{
  DrawBitmapedText(pGraphics, &mGlyphs, &mRECT, &mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                   mCharHeight, mCharSpacing);
  return true;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (!strcmp(str, mStr.Get())) return;
  SetDirty(false);
  mStr.Set(str);
}
