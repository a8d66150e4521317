#pragma once

#include "graphics/IGraphicsStructs.h"

// How far mouse gestures move the controls that follow them by degrees (knobs, faders).

// Gearing of a knob drag unless the constructor says otherwise: the mouse travels four times the
// knob's height for the whole range.
#define DEFAULT_GEARING 4.0

// True when Control or Shift asks for fine adjustment (a null modifier record asks for none).
inline bool WantsFineAdjust(const IMouseMod* pMod)
{
  return pMod && (pMod->C || pMod->S);
}

// The change of a normalised value for d wheel notches: 0.01 each, 0.001 when fine.
inline double WheelDelta(const IMouseMod* pMod, int d)
{
  return static_cast<double>(d) * (WantsFineAdjust(pMod) ? 0.001 : 0.01);
}
