#include "lv2/IPlugLV2Entry.h"

#include "containers/WDL_Mutex.h"
#include "lv2/IPlugLV2UI.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>

static_assert(std::is_standard_layout<IPlugLV2Entry>::value,
              "Instantiate finds the entry at its descriptors' addresses");

namespace {

// Hosts may create instances and editors from several threads at once; creation is serialised.
WDL_Mutex& CreationLock()
{
  static WDL_Mutex sCreationLock;
  return sCreationLock;
}

} // namespace

IPlugLV2Entry::IPlugLV2Entry(const IPlugLV2Description& description, Factory factory)
  : mDescriptor{description.uri,         Instantiate,         IPlugLV2::ConnectPort,
                IPlugLV2::Activate,      IPlugLV2::Run,       IPlugLV2::Deactivate,
                IPlugLV2::Cleanup,       IPlugLV2::ExtensionData}
  , mUIDescriptor{description.uiURI, InstantiateUI, IPlugLV2UI::Cleanup, IPlugLV2UI::PortEvent,
                  IPlugLV2UI::ExtensionData}
  , mDescription(&description)
  , mFactory(factory)
{
}

const LV2UI_Descriptor* IPlugLV2Entry::UIDescriptor() const
{
  return mDescription->uiURI && mDescription->makeEditor ? &mUIDescriptor : nullptr;
}

LV2_Handle IPlugLV2Entry::Instantiate(const LV2_Descriptor* descriptor, double sampleRate,
                                      const char*, const LV2_Feature* const* features)
{
  if (!descriptor || descriptor->instantiate != Instantiate) return nullptr;
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0) return nullptr;
  const IPlugLV2Entry* pEntry = reinterpret_cast<const IPlugLV2Entry*>(descriptor);

  WDL_MutexLock lock(&CreationLock());

  IPlugInstanceInfo instanceInfo;
  instanceInfo.mDescription = pEntry->mDescription;
  instanceInfo.mSampleRate = sampleRate;
  instanceInfo.mFeatures = features;
  IPlugLV2* pPlug = pEntry->mFactory(instanceInfo);
  if (pPlug && !pPlug->FinishInstantiation())
  {
    delete pPlug;
    pPlug = nullptr;
  }
  return pPlug;
}

LV2UI_Handle IPlugLV2Entry::InstantiateUI(const LV2UI_Descriptor* descriptor, const char* pluginURI,
                                          const char*, LV2UI_Write_Function writeFunction,
                                          LV2UI_Controller controller, LV2UI_Widget* pWidget,
                                          const LV2_Feature* const* features)
{
  if (!descriptor || descriptor->instantiate != InstantiateUI) return nullptr;
  const IPlugLV2Entry* pEntry = reinterpret_cast<const IPlugLV2Entry*>(
    reinterpret_cast<const char*>(descriptor) - offsetof(IPlugLV2Entry, mUIDescriptor));
  if (!pluginURI || strcmp(pluginURI, pEntry->mDescription->uri)) return nullptr;

  WDL_MutexLock lock(&CreationLock());
  return IPlugLV2UI::Create(*pEntry->mDescription, pEntry->mFactory, writeFunction, controller, pWidget,
                            features);
}
