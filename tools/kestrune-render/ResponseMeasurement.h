#pragma once
// Measuring a plug-in's frequency response at its current settings, and the response as numbers.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrune-render/ChannelPlan.h"
#include "tools/kestrune-render/PluginInstance.h"
#include "tools/kestrune-render/Renderer.h"

namespace kestrune::render {

// Frequencies a response is given at: kResponsePointsPerDecade to the decade, from
// kResponseLowestHz up to kResponseHighestHz or highestHz, whichever is lower.
constexpr double kResponseLowestHz = 20.0;
constexpr double kResponseHighestHz = 20000.0;
constexpr int kResponsePointsPerDecade = 160;
std::vector<double> ResponseFrequencies(double highestHz);

// A plug-in's gain per output channel over frequency.
struct FrequencyResponse {
  int sampleRate = 0;
  std::vector<double> frequencies;           // hertz, ascending
  std::vector<std::vector<double>> gainsDb;  // per channel, one gain per frequency
};

// "Left" and "Right" for two channels, "Mono" for one.
std::vector<std::string> ChannelNames(int channels);

// How a measurement went, beside the response.
struct MeasurementReport {
  int64_t prerollFrames = 0;
  int64_t latencyFrames = 0;     // the reported latency the response was aligned for
  int64_t nonFiniteSamples = 0;  // NaN or infinite samples from the effect, read as 0
  std::vector<std::string> warnings;
};

// The channels a measurement feeds and records: two when the effect has at least two inputs and
// two outputs, else one (the sweep then feeds every input and the first output is recorded).
// Returns 0 and a reason when the effect has no audio input or no output.
int MeasurementChannels(const PluginInstance& plugin, std::string& error);

// Resumes the open effect (channels planned, settings applied), settles it on
// settings.prerollFrames of silence, runs a LogSweep through it in blocks of settings.blockSize
// (same signal on every input; double precision when settings.useDouble) and suspends it again;
// the response's gains come from the sweep's deconvolution, aligned for the latency the effect
// reports.
void MeasureResponse(PluginInstance& plugin, const ChannelPlan& plan, const RenderSettings& settings,
                     FrequencyResponse& response, MeasurementReport& report);

// The response as comma-separated values: a header ("frequency_hz" and "<channel>_db" per channel,
// e.g. "frequency_hz,left_db,right_db"), then one line per frequency, hertz to two decimals and
// gains to three.
std::string ResponseCsvText(const FrequencyResponse& response);

}  // namespace kestrune::render
