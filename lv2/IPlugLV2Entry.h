#pragma once

#include "lv2/IPlugLV2.h"

#include <lv2/core/lv2.h>

// The module's one plug-in as LV2 hosts find it: the descriptor that lv2_descriptor returns,
// together with the effect's description and its factory. A module defines one, statically, and
// returns Descriptor() for index 0.
class IPlugLV2Entry
{
public:
  // Makes a new effect instance from the instance information; null when that fails.
  using Factory = IPlugLV2* (*)(const IPlugInstanceInfo& instanceInfo);

  IPlugLV2Entry(const IPlugLV2Description& description, Factory factory);

  IPlugLV2Entry(const IPlugLV2Entry&) = delete;
  IPlugLV2Entry& operator=(const IPlugLV2Entry&) = delete;

  const LV2_Descriptor* Descriptor() const { return &mDescriptor; }

private:
  // Creates one instance under the module-wide creation lock. Null for a sample rate that is not a
  // positive finite number, a descriptor that is not an entry's, or a failed construction.
  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate,
                                const char* bundlePath, const LV2_Feature* const* features);

  // First member: the host hands this address back to Instantiate.
  LV2_Descriptor mDescriptor;
  const IPlugLV2Description* mDescription;
  Factory mFactory;
};
