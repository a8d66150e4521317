#pragma once

#include "graphics/IControl.h"

// A fader: a handle bitmap that travels along a track of a given length, at the top (or right)
// end for the value 1. A click or a drag puts the handle's centre under the mouse; the wheel
// moves it as it moves a knob.
class IFaderControl : public IControl
{
public:
  // A track of len pixels from (x, y), as wide (or, horizontal, as high) as the handle, which is
  // frame 1 of pHandleBitmap. With onlyHandle only the handle itself can be grabbed.
  IFaderControl(IPlugBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandleBitmap,
                EDirection direction = kVertical, bool onlyHandle = false);

  // Right button: prompts for the value; otherwise snaps the handle to the mouse.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Snaps the handle to the mouse.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  // 0.01 per notch, 0.001 with Control or Shift held; pushed.
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  // The handle at its place for the value.
  bool Draw(IGraphics* pGraphics) override;
  // With onlyHandle: the handle holds the point; else the track does.
  bool IsHit(int x, int y) override;
  // Sets the value that puts the handle's centre at (x, y) along the travel, and pushes it. A
  // track no longer than the handle has no travel: the value stays.
  virtual void SnapToMouse(int x, int y);

  // Where the handle is drawn for value (the current value when value is negative), the value
  // taken as limited to 0..1.
  IRECT GetHandleRECT(double value = -1.0) const;
  int GetLength() const { return mLen; }
  // The pixels the handle's own extent takes from the track.
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  EDirection GetDirection() const { return mDirection; }

protected:
  int mLen, mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
