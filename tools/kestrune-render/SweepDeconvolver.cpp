#include "tools/kestrune-render/SweepDeconvolver.h"

#include <algorithm>
#include <cmath>

namespace kestrune::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Regularisation of the division, relative to the sweep's strongest bin: negligible inside the
// sweep's band (whose weakest bins are a few thousand times weaker), and outside it strong enough
// that noise where the sweep put no energy is not blown up.
constexpr double kInBandFloor = 1e-9;
constexpr double kOutOfBandFloor = 1e-1;
constexpr double kSilentGain = 1e-12;  // -240 dB
// Share of the window's length over which its end fades out.
constexpr double kFadeOutShare = 0.25;

size_t PowerOfTwoAtLeast(int64_t n) {
  size_t size = 2;
  while (static_cast<int64_t>(size) < n) size *= 2;
  return size;
}

int64_t Frames(double seconds, int rate) { return std::llround(seconds * rate); }

}  // namespace

int64_t SweepDeconvolver::FramesToRecord(const LogSweep& sweep, int64_t delayFrames) {
  return sweep.Frames() + delayFrames + Frames(kLengthSeconds, sweep.SampleRate());
}

SweepDeconvolver::SweepDeconvolver(const LogSweep& sweep, int64_t recordedFrames)
    : sampleRate_(sweep.SampleRate()),
      recordedFrames_(recordedFrames),
      leadFrames_(Frames(kLeadSeconds, sampleRate_)),
      // The response to the second harmonic must stay outside the window.
      lengthFrames_(std::min(Frames(kLengthSeconds, sampleRate_),
                             Frames(sweep.HarmonicLeadSeconds(2) - kLeadSeconds, sampleRate_))),
      fft_(PowerOfTwoAtLeast(recordedFrames + leadFrames_)),
      inverse_(fft_.Bins()) {
  const std::vector<double>& samples = sweep.Samples();
  std::copy(samples.begin(), samples.end(), fft_.Samples());
  fft_.Forward();
  const std::complex<double>* spectrum = fft_.Spectrum();
  double strongest = 0.0;
  for (size_t k = 0; k < fft_.Bins(); ++k) strongest = std::max(strongest, std::norm(spectrum[k]));
  const double binHz = static_cast<double>(sampleRate_) / static_cast<double>(fft_.Size());
  for (size_t k = 0; k < fft_.Bins(); ++k) {
    const double hz = static_cast<double>(k) * binHz;
    const bool inBand = hz >= LogSweep::kStartHz && hz <= sweep.EndHz();
    const double floor = strongest * (inBand ? kInBandFloor : kOutOfBandFloor);
    inverse_[k] = std::conj(spectrum[k]) / (std::norm(spectrum[k]) + floor);
  }
}

std::vector<double> SweepDeconvolver::GainsDb(const std::vector<double>& recording, int64_t delayFrames,
                                              const std::vector<double>& frequencies) {
  const size_t size = fft_.Size();
  double* samples = fft_.Samples();
  std::complex<double>* spectrum = fft_.Spectrum();
  const size_t recorded = std::min(recording.size(), static_cast<size_t>(recordedFrames_));
  std::copy(recording.begin(), recording.begin() + static_cast<ptrdiff_t>(recorded), samples);
  std::fill(samples + recorded, samples + size, 0.0);
  fft_.Forward();
  for (size_t k = 0; k < fft_.Bins(); ++k) spectrum[k] *= inverse_[k];
  fft_.Inverse();

  // The window, cut from the impulse response (whose negative times wrap to the end), starts the
  // buffer; the rest is cleared. Moving the response in time changes no magnitude.
  const int64_t windowFrames = leadFrames_ + lengthFrames_;
  const int64_t fadeOutFrames = std::max<int64_t>(1, std::llround(kFadeOutShare * static_cast<double>(lengthFrames_)));
  std::vector<double> window(static_cast<size_t>(windowFrames));
  const int64_t first = delayFrames - leadFrames_;
  for (int64_t i = 0; i < windowFrames; ++i) {
    const int64_t at = ((first + i) % static_cast<int64_t>(size) + static_cast<int64_t>(size)) % static_cast<int64_t>(size);
    double weight = 1.0;
    if (i < leadFrames_) weight = 0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / static_cast<double>(leadFrames_));
    const int64_t fromEnd = windowFrames - 1 - i;
    if (fromEnd < fadeOutFrames) weight *= 0.5 - 0.5 * std::cos(kPi * static_cast<double>(fromEnd) / static_cast<double>(fadeOutFrames));
    window[static_cast<size_t>(i)] = samples[at] * weight;
  }
  std::copy(window.begin(), window.end(), samples);
  std::fill(samples + windowFrames, samples + size, 0.0);
  fft_.Forward();

  // Bins lie a small fraction of a hertz apart: between two, the magnitude is interpolated.
  std::vector<double> gains;
  gains.reserve(frequencies.size());
  const double binsPerHz = static_cast<double>(size) / sampleRate_;
  for (double hz : frequencies) {
    const double position = std::clamp(hz * binsPerHz, 0.0, static_cast<double>(fft_.Bins() - 1));
    const size_t below = std::min(static_cast<size_t>(position), fft_.Bins() - 2);
    const double t = position - static_cast<double>(below);
    const double magnitude = (1.0 - t) * std::abs(spectrum[below]) + t * std::abs(spectrum[below + 1]);
    gains.push_back(20.0 * std::log10(std::max(magnitude, kSilentGain)));
  }
  return gains;
}

}  // namespace kestrune::render
