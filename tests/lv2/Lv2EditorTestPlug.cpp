// An LV2 test plug-in with an editor of flat colours (no images): a level bar on parameter 0 that
// follows vertical drags, and a switch on parameter 1, published as the host's enable switch.
// Built as its own module, exporting lv2_descriptor and lv2ui_descriptor like Kestrune's.

#include "graphics/IControl.h"
#include "lv2/IPlugLV2Entry.h"
#include "platform/x11/IGraphicsX11.h"
#include "tests/lv2/Lv2EditorTestPlug.h"

#include <new>

namespace {

using namespace lv2_editor_test;

// Filled with kOnColor at value 1, kOffColor at 0; a press flips it.
class FlatSwitch : public IControl
{
public:
  FlatSwitch(IPlugBase* pPlug, IRECT r, int paramIdx) : IControl(pPlug, r, paramIdx) {}
  bool Draw(IGraphics* pGraphics) override
  {
    const IColor color = mValue > 0.5 ? kOnColor : kOffColor;
    return pGraphics->FillIRect(&color, &mRECT);
  }
  void OnMouseDown(int, int, IMouseMod*) override
  {
    mValue = mValue > 0.5 ? 0.0 : 1.0;
    SetDirty(true);
  }
};

// kBarColor from the bottom up to the value's height, kOffColor above; dragging up raises it by
// one kBarH-th per pixel.
class LevelBar : public IControl
{
public:
  LevelBar(IPlugBase* pPlug, IRECT r, int paramIdx) : IControl(pPlug, r, paramIdx) {}
  bool Draw(IGraphics* pGraphics) override
  {
    IRECT empty = mRECT, filled = mRECT;
    filled.T = empty.B = mRECT.B - static_cast<int>(mValue * mRECT.H() + 0.5);
    return pGraphics->FillIRect(&kOffColor, &empty) && pGraphics->FillIRect(&kBarColor, &filled);
  }
  void OnMouseDrag(int, int, int, int dY, IMouseMod*) override
  {
    mValue -= static_cast<double>(dY) / mRECT.H();
    SetDirty(true);
  }
};

class EditorTestPlug : public IPlugLV2
{
public:
  explicit EditorTestPlug(const IPlugInstanceInfo& info)
    : IPlugLV2(info, kNumParams, "2-2", 1, "EditorTest", "", "Orvantic", 0x10000, 0x4c566574, 0x4f727674)
  {
    GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
    GetParam(kBypass)->InitInt("Bypass", 0, 0, 1);
    MakeDefaultPreset("-", 1);
  }
};

IGraphics* MakeEditor(IPlugBase* pPlug)
{
  IGraphicsX11* pGraphics = new IGraphicsX11(pPlug, kWidth, kHeight);
  pGraphics->AttachPanelBackground(&kBackgroundColor);
  pGraphics->AttachControl(new FlatSwitch(pPlug, IRECT(kSwitchX, kSwitchY, kSwitchX + kSwitchW, kSwitchY + kSwitchH), kBypass));
  pGraphics->AttachControl(new LevelBar(pPlug, IRECT(kBarX, kBarY, kBarX + kBarW, kBarY + kBarH), kLevel));
  return pGraphics;
}

const IPlugLV2Port kPorts[kNumParams] = {
  {"level", nullptr, IPlugLV2Port::kPlain, nullptr, nullptr},
  {"enabled", "Enabled", IPlugLV2Port::kEnabled, nullptr, nullptr},
};

const IPlugLV2Description kDescription = {kPluginUri, nullptr, kPorts, kUiUri, MakeEditor};

IPlugLV2* Create(const IPlugInstanceInfo& info)
{
  return new (std::nothrow) EditorTestPlug(info);
}

const IPlugLV2Entry& Entry()
{
  static const IPlugLV2Entry sEntry(kDescription, Create);
  return sEntry;
}

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  return index == 0 ? Entry().Descriptor() : nullptr;
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  return index == 0 ? Entry().UIDescriptor() : nullptr;
}
