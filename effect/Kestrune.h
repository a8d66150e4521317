#pragma once

#include "effect/ToneChain.h"
#include "effect/PlugAPI.h"

// The Kestrune tone effect: six parameters (OUT, circuit switch, HI, a spare, LO, bypass) over a
// stereo tone chain of two alternative tone circuits with smoothed knobs. Mono and stereo.
class Kestrune : public IPlug
{
public:
  // Parameter indices, as hosts and stored state know them.
  enum EParams
  {
    kOut = 0,     // output level / drive, 0..1
    kCircuit = 1, // 0: first tone circuit, 1: second (bright) circuit
    kHi = 2,      // high band, 0..1
    kSpare = 3,   // stored and automatable, no effect on the sound
    kLo = 4,      // low band, 0..1
    kBypass = 5,  // 1 passes the input through unchanged
    kNumParams
  };

  // Declares the parameters, builds the editor (VST 2 build; see KestruneEditor.h) and the default
  // program "-". instanceInfo carries the host callback.
  explicit Kestrune(IPlugInstanceInfo instanceInfo);

  // Filter and smoother states survive a reset on purpose: the sound carries on seamlessly.
  void Reset() override;
  // Copies the knob values into the tone chain's targets (HI refreshes LO and OUT as well).
  void OnParamChange(int paramIdx) override;
  // Runs nFrames frames of channels 0 and 1 through the tone chain; nothing for nFrames < 1.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

private:
  ToneChain mChain;
};
