// The LV2 module's entry points, and what Kestrune publishes to LV2 hosts beyond its parameters:
// among it the panel, built for the LV2 editor's own object of the effect.

#include "effect/Kestrune.h"
#include "effect/KestruneEditor.h"
#include "lv2/IPlugLV2Entry.h"

#include <new>

namespace {

const char* const kCircuitPositions[] = {"Plain", "Bright", nullptr};

const IPlugLV2Port kPorts[Kestrune::kNumParams] = {
  {"out", nullptr, IPlugLV2Port::kPlain, nullptr, "Output level, and drive into the saturation"},
  {"circuit", "Circuit", IPlugLV2Port::kEnumeration, kCircuitPositions,
   "Plain fifth-order circuit, or the bright sixth-order one whose treble stays up as the level goes down"},
  {"hi", nullptr, IPlugLV2Port::kPlain, nullptr, "High band"},
  {"spare", "Spare", IPlugLV2Port::kInert, nullptr,
   "Kept with the settings for compatibility; it does not affect the sound"},
  {"lo", nullptr, IPlugLV2Port::kPlain, nullptr, "Low band"},
  {"enabled", "Enabled", IPlugLV2Port::kEnabled, nullptr,
   "Off passes the input through unchanged"},
};

const IPlugLV2Description kDescription = {"https://www.orvantic.com/plugins/kestrune",
                                          LV2_CORE__EQPlugin, kPorts,
                                          "https://www.orvantic.com/plugins/kestrune#ui", MakeKestruneEditor};

IPlugLV2* CreateKestrune(const IPlugInstanceInfo& instanceInfo)
{
  return new (std::nothrow) Kestrune(instanceInfo);
}

const IPlugLV2Entry& Entry()
{
  static const IPlugLV2Entry sEntry(kDescription, CreateKestrune);
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
