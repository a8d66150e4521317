#pragma once
// Reading and writing audio files through libsndfile, with the output published atomically.

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>

#include "tools/kestrune-render/AudioSource.h"

namespace kestrune::render {

// Closes a libsndfile handle when it goes out of scope.
struct SoundFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFileHandle = std::unique_ptr<SNDFILE, SoundFileCloser>;

// An input file opened for reading frames in order.
class SoundFileReader : public AudioSource {
 public:
  // Opens path; returns null and a reason when it is missing or not a readable audio file.
  static std::unique_ptr<SoundFileReader> Open(const std::string& path, std::string& error);

  int Channels() const override { return info_.channels; }
  int SampleRate() const override { return info_.samplerate; }
  // Frames the file says it holds (may be approximate for compressed formats).
  int64_t Frames() const override { return info_.frames; }
  // The libsndfile format word (container, sample type and endianness).
  int Format() const { return info_.format; }

  // Reads up to frames interleaved frames; returns how many were read (0 at the end), -1 on a read
  // error with the reason in error.
  int64_t Read(float* interleaved, int64_t frames, std::string& error) override;
  int64_t Read(double* interleaved, int64_t frames, std::string& error) override;

 private:
  SoundFileReader(SoundFileHandle file, const SF_INFO& info) : file_(std::move(file)), info_(info) {}
  SoundFileHandle file_;
  SF_INFO info_;
};

// The libsndfile format for an output path, judged by its extension: keeps the input's sample type
// (and byte order) when the container allows it, else a sensible default for the container.
// inputFormat 0 means there is no input. Returns 0 and a reason for an unknown extension.
int OutputFormatFor(const std::string& path, int inputFormat, int channels, int sampleRate, std::string& error);

// True when the format stores integers, which clip samples beyond full scale.
bool FormatClipsAtFullScale(int format);

// An output file that is written under a temporary name in the destination's folder and renamed into
// place by Commit(); destroying it uncommitted removes the temporary file, so no partial output remains.
class SoundFileWriter {
 public:
  // Creates the temporary file; returns null and a reason when the folder is not writable or the
  // format cannot hold the given rate and channel count.
  static std::unique_ptr<SoundFileWriter> Create(const std::string& path, int format, int channels, int sampleRate,
                                                 std::string& error);
  ~SoundFileWriter();
  SoundFileWriter(const SoundFileWriter&) = delete;
  SoundFileWriter& operator=(const SoundFileWriter&) = delete;

  // Appends interleaved frames (clipped at full scale for integer formats); returns false and a reason
  // when not all of them could be written.
  bool Write(const float* interleaved, int64_t frames, std::string& error);
  bool Write(const double* interleaved, int64_t frames, std::string& error);

  // Finishes the file and moves it to its final name; returns false and a reason on failure, in which
  // case the temporary file is removed.
  bool Commit(std::string& error);

  // The final name the file takes on Commit().
  const std::string& Path() const { return path_; }

 private:
  SoundFileWriter(SoundFileHandle file, std::string path, std::string temporaryPath);
  SoundFileHandle file_;
  std::string path_;
  std::string temporaryPath_;
  bool finished_ = false;  // closed, and the temporary name either renamed or removed
};

}  // namespace kestrune::render
