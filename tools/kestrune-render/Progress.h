#pragma once
// What the user sees while and after rendering: a progress bar and a one-line summary.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace kestrune::render {

// A progress bar over everything a run renders, on a terminal stream: drawn only once rendering
// has taken more than a second, redrawn at most ten times a second. Jobs on any thread report to
// it, and print their lines through it so that no line is torn by the bar. Does nothing when the
// stream is not a terminal.
class ProgressReporter {
 public:
  // totalSeconds: the audio all files are expected to give, or 0 when unknown (the bar then shows
  // the seconds rendered only); files: how many there are.
  ProgressReporter(std::FILE* stream, bool isTerminal, double totalSeconds, int files);
  ProgressReporter(const ProgressReporter&) = delete;
  ProgressReporter& operator=(const ProgressReporter&) = delete;

  // Adds seconds of audio rendered, by any file.
  void Advance(double seconds);
  // Counts one more file as finished, rendered or not.
  void FileDone();
  // Writes line and a line feed to out, after clearing the bar from the terminal.
  void Print(std::FILE* out, const std::string& line);
  // Removes the bar, if one was drawn, so what follows starts on a clean line.
  void Finish();
  // The text of the bar for a state; exposed for tests.
  static std::string BarText(double secondsDone, double totalSeconds, int filesDone, int files);

 private:
  using Clock = std::chrono::steady_clock;
  void ClearBar();

  std::mutex lock_;
  std::FILE* stream_;
  bool enabled_;
  double totalSeconds_;
  int files_;
  double secondsDone_ = 0.0;
  int filesDone_ = 0;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool drawn_ = false;
};

// One file's share of a ProgressReporter, reported in frames of its output.
class FileProgress {
 public:
  FileProgress(ProgressReporter& reporter, int sampleRate) : reporter_(reporter), sampleRate_(sampleRate) {}
  // Reports the frames written so far.
  void Update(int64_t framesDone);

 private:
  ProgressReporter& reporter_;
  int sampleRate_;
  int64_t reported_ = 0;
};

// Peak of a render in dBFS (20·log10 of the largest absolute sample); "-inf" for silence.
std::string PeakText(double peak);

// What a finished render reports on its summary line.
struct RenderSummary {
  int64_t frames = 0;         // frames written
  int sampleRate = 0;
  int64_t prerollFrames = 0;  // silence run through the effect before the input and discarded
  int64_t latencyFrames = 0;  // leading output frames dropped to undo the effect's latency
  int64_t tailFrames = 0;     // frames written after the input's last one
  double wallSeconds = 0.0;
  double peak = 0.0;          // largest absolute sample written
};

// The one-line summary: frames, audio seconds, the pre-roll, latency and tail when they are not 0,
// wall time, real-time factor (audio written per wall second) and output peak.
std::string SummaryLine(const RenderSummary& summary, const std::string& outputPath);

}  // namespace kestrune::render
