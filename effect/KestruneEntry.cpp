// The module's entry points: the only symbols a host sees.

#include "effect/Kestrune.h"

#include <new>

#define KESTRUNE_EXPORT extern "C" __attribute__((visibility("default")))

KESTRUNE_EXPORT AEffect* VSTPluginMain(audioMasterCallback hostCallback);
// Older hosts look for "main"; C++ reserves that name, so the symbol is given by label.
KESTRUNE_EXPORT AEffect* KestruneMainAlias(audioMasterCallback hostCallback) __asm__("main");

AEffect* VSTPluginMain(audioMasterCallback hostCallback)
{
  // Hosts may create instances from several threads at once; creation is serialised.
  static WDL_Mutex sCreationLock;
  WDL_MutexLock lock(&sCreationLock);

  IPlugInstanceInfo instanceInfo;
  instanceInfo.mVSTHostCallback = hostCallback;
  Kestrune* pPlug = new (std::nothrow) Kestrune(instanceInfo);
  if (!pPlug) return nullptr;
  pPlug->EnsureDefaultPreset();
  AEffect* pEffect = pPlug->GetAEffect();
  if (pEffect->numPrograms < 1) pEffect->numPrograms = 1;
  return pEffect;
}

AEffect* KestruneMainAlias(audioMasterCallback hostCallback)
{
  return VSTPluginMain(hostCallback);
}
