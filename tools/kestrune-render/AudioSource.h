#pragma once
// Where the frames of a render come from: an input file or the built-in demo.

#include <cstdint>
#include <string>

namespace kestrune::render {

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual int Channels() const = 0;
  virtual int SampleRate() const = 0;
  // Frames expected in total; used for progress only.
  virtual int64_t Frames() const = 0;
  // Reads up to frames interleaved frames; returns how many were read (0 at the end), or -1 and a
  // reason on failure.
  virtual int64_t Read(float* interleaved, int64_t frames, std::string& error) = 0;
  virtual int64_t Read(double* interleaved, int64_t frames, std::string& error) = 0;
};

}  // namespace kestrune::render
