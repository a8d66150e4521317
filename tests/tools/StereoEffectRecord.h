// The effect record shared by the small stereo test modules: two inputs, two outputs, replacing
// processing in single and double precision, one program.
#pragma once

#include <cstdint>

#include "vst2/VstInterface.h"

inline void FillStereoEffectRecord(AEffect& r, void* object, AEffectDispatcherProc dispatcher,
                                   AEffectSetParameterProc setParameter, AEffectGetParameterProc getParameter,
                                   AEffectProcessProc processFloat, AEffectProcessDoubleProc processDouble,
                                   int32_t numParams, int32_t uniqueID) {
  r.magic = kEffectMagic;
  r.dispatcher = dispatcher;
  r.setParameter = setParameter;
  r.getParameter = getParameter;
  r.processReplacing = processFloat;
  r.processDoubleReplacing = processDouble;
  r.numPrograms = 1;
  r.numParams = numParams;
  r.numInputs = 2;
  r.numOutputs = 2;
  r.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  r.object = object;
  r.uniqueID = uniqueID;
  r.version = 1;
}
