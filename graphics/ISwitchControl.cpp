#include "graphics/ISwitchControl.h"

#include <algorithm>

#include "graphics/ControlGestures.h"
#include "graphics/IGraphics.h"

// ---- ISwitchControl ----

ISwitchControl::ISwitchControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  const double step = mBitmap.N > 1 ? 1.0 / static_cast<double>(mBitmap.N - 1) : 1.0;
  double value = mValue + step;
  // The tolerance keeps the last position reachable despite the rounding of the steps.
  if (value > 1.001) value = 0.0;
  mValue = value;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  OnMouseDown(x, y, pMod);
}

// ---- ISwitchPopUpControl ----

ISwitchPopUpControl::ISwitchPopUpControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                         IChannelBlend::EBlendMethod blendMethod)
  : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
  // Prompting is what this switch is for.
  mDisablePrompt = false;
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty(true);
}

// ---- ISwitchFramesControl ----

ISwitchFramesControl::ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                           bool imagesAreHorizontal, IChannelBlend::EBlendMethod blendMethod)
  : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod), mRECTs(16 * static_cast<int>(sizeof(IRECT)))
{
  mDisablePrompt = false;
  const int n = std::max(mBitmap.N, 1);
  if (!mRECTs.Resize(n)) return;
  IRECT* pPart = mRECTs.Get();
  const float partW = static_cast<float>(mRECT.W()) / static_cast<float>(n);
  const float partH = static_cast<float>(mRECT.H()) / static_cast<float>(n);
  for (int i = 0; i < n; ++i)
  {
    if (imagesAreHorizontal)
    {
      const int l = mRECT.L + static_cast<int>(static_cast<float>(i) * partW);
      pPart[i] = IRECT(l, mRECT.T, static_cast<int>(static_cast<float>(l) + partW), mRECT.B);
    }
    else
    {
      const int t = mRECT.T + static_cast<int>(static_cast<float>(i) * partH);
      pPart[i] = IRECT(mRECT.L, t, mRECT.R, static_cast<int>(static_cast<float>(t) + partH));
    }
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  const int n = NParts();
  for (int i = 0; i < n; ++i)
  {
    if (mRECTs.Get()[i].Contains(x, y))
    {
      mValue = PositionValue(i, n);
      break;
    }
  }
  SetDirty(true);
}

// ---- IContactControl ----

IContactControl::IContactControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                 IChannelBlend::EBlendMethod blendMethod)
  : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
{
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

// ---- IBitmapOverlayControl ----

IBitmapOverlayControl::IBitmapOverlayControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                             IRECT targetArea, IChannelBlend::EBlendMethod blendMethod)
  : ISwitchControl(pPlug, x, y, paramIdx, pBitmap, blendMethod), mTargetArea(targetArea)
{
  // The value starts at 0: the overlay starts hidden, clickable only in its target area.
  mTargetRECT = mTargetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics)
{
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(pGraphics);
}

// ---- IInvisibleSwitchControl ----

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugBase* pPlug, IRECT pR, int paramIdx)
  : IControl(pPlug, pR, paramIdx, IChannelBlend::kBlendReplace)
{
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

bool IInvisibleSwitchControl::Draw(IGraphics*)
{
  return true;
}
