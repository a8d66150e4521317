// What the LV2 tests share: where the built bundle and modules are, Kestrune's port symbols, the
// VST 2 module as the reference the LV2 build must match, and checks on rendered audio.
#pragma once

#include "tests/lv2/LilvHost.h"
#include "tests/vst2/TestHost.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrune_test {

constexpr const char* kKestruneUri = "https://www.orvantic.com/plugins/kestrune";
constexpr const char* kBundlePath = KESTRUNE_LV2_BUNDLE_PATH;

// Parameter indices and the port symbols that carry them.
enum { kOut, kCircuit, kHi, kSpare, kLo, kBypass, kNumParams };
const char* const kSymbols[kNumParams] = {"out", "circuit", "hi", "spare", "lo", "enabled"};

using Channels = std::vector<std::vector<float>>;

// Deterministic stereo noise in -amplitude..amplitude.
inline Channels Noise(int frames, float amplitude, unsigned seed) {
  Channels out(2, std::vector<float>(static_cast<size_t>(frames)));
  unsigned state = seed;
  for (auto& channel : out) {
    for (float& v : channel) {
      state = state * 1664525u + 1013904223u;
      v = amplitude * static_cast<float>((state >> 8) / 8388608.0 - 1.0);
    }
  }
  return out;
}

// Kestrune through its VST 2 module, driven with plain values: the reference for the LV2 build.
class Vst2Kestrune {
 public:
  explicit Vst2Kestrune(float sampleRate) {
    loaded_ = host_.Load(KESTRUNE_MODULE_PATH) && host_.Create();
    if (loaded_) host_.Start(sampleRate, kBlock);
  }
  bool Loaded() const { return loaded_; }
  TestHost& Host() { return host_; }

  // Sets a parameter to exactly this plain value (held to its range by the plug-in).
  void SetPlain(int param, double plain) {
    char text[40];
    snprintf(text, sizeof(text), "%.17g", plain);
    host_.Dispatch(effString2Parameter, param, 0, text);
  }
  // Appends n frames of input from frame `from` on, processed in single precision, to output.
  void Render(const Channels& input, int from, int n, Channels& output) {
    output.resize(2);
    for (int done = 0; done < n;) {
      const int piece = std::min(kBlock, n - done);
      AudioBuffers<float> in(2, piece), out(2, piece);
      for (int c = 0; c < 2; ++c) std::copy_n(input[c].begin() + from + done, piece, in.Channel(c).begin());
      host_.ProcessReplacing(in.Pointers(), out.Pointers(), piece);
      for (int c = 0; c < 2; ++c) output[c].insert(output[c].end(), out.Channel(c).begin(), out.Channel(c).end());
      done += piece;
    }
  }

 private:
  static constexpr int kBlock = 1024;
  TestHost host_;
  bool loaded_ = false;
};

// Appends n frames of input from frame `from` on, run through instance in runs of at most block
// frames, to output.
inline void RenderLv2(Lv2Instance& instance, const Channels& input, int from, int n, int block, Channels& output) {
  output.resize(2);
  Channels in(2), out;
  for (int done = 0; done < n;) {
    const int piece = std::min(block, n - done);
    for (int c = 0; c < 2; ++c) in[c].assign(input[c].begin() + from + done, input[c].begin() + from + done + piece);
    instance.Run(in, out, static_cast<uint32_t>(piece));
    for (int c = 0; c < 2; ++c) output[c].insert(output[c].end(), out[c].begin(), out[c].end());
    done += piece;
  }
}

// Index of the first sample that is NaN, infinite or subnormal, or -1.
inline long FirstUnsoundSample(const Channels& audio) {
  for (const auto& channel : audio) {
    for (size_t i = 0; i < channel.size(); ++i) {
      const int kind = std::fpclassify(channel[i]);
      if (kind == FP_NAN || kind == FP_INFINITE || kind == FP_SUBNORMAL) return static_cast<long>(i);
    }
  }
  return -1;
}

// Runs a shell command; returns its exit status and what it wrote to standard output and error.
struct CommandResult {
  int status = -1;
  std::string output;
};
inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace kestrune_test
