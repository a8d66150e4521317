#include "tools/kestrune-render/Progress.h"

#include <algorithm>
#include <cmath>

namespace kestrune::render {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kShowAfter = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

std::string Format(const char* format, double a, double b = 0.0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

}  // namespace

ProgressReporter::ProgressReporter(std::FILE* stream, bool isTerminal, int64_t totalFrames, int sampleRate)
    : stream_(stream), enabled_(isTerminal), totalFrames_(totalFrames), sampleRate_(sampleRate), start_(Clock::now()),
      lastDraw_(start_) {}

std::string ProgressReporter::BarText(int64_t framesDone, int64_t totalFrames, int sampleRate) {
  const double seconds = static_cast<double>(framesDone) / sampleRate;
  if (totalFrames <= 0) return Format("rendering... %.1f s", seconds);
  const double fraction = std::min(1.0, static_cast<double>(framesDone) / static_cast<double>(totalFrames));
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string bar = "[" + std::string(static_cast<size_t>(filled), '#') +
                    std::string(static_cast<size_t>(kBarWidth - filled), '.') + "] ";
  return bar + Format("%3.0f%%", fraction * 100.0) +
         Format("  %.1f of %.1f s", seconds, static_cast<double>(totalFrames) / sampleRate);
}

void ProgressReporter::Update(int64_t framesDone) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - start_ < kShowAfter || (drawn_ && now - lastDraw_ < kRedrawEvery)) return;
  std::fprintf(stream_, "\r%s", BarText(framesDone, totalFrames_, sampleRate_).c_str());
  std::fflush(stream_);
  lastDraw_ = now;
  drawn_ = true;
}

void ProgressReporter::Finish() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r\033[K");
  std::fflush(stream_);
  drawn_ = false;
}

std::string PeakText(double peak) {
  if (!(peak > 0.0)) return "-inf dBFS";
  return Format("%.1f dBFS", 20.0 * std::log10(peak));
}

std::string SummaryLine(const RenderSummary& summary, const std::string& outputPath) {
  const double rate = summary.sampleRate;
  const double audioSeconds = static_cast<double>(summary.frames) / rate;
  std::string adjustments;
  auto add = [&adjustments](const std::string& text) { adjustments += (adjustments.empty() ? "; " : ", ") + text; };
  if (summary.prerollFrames > 0) add(Format("pre-roll %.2f s", static_cast<double>(summary.prerollFrames) / rate));
  if (summary.latencyFrames > 0) add("latency " + std::to_string(summary.latencyFrames) + " frames removed");
  if (summary.tailFrames > 0) add(Format("tail %.2f s", static_cast<double>(summary.tailFrames) / rate));
  const std::string factor =
      summary.wallSeconds > 0.0 ? Format("%.1fx real time", audioSeconds / summary.wallSeconds) : "instant";
  return "Rendered " + std::to_string(summary.frames) + " frames (" + Format("%.2f s", audioSeconds) + " at " +
         std::to_string(summary.sampleRate) + " Hz" + adjustments + ") in " + Format("%.2f s", summary.wallSeconds) +
         ", " + factor + ", peak " + PeakText(summary.peak) + " -> " + outputPath;
}

}  // namespace kestrune::render
