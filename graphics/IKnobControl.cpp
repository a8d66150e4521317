#include "graphics/IKnobControl.h"

#include <cmath>

#include "graphics/IBitmapControl.h"
#include "graphics/IGraphics.h"

// ---- IKnobControl ----

IKnobControl::IKnobControl(IPlugBase* pPlug, IRECT pR, int paramIdx, EDirection direction, double gearing,
                           IChannelBlend::EBlendMethod blendMethod)
  : IControl(pPlug, pR, paramIdx, blendMethod), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* pMod)
{
  double gearing = mGearing;
  if (WantsFineAdjust(pMod)) gearing *= 10.0;
  // Up is towards smaller y, so the vertical extent is negative: dragging up raises the value.
  const int extent = mDirection == kVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  const int delta = mDirection == kVertical ? dY : dX;
  if (extent == 0 || !std::isfinite(gearing) || gearing == 0.0) return;
  mValue += static_cast<double>(delta) / static_cast<double>(extent) / gearing;
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* pMod, int d)
{
  mValue += WheelDelta(pMod, d);
  SetDirty(true);
}

// ---- IKnobLineControl ----

IKnobLineControl::IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
  : IKnobControl(pPlug, pR, paramIdx, direction, gearing, IChannelBlend::kBlendReplace), mColor(*pColor),
    mMinAngle(static_cast<float>(minAngle)), mMaxAngle(static_cast<float>(maxAngle)),
    mInnerRadius(static_cast<float>(innerRadius)), mOuterRadius(static_cast<float>(outerRadius))
{
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * static_cast<float>(pR.W());
}

bool IKnobLineControl::Draw(IGraphics* pGraphics)
{
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRadialLine(&mColor, mRECT.MW(), mRECT.MH(), static_cast<float>(angle), mInnerRadius,
                                   mOuterRadius, &mBlend, true);
}

// ---- IKnobRotaterControl ----

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg,
                                         EDirection direction, double gearing)
  : IKnobControl(pPlug, IRECT(x, y, x + pBitmap->W, y + pBitmap->H), paramIdx, direction, gearing),
    mBitmap(*pBitmap), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics)
{
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
}

// ---- IKnobMultiControl ----

IKnobMultiControl::IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                     EDirection direction, double gearing)
  : IKnobControl(pPlug, IRECT(x, y, pBitmap), paramIdx, direction, gearing), mBitmap(*pBitmap)
{
}

bool IKnobMultiControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mBitmap, GetValue()), &mBlend);
}

// ---- IKnobRotatingMaskControl ----

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase,
                                                   IBitmap* pMask, IBitmap* pTop, double minAngle,
                                                   double maxAngle, EDirection direction, double gearing)
  : IKnobControl(pPlug, IRECT(x, y, x + pBase->W, y + pBase->H), paramIdx, direction, gearing), mBase(*pBase),
    mMask(*pMask), mTop(*pTop), mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics)
{
  const double angle = mMinAngle + GetValue() * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
