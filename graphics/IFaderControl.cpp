#include "graphics/IFaderControl.h"

#include <algorithm>

#include "graphics/ControlGestures.h"
#include "graphics/IGraphics.h"

IFaderControl::IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandleBitmap,
                             EDirection direction, bool onlyHandle)
  : IControl(pPlug, IRECT(), paramIdx), mLen(len), mBitmap(*pHandleBitmap), mDirection(direction),
    mOnlyHandle(onlyHandle)
{
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  if (direction == kVertical)
  {
    mRECT = mTargetRECT = IRECT(x, y, x + w, y + len);
    mHandleHeadroom = h;
  }
  else
  {
    mRECT = mTargetRECT = IRECT(x, y, x + len, y + h);
    mHandleHeadroom = w;
  }
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = GetValue();
  // The handle never leaves its track, whatever value arrives (not-a-number counts as 0).
  value = value >= 0.0 ? std::min(value, 1.0) : 0.0;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mBitmap.FrameWidth(), mRECT.T + mBitmap.FrameHeight());
  const int travel = mLen - mHandleHeadroom;
  if (mDirection == kHorizontal)
  {
    const int offs = static_cast<int>(value * travel);
    r.L += offs;
    r.R += offs;
  }
  else
  {
    const int offs = static_cast<int>((1.0 - value) * travel);
    r.T += offs;
    r.B += offs;
  }
  return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R)
    PromptUserInput();
  else
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int, int, IMouseMod* pMod, int d)
{
  mValue += WheelDelta(pMod, d);
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* pGraphics)
{
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mBitmap, &r, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return mTargetRECT.Contains(x, y);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int travel = mLen - mHandleHeadroom;
  if (travel <= 0) return;
  if (mDirection == kVertical)
    mValue = 1.0 - static_cast<double>(y - mRECT.T - mHandleHeadroom / 2) / travel;
  else
    mValue = static_cast<double>(x - mRECT.L - mHandleHeadroom / 2) / travel;
  SetDirty(true);
}
