#pragma once
// What the user sees while and after rendering: a progress bar and a one-line summary.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kestrune::render {

// Draws a progress bar on a terminal stream, only once a render has taken more than a second, and
// redraws it at most ten times a second. Does nothing when the stream is not a terminal.
class ProgressReporter {
 public:
  // totalFrames may be 0 when unknown; the bar then shows seconds rendered only.
  ProgressReporter(std::FILE* stream, bool isTerminal, int64_t totalFrames, int sampleRate);
  // Reports frames done so far.
  void Update(int64_t framesDone);
  // Removes the bar, if one was drawn, so the summary starts on a clean line.
  void Finish();
  // The text of the bar for a state; exposed for tests.
  static std::string BarText(int64_t framesDone, int64_t totalFrames, int sampleRate);

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* stream_;
  bool enabled_;
  int64_t totalFrames_;
  int sampleRate_;
  Clock::time_point start_;
  Clock::time_point lastDraw_;
  bool drawn_ = false;
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
