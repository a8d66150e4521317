#pragma once

#include "lv2/IPlugLV2.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

// The module's one plug-in as LV2 hosts find it: the descriptors that lv2_descriptor and
// lv2ui_descriptor return, together with the effect's description and its factory. A module
// defines one, statically, and returns Descriptor() and UIDescriptor() for index 0.
class IPlugLV2Entry
{
public:
  // Makes a new effect instance from the instance information; null when that fails.
  using Factory = IPlugLV2* (*)(const IPlugInstanceInfo& instanceInfo);

  IPlugLV2Entry(const IPlugLV2Description& description, Factory factory);

  IPlugLV2Entry(const IPlugLV2Entry&) = delete;
  IPlugLV2Entry& operator=(const IPlugLV2Entry&) = delete;

  const LV2_Descriptor* Descriptor() const { return &mDescriptor; }
  // The editor's descriptor (see IPlugLV2UI); null when the description publishes no editor.
  const LV2UI_Descriptor* UIDescriptor() const;

private:
  // Creates one instance under the module-wide creation lock. Null for a sample rate that is not a
  // positive finite number, a descriptor that is not an entry's, or a failed construction.
  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate,
                                const char* bundlePath, const LV2_Feature* const* features);
  // Creates one editor (IPlugLV2UI::Create) for the entry's plug-in; null for another plug-in URI
  // or a descriptor that is not an entry's.
  static LV2UI_Handle InstantiateUI(const LV2UI_Descriptor* descriptor, const char* pluginURI,
                                    const char* bundlePath, LV2UI_Write_Function writeFunction,
                                    LV2UI_Controller controller, LV2UI_Widget* pWidget,
                                    const LV2_Feature* const* features);

  // First member: the host hands this address back to Instantiate.
  LV2_Descriptor mDescriptor;
  LV2UI_Descriptor mUIDescriptor;
  const IPlugLV2Description* mDescription;
  Factory mFactory;
};
