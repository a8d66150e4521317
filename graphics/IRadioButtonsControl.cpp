#include "graphics/IRadioButtonsControl.h"

#include <algorithm>

#include "graphics/ControlGestures.h"
#include "graphics/IGraphics.h"

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons,
                                           IBitmap* pBitmap, EDirection direction, bool reverse)
  : IControl(pPlug, pR, paramIdx), mRECTs(16 * static_cast<int>(sizeof(IRECT))), mBitmap(*pBitmap)
{
  const int n = std::max(nButtons, 0);
  if (!mRECTs.Resize(n)) return;
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  // The distance from one button to the next; one button has no next.
  int step = 0;
  if (n > 1 && direction == kHorizontal)
    step = w + static_cast<int>(static_cast<double>(mRECT.W() - n * w) / (n - 1));
  else if (n > 1)
    step = h + static_cast<int>(static_cast<double>(mRECT.H() - n * h) / (n - 1));

  IRECT* pButton = mRECTs.Get();
  for (int i = 0; i < n; ++i)
  {
    if (direction == kHorizontal)
    {
      const int l = reverse ? mRECT.R - w - i * step : mRECT.L + i * step;
      pButton[i] = IRECT(l, mRECT.T, l + w, mRECT.T + h);
    }
    else
    {
      const int t = reverse ? mRECT.B - h - i * step : mRECT.T + i * step;
      pButton[i] = IRECT(mRECT.L, t, mRECT.L + w, t + h);
    }
  }
}

int IRadioButtonsControl::ActiveButton() const
{
  const int n = NButtons();
  if (n < 1) return -1;
  // Limited before the conversion, so that no value converts out of range.
  const double pos = static_cast<double>(n - 1) * GetValue() + 0.5;
  if (!(pos >= 1.0)) return 0;
  return pos >= n - 1 ? n - 1 : static_cast<int>(pos);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R)
  {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
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

bool IRadioButtonsControl::Draw(IGraphics* pGraphics)
{
  const int active = ActiveButton();
  for (int i = 0; i < NButtons(); ++i) pGraphics->DrawBitmap(&mBitmap, mRECTs.Get() + i, i == active ? 2 : 1, &mBlend);
  return true;
}
