#include "plugin/IPreset.h"

#include <cstdio>
#include <cstring>

IPreset::IPreset()
{
  SetName(UNUSED_PRESET_NAME);
}

void IPreset::SetName(const char* name)
{
  strncpy(mName, name ? name : "", MAX_PRESET_NAME_LEN - 1);
  mName[MAX_PRESET_NAME_LEN - 1] = 0;
}

IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* pPresets)
{
  const int n = pPresets->GetSize();
  for (int i = 0; i < n; ++i)
  {
    IPreset* pPreset = pPresets->Get(i);
    if (!pPreset->mInitialized) return pPreset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* pPresets, char* buf)
{
  static const char kUserPreset[] = "user preset";
  int count = 0;
  const int n = pPresets->GetSize();
  for (int i = 0; i < n; ++i)
    if (strstr(pPresets->Get(i)->mName, kUserPreset)) ++count;
  snprintf(buf, MAX_PRESET_NAME_LEN, "%s %d", kUserPreset, count + 1);
}
