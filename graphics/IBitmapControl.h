#pragma once

#include "graphics/IControl.h"

// The two plain controls the editor makes itself for its background: a panel filled with one
// colour, and a bitmap control showing the frame of a filmstrip that matches its value.

// A rectangle filled with one colour.
class IPanelControl : public IControl
{
public:
  // A panel over pR filled with *pColor, no parameter, drawn with kBlendDefault.
  IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor);

  // FillIRect of the colour over the rectangle.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
};

// The 1-based frame of a filmstrip that shows value: frame 1 for a one-frame image, else
// int((frames - 1) x value + 0.5) + 1, limited to 1..frames.
int FrameForValue(const IBitmap& bitmap, double value);

// One frame of a filmstrip bitmap at a position, the frame chosen by the value: frame 1 for a
// one-frame image, else int((frames - 1) x value + 0.5) + 1, limited to 1..frames. The rectangle
// is one frame in size.
class IBitmapControl : public IControl
{
public:
  // The control's top-left corner is (x, y); paramIdx -1 binds no parameter.
  IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);
  // The same without a parameter.
  IBitmapControl(IPlugBase* pPlug, int x, int y, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // DrawBitmap of the frame for the current value.
  bool Draw(IGraphics* pGraphics) override;

  IBitmap* GetBitmap() { return &mBitmap; }
  // The 1-based frame number the current value shows.
  int FrameForValue() const;

protected:
  IBitmap mBitmap;
};
