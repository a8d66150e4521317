#pragma once
// From a system's answer to a LogSweep to its gain at chosen frequencies.

#include <complex>
#include <cstdint>
#include <vector>

#include "tools/kestrune-render/LogSweep.h"
#include "tools/kestrune-render/RealFft.h"

namespace kestrune::render {

// Dividing the recording's spectrum by the sweep's (regularised where the sweep has no energy)
// gives the system's impulse response. A window from kLeadSeconds before its start to
// kLengthSeconds after keeps the linear response and leaves out what a non-linear system adds for
// harmonics (which the sweep places earlier) and late noise; the window's spectrum is the gain.
class SweepDeconvolver {
 public:
  static constexpr double kLeadSeconds = 0.15;
  static constexpr double kLengthSeconds = 0.6;

  // Frames to record, from the sweep's first frame on, for a system whose response starts
  // delayFrames late: the sweep, the delay and the window after the response's start.
  static int64_t FramesToRecord(const LogSweep& sweep, int64_t delayFrames);

  // Prepares for recordings of recordedFrames frames (at least the sweep's).
  SweepDeconvolver(const LogSweep& sweep, int64_t recordedFrames);

  // The gain in dB, at each of frequencies (hertz, up to the sweep's end), of the system whose
  // output to the sweep is recording (recordedFrames frames) and whose response starts delayFrames
  // late. A gain below -240 dB (silence) reads as -240.
  std::vector<double> GainsDb(const std::vector<double>& recording, int64_t delayFrames,
                              const std::vector<double>& frequencies);

 private:
  int sampleRate_;
  int64_t recordedFrames_;
  int64_t leadFrames_;
  int64_t lengthFrames_;
  RealFft fft_;
  std::vector<std::complex<double>> inverse_;  // the regularised inverse of the sweep's spectrum
};

}  // namespace kestrune::render
