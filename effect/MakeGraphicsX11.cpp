#include "effect/MakeGraphics.h"

#include <new>

#include "effect/PanelResources.h"
#include "platform/x11/IGraphicsX11.h"

IGraphics* MakeGraphics(IPlugBase* pPlug, int width, int height, int refreshFPS)
{
  IGraphicsX11* pGraphics = new (std::nothrow) IGraphicsX11(pPlug, width, height, refreshFPS);
  if (pGraphics) pGraphics->SetResources(&KestrunePanelResources());
  return pGraphics;
}
