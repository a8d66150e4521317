#include "tools/kestrune-render/ResponseJob.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "tools/kestrune-render/FileBytes.h"
#include "tools/kestrune-render/LogSweep.h"
#include "tools/kestrune-render/PluginSetup.h"
#include "tools/kestrune-render/ResponseMeasurement.h"
#include "tools/kestrune-render/ResponsePlot.h"
#include "tools/picture/PngEncoder.h"

namespace kestrune::render {
namespace {

constexpr const char kDot[] = " \xC2\xB7 ";       // a middle dot between items
constexpr const char kDash[] = " \xE2\x80\x94 ";  // an em dash
constexpr const char kMinus[] = "\xE2\x88\x92";

std::string RateText(int sampleRate) {
  char text[32];
  std::snprintf(text, sizeof text, "%g kHz", sampleRate / 1000.0);
  return text;
}

// The line under the picture's title: rate, sweep level and every parameter as the plug-in shows
// it (unnamed ones by their index).
std::string Details(PluginInstance& plugin, const FrequencyResponse& response) {
  char level[32];
  std::snprintf(level, sizeof level, "%s%g dBFS sweep", LogSweep::kLevelDbfs < 0 ? kMinus : "",
                std::fabs(LogSweep::kLevelDbfs));
  std::string details = RateText(response.sampleRate) + kDot + level;
  for (int i = 0; i < plugin.NumParameters(); ++i) {
    const std::string name = plugin.ParameterName(i);
    const std::string label = plugin.ParameterLabel(i);
    details += kDot + (name.empty() ? "#" + std::to_string(i) : name) + " " + plugin.ParameterDisplay(i) +
               (label.empty() ? "" : " " + label);
  }
  return details;
}

}  // namespace

bool WriteResponse(const RenderOptions& options, bool saveProgram, ProgressReporter& progress, std::string& error) {
  // The measurement takes seconds: a file that cannot be written fails it before it starts.
  for (const std::string* path : {&options.responseCsvPath, &options.responsePath}) {
    if (!path->empty() && !CheckWritable(*path, error)) return false;
  }
  const int sampleRate = options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate;
  std::unique_ptr<PluginInstance> plugin = LoadPlugin(options, error);
  if (!plugin) return false;
  const int channels = MeasurementChannels(*plugin, error);
  if (channels == 0) return false;
  plugin->Open(sampleRate, options.blockSize);
  ChannelPlan plan;
  if (!PlanChannels(*plugin, channels, plan, error)) return false;
  if (!ApplySettings(*plugin, options, saveProgram, error)) return false;
  plugin->SetDoublePrecision(options.doublePrecision);

  FrequencyResponse response;
  MeasurementReport report;
  MeasureResponse(*plugin, plan, SettingsFor(options, sampleRate), response, report);
  for (const std::string& warning : report.warnings) progress.Print(stderr, "kestrune-render: warning: " + warning);
  if (report.nonFiniteSamples > 0) {
    progress.Print(stderr, "kestrune-render: warning: the plug-in produced " + std::to_string(report.nonFiniteSamples) +
                               " NaN or infinite samples during the measurement, read as 0");
  }

  std::vector<std::string> written;
  if (!options.responseCsvPath.empty()) {
    const std::string csv = ResponseCsvText(response);
    if (!WriteFileAtomically(options.responseCsvPath, std::vector<uint8_t>(csv.begin(), csv.end()), error)) return false;
    written.push_back(options.responseCsvPath);
  }
  if (!options.responsePath.empty()) {
    const PlotCaption caption{plugin->Identity().name + kDash + "frequency response", Details(*plugin, response)};
    const std::unique_ptr<LICE_IBitmap> picture = DrawResponsePlot(response, caption, error);
    if (!picture) return false;
    const std::vector<uint8_t> png = picture::EncodePng(picture.get());
    if (png.empty()) {
      error = "cannot encode the picture for \"" + options.responsePath + "\"";
      return false;
    }
    if (!WriteFileAtomically(options.responsePath, png, error)) return false;
    written.push_back(options.responsePath);
  }

  std::string line = "Measured the frequency response (" + std::to_string(channels) + (channels == 1 ? " channel" : " channels") +
                     " at " + std::to_string(sampleRate) + " Hz";
  if (report.prerollFrames > 0) {
    char preroll[48];
    std::snprintf(preroll, sizeof preroll, "; pre-roll %.2f s", static_cast<double>(report.prerollFrames) / sampleRate);
    line += preroll;
  }
  if (report.latencyFrames > 0) line += ", latency " + std::to_string(report.latencyFrames) + " frames removed";
  line += ") ->";
  for (size_t i = 0; i < written.size(); ++i) line += (i == 0 ? " " : ", ") + written[i];
  progress.Print(stdout, line);
  return true;
}

}  // namespace kestrune::render
