#pragma once

#include "graphics/IControl.h"
#include "graphics/ControlGestures.h"

// Knobs: controls turned by relative mouse drags and the wheel; each kind draws itself its own
// way.

// The knob behaviour without a picture. A vertical drag by the control's height changes the
// value by 1 / gearing (up raises it); a horizontal knob follows drags to the right by its width.
// Control or Shift gear the drag down ten times more. The value never jumps to the mouse.
class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugBase* pPlug, IRECT pR, int paramIdx, EDirection direction = kVertical,
               double gearing = DEFAULT_GEARING,
               IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Moves the value by the drag (dX or dY, by direction), geared, and pushes it. A control of no
  // extent along its direction, or a gearing of 0 or not a number, does not move.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  // 0.01 per notch, 0.001 with Control or Shift held; pushed.
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;

  EDirection GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from the centre of the rectangle, between an inner and an outer radius, pointing at an
// angle between minAngle (value 0) and maxAngle (value 1), in radians, 0 up, clockwise. Drawn
// antialiased with kBlendReplace.
class IKnobLineControl : public IKnobControl
{
public:
  // An outer radius of 0 reaches half the rectangle's width.
  IKnobLineControl(IPlugBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.141592653589793,
                   double maxAngle = 0.75 * 3.141592653589793, EDirection direction = kVertical,
                   double gearing = DEFAULT_GEARING);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A knob image turned about its centre (shifted down by yOffsetZeroDeg pixels) between minAngle
// (value 0) and maxAngle (value 1), in radians; the rectangle is the image's size at (x, y).
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      double minAngle = -0.75 * 3.141592653589793, double maxAngle = 0.75 * 3.141592653589793,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical, double gearing = DEFAULT_GEARING);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A knob drawn from a filmstrip of pre-rendered frames: frame 1 for the value 0, the last frame
// for 1 (IBitmapControl's frame rule). The rectangle is one frame at (x, y).
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                    EDirection direction = kVertical, double gearing = DEFAULT_GEARING);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// A knob composed of three images of one size: a base, a mask added over it and a top image
// copied over that, the mask and the top turned between minAngle (value 0) and maxAngle
// (value 1), in degrees. The rectangle is the base image's size at (x, y).
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase, IBitmap* pMask,
                           IBitmap* pTop, double minAngle = -135.0, double maxAngle = 135.0,
                           EDirection direction = kVertical, double gearing = DEFAULT_GEARING);

  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
