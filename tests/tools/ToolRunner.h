#pragma once
// Runs the built kestrune-render in a scratch folder and reads back what it wrote.

#include <sndfile.h>

#include <string>
#include <vector>

namespace kestrune_test {

struct ToolResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// A scratch folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

// Runs the tool with args (no shell), with the working folder cwd and extra environment entries
// ("NAME=VALUE", each replacing an inherited entry of that name).
ToolResult RunTool(const std::vector<std::string>& args, const std::string& cwd,
                   const std::vector<std::string>& extraEnvironment = {});

// Interleaved audio with its shape, for writing inputs and reading outputs.
struct Audio {
  int channels = 0;
  int sampleRate = 0;
  int format = 0;
  std::vector<double> samples;  // interleaved
  long Frames() const { return channels == 0 ? 0 : static_cast<long>(samples.size()) / channels; }
  double At(long frame, int channel) const { return samples[static_cast<size_t>(frame * channels + channel)]; }
};

// A deterministic test signal: two sines and a little noise, different on each channel, below 0.6.
Audio TestSignal(int channels, long frames, int sampleRate, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT);
bool WriteAudio(const std::string& path, const Audio& audio);
bool ReadAudio(const std::string& path, Audio& audio);

// Whole-file helpers for preset files.
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace kestrune_test
