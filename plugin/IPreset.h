#pragma once

#include "containers/WDL_PtrList.h"
#include "plugin/ByteChunk.h"

// Longest preset name, terminator included.
#define MAX_PRESET_NAME_LEN 257
// Name of a slot that holds no state yet.
#define UNUSED_PRESET_NAME "empty"
// Name given to slots filled with the initial state.
#define DEFAULT_PRESET_NAME "Empty"

// One preset slot: a name and the state captured by the plug-in's SerializeState (no header).
struct IPreset
{
  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN];
  ByteChunk mChunk;

  // An uninitialised slot named "empty".
  IPreset();

  // Copies name, cut to MAX_PRESET_NAME_LEN - 1 characters (null counts as empty).
  void SetName(const char* name);
};

// The first uninitialised slot, or null when every slot holds a state.
IPreset* GetNextUninitializedPreset(WDL_PtrList<IPreset>* pPresets);

// Writes "user preset N" into buf (MAX_PRESET_NAME_LEN bytes), N being one more than the number of
// slots whose name contains "user preset".
void MakeDefaultUserPresetName(WDL_PtrList<IPreset>* pPresets, char* buf);
