#pragma once

class IGraphics;
class IPlugBase;

// Kestrune's panel (PanelLayout.h): the background, the bypass and circuit switches, the OUT, HI
// and LO filmstrip knobs (vertical drags, gearing 4) and the invisible link to the product page in
// the bottom right corner, on a graphics object from MakeGraphics. The caller attaches the result
// to pPlug, which must be a Kestrune. Null when no graphics object can be made.
IGraphics* MakeKestruneEditor(IPlugBase* pPlug);
