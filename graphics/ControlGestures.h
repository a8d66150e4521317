#pragma once

#include "graphics/IGraphicsStructs.h"

// How mouse gestures move the values of controls: the gearing of drags, wheel notches, and the
// values of the positions of controls with a fixed number of them.

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

// The value of position i of n, evenly spread over 0..1 (0 for the only position of a
// one-position control).
inline double PositionValue(int i, int n)
{
  return n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
}
