#include "lv2/IPlugLV2Entry.h"

#include "containers/WDL_Mutex.h"

#include <cmath>
#include <cstddef>
#include <type_traits>

static_assert(std::is_standard_layout<IPlugLV2Entry>::value,
              "Instantiate finds the entry at its descriptor's address");

IPlugLV2Entry::IPlugLV2Entry(const IPlugLV2Description& description, Factory factory)
  : mDescriptor{description.uri,         Instantiate,         IPlugLV2::ConnectPort,
                IPlugLV2::Activate,      IPlugLV2::Run,       IPlugLV2::Deactivate,
                IPlugLV2::Cleanup,       IPlugLV2::ExtensionData}
  , mDescription(&description)
  , mFactory(factory)
{
}

LV2_Handle IPlugLV2Entry::Instantiate(const LV2_Descriptor* descriptor, double sampleRate,
                                      const char*, const LV2_Feature* const* features)
{
  if (!descriptor || descriptor->instantiate != Instantiate) return nullptr;
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0) return nullptr;
  const IPlugLV2Entry* pEntry = reinterpret_cast<const IPlugLV2Entry*>(descriptor);

  // Hosts may create instances from several threads at once; creation is serialised.
  static WDL_Mutex sCreationLock;
  WDL_MutexLock lock(&sCreationLock);

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
