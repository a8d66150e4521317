#pragma once

#include "containers/WDL_String.h"
#include "graphics/IControl.h"

class IGraphics;

// Draws text from a glyph strip: a bitmap whose frames are the characters from the blank (code
// 32) on, one frame per code, every glyph charWidth x charHeight. The text starts at the top of
// pR (or is centred vertically with vCenter) and is aligned horizontally as the style says;
// characters advance by charWidth + charSpacing. A single line keeps what fits in pR's width and
// cuts the rest; multiline breaks the text into as many lines of that many characters as it
// needs. A character the strip has no frame for (a control code, or a code beyond the last
// frame) is drawn as the blank. Nothing is drawn for a null or empty text or when not even one
// character fits.
void DrawBitmapedText(IGraphics* pGraphics, IBitmap* pGlyphs, IRECT* pR, IText* pText, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight,
                      int charSpacing);

// A text drawn from a glyph strip (DrawBitmapedText) in the control's rectangle. Its text can be
// replaced by the plug-in or by another control that uses it as its value or name display.
class IBitmapTextControl : public IControl
{
public:
  // A copy of str (null counts as "") and of the style *pText (its alignment is used; the control
  // default for null).
  IBitmapTextControl(IPlugBase* pPlug, IRECT pR, IBitmap* pGlyphs, const char* str = "", const IText* pText = nullptr,
                     int charWidth = 6, int charHeight = 12, int charSpacing = 0, bool multiLine = false,
                     bool vCenter = true);

  // The text, when it is not empty.
  bool Draw(IGraphics* pGraphics) override;
  // A text that differs from the current one (null counts as "") is stored and drawn.
  void SetTextFromPlug(const char* str) override;

  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  WDL_String mStr;
  int mCharWidth, mCharHeight, mCharSpacing;
  IBitmap mGlyphs;
  bool mMultiLine, mVCentre;
};
