#pragma once

#include "containers/WDL_TypedBuf.h"
#include "graphics/IControl.h"

// A row or column of n buttons of which one is on: button i stands for the value i / (n - 1).
// Every button is drawn from a two-frame bitmap (frame 1 off, frame 2 on), the buttons spread
// evenly over the rectangle from its top (or left) edge, or from the far edge when reversed.
class IRadioButtonsControl : public IControl
{
public:
  // nButtons buttons inside pR (a count below 1 gives none) sized as one frame of pBitmap.
  IRadioButtonsControl(IPlugBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical, bool reverse = false);

  // Right button: prompts for the value. Otherwise the first button under the point is switched
  // on (the only button of a one-button control stands for 0) and the value pushed.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Every button, the one for the current value on.
  bool Draw(IGraphics* pGraphics) override;

  // The buttons in value order.
  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButton(int idx) const { return idx >= 0 && idx < NButtons() ? mRECTs.Get() + idx : nullptr; }
  // The index of the button that is on for the current value, or -1 without buttons.
  int ActiveButton() const;

protected:
  WDL_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};
