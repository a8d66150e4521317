#include "effect/KestruneEditor.h"

#include <new>

#include "effect/Kestrune.h"
#include "effect/MakeGraphics.h"
#include "effect/PanelLayout.h"
#include "graphics/IGraphics.h"
#include "graphics/IKnobControl.h"
#include "graphics/ISwitchControl.h"
#include "graphics/IURLControl.h"

namespace {

constexpr double kKnobGearing = 4.0;

IBitmap Load(IGraphics* pGraphics, const PanelImage& image)
{
  return pGraphics->LoadIBitmap(image.resourceId, image.name, image.frames);
}

void AttachSwitch(IGraphics* pGraphics, IPlugBase* pPlug, const PanelImage& image, int paramIdx)
{
  IBitmap bitmap = Load(pGraphics, image);
  pGraphics->AttachControl(new (std::nothrow) ISwitchControl(pPlug, image.x, image.y, paramIdx, &bitmap));
}

void AttachKnob(IGraphics* pGraphics, IPlugBase* pPlug, const PanelImage& image, int paramIdx)
{
  IBitmap bitmap = Load(pGraphics, image);
  pGraphics->AttachControl(new (std::nothrow) IKnobMultiControl(pPlug, image.x, image.y, paramIdx, &bitmap,
                                                                kVertical, kKnobGearing));
}

} // namespace

IGraphics* MakeKestruneEditor(IPlugBase* pPlug)
{
  using namespace PanelLayout;
  IGraphics* pGraphics = MakeGraphics(pPlug, kWidth, kHeight, 0);
  if (!pGraphics) return nullptr;

  pGraphics->AttachBackground(kBackground.resourceId, kBackground.name);
  AttachSwitch(pGraphics, pPlug, kBypass, Kestrune::kBypass);
  AttachSwitch(pGraphics, pPlug, kCircuit, Kestrune::kCircuit);
  AttachKnob(pGraphics, pPlug, kOut, Kestrune::kOut);
  AttachKnob(pGraphics, pPlug, kHi, Kestrune::kHi);
  AttachKnob(pGraphics, pPlug, kLo, Kestrune::kLo);
  // The address alone: a browser that cannot be started leaves nothing to say to the user.
  IRECT link(kLinkLeft, kLinkTop, kLinkRight, kLinkBottom);
  pGraphics->AttachControl(new (std::nothrow) IURLControl(pPlug, link, kProductPage));
  return pGraphics;
}
