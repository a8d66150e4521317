#include "graphics/IBitmapControl.h"

#include "graphics/IGraphics.h"

IPanelControl::IPanelControl(IPlugBase* pPlug, IRECT pR, const IColor* pColor)
  : IControl(pPlug, pR, -1, IChannelBlend::kBlendDefault), mColor(*pColor)
{
}

bool IPanelControl::Draw(IGraphics* pGraphics)
{
  pGraphics->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

IBitmapControl::IBitmapControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IControl(pPlug, IRECT(x, y, pBitmap), paramIdx, blendMethod), mBitmap(*pBitmap)
{
}

IBitmapControl::IBitmapControl(IPlugBase* pPlug, int x, int y, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IBitmapControl(pPlug, x, y, -1, pBitmap, blendMethod)
{
}

int FrameForValue(const IBitmap& bitmap, double value)
{
  if (bitmap.N < 2) return 1;
  // Limited before the conversion, so that no value (not even NaN) converts out of range.
  const double step = static_cast<double>(bitmap.N - 1) * value + 0.5;
  if (!(step >= 1.0)) return 1;
  return step >= bitmap.N - 1 ? bitmap.N : static_cast<int>(step) + 1;
}

int IBitmapControl::FrameForValue() const
{
  return ::FrameForValue(mBitmap, GetValue());
}

bool IBitmapControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(), &mBlend);
}
