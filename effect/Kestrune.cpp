#include "effect/Kestrune.h"

#if !defined(KESTRUNE_LV2)
#include "effect/KestruneEditor.h"
#endif

namespace {

constexpr int kNumPrograms = 1;
constexpr int kVersion = 0x10000;

constexpr int FourCC(char a, char b, char c, char d)
{
  return (a << 24) | (b << 16) | (c << 8) | d;
}

// Switch positions are 0 and 1; whatever is not at least 1 reads as the first position, so no
// stored or automated value can make the conversion to an integer undefined.
int SwitchPosition(double plain)
{
  return plain >= 1.0 ? 1 : 0;
}

} // namespace

Kestrune::Kestrune(IPlugInstanceInfo instanceInfo)
  : IPlug(instanceInfo, kNumParams, "1-1 2-2", kNumPrograms, "Kestrune", "", "Orvantic", kVersion,
          FourCC('K', 's', 't', '1'), FourCC('O', 'r', 'v', 't'), 0, false, false, false)
{
  GetParam(kBypass)->InitInt("Bypass", 0, 0, 1, "", "");
  GetParam(kOut)->InitDouble("OUT", 0.5, 0., 1., 0.01, "", "", 1.);
  GetParam(kOut)->SetShape(1.);
  GetParam(kHi)->InitDouble("HI", 0.5, 0., 1., 0.01, "", "", 1.);
  GetParam(kHi)->SetShape(2.);
  GetParam(kLo)->InitDouble("LO", 0.5, 0., 1., 0.01, "", "", 1.);
  GetParam(kLo)->SetShape(2.);

#if !defined(KESTRUNE_LV2)
  // The panel is built for every instance, window or not; LV2 hosts get the parameters only.
  AttachGraphics(MakeKestruneEditor(this));
#endif

  MakeDefaultPreset("-", kNumPrograms);
  // A host that processes before opening the effect still hears the declared defaults.
  OnParamReset();
}

void Kestrune::Reset()
{
  WDL_MutexLock lock(GetMutex());
}

void Kestrune::OnParamChange(int paramIdx)
{
  WDL_MutexLock lock(GetMutex());
  switch (paramIdx)
  {
    case kHi:
      mChain.SetHiTarget(GetParam(kHi)->Value());
      [[fallthrough]];
    case kLo:
      mChain.SetLoTarget(GetParam(kLo)->Value());
      [[fallthrough]];
    case kOut:
      mChain.SetOutTarget(GetParam(kOut)->Value());
      break;
    default:
      break;
  }
}

void Kestrune::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames < 1) return;
  mChain.Process(inputs[0], inputs[1], outputs[0], outputs[1], nFrames, GetSampleRate(),
                 SwitchPosition(GetParam(kCircuit)->Value()),
                 SwitchPosition(GetParam(kBypass)->Value()));
}
