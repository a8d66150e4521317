#pragma once

#include "containers/WDL_TypedBuf.h"
#include "graphics/IBitmapControl.h"

// Switches: controls that step a parameter through a fixed number of positions. The bitmap
// switches show the frame of their filmstrip that matches the value (IBitmapControl's rule);
// a value of 1.0 is the last position.

// A multi-position switch. A click (either button) or a double click steps to the next position,
// 1 / (frames - 1) further (1.0 for an image of fewer than 2 frames), and wraps to 0 after the
// last: a two-frame switch toggles between 0 and 1.
class ISwitchControl : public IBitmapControl
{
public:
  // A switch of one frame's size with its top-left corner at (x, y), prompts disabled.
  ISwitchControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Steps to the next position (wrapping) and pushes the value.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // One more step, as a click (not a reset to the default).
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
};

// A switch that asks for its position: a click shows the menu of the parameter's display texts
// (or a text field for a parameter without them), then pushes the value. Prompts are enabled.
class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                      IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Prompts for the value, then pushes it.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};

// A switch whose picture is cut into one part per frame, side by side (imagesAreHorizontal) or
// stacked: a click on part i selects position i, value i / (parts - 1). Prompts are enabled.
class ISwitchFramesControl : public ISwitchControl
{
public:
  ISwitchFramesControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                       bool imagesAreHorizontal = false,
                       IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Selects the first part holding the point (a one-part switch selects 0; a point in no part
  // keeps the value), then pushes the value.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;

  // The parts, in position order.
  int NParts() const { return mRECTs.GetSize(); }
  const IRECT* GetPart(int idx) const { return idx >= 0 && idx < NParts() ? mRECTs.Get() + idx : nullptr; }

protected:
  WDL_TypedBuf<IRECT> mRECTs;
};

// A momentary button: a press steps like a switch, the release sets the value back to 0.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                  IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Back to 0, pushed.
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// A switch that shows its picture only while on (value 0.5 and above), for example a panel that
// opens over the editor. While off nothing is drawn and only targetArea (say, the button that
// opens it) is clickable; while on the whole picture is.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, IRECT targetArea,
                        IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendDefault);

  // Off: the click area becomes the target area and nothing is drawn. On: the click area becomes
  // the picture and the frame for the value is drawn.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IRECT mTargetArea;
};

// An area without a picture that toggles its parameter: a click sets 1.0 when the value is below
// 0.5, else 0.0.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugBase* pPlug, IRECT pR, int paramIdx);

  // Toggles and pushes the value.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Draws nothing.
  bool Draw(IGraphics* pGraphics) override;
};
