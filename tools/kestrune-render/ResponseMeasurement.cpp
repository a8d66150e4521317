#include "tools/kestrune-render/ResponseMeasurement.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "tools/kestrune-render/LogSweep.h"
#include "tools/kestrune-render/PluginSession.h"
#include "tools/kestrune-render/SweepDeconvolver.h"

namespace kestrune::render {
namespace {

// What came out of the effect, one vector per recorded channel.
struct Recording {
  std::vector<std::vector<double>> channels;
  int64_t delayFrames = 0;
};

template <typename Sample>
Recording Record(PluginInstance& plugin, const ChannelPlan& plan, const RenderSettings& settings,
                 const LogSweep& sweep, MeasurementReport& report) {
  PluginSession<Sample> session(plugin, plan, settings.blockSize);
  session.Start(settings.prerollFrames);
  Recording recording;
  const int64_t reported = session.Latency();
  if (reported > std::llround(kLongestLatencySeconds * sweep.SampleRate())) {
    report.warnings.push_back("the plug-in reports a latency of " + std::to_string(reported) +
                              " frames, which is not believable; the response is measured as if it had none");
  } else {
    recording.delayFrames = reported;
  }
  const int64_t frames = SweepDeconvolver::FramesToRecord(sweep, recording.delayFrames);
  const size_t channels = static_cast<size_t>(plan.fileChannels);
  recording.channels.assign(channels, std::vector<double>(static_cast<size_t>(frames)));

  const std::vector<double>& excitation = sweep.Samples();
  std::vector<Sample> in(static_cast<size_t>(settings.blockSize) * channels);
  std::vector<Sample> out(in.size());
  for (int64_t start = 0; start < frames; start += settings.blockSize) {
    const int n = static_cast<int>(std::min<int64_t>(settings.blockSize, frames - start));
    for (int f = 0; f < n; ++f) {
      const int64_t at = start + f;
      const Sample v = at < sweep.Frames() ? static_cast<Sample>(excitation[static_cast<size_t>(at)]) : Sample(0);
      std::fill_n(in.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(f) * channels), channels, v);
    }
    session.Process(in.data(), out.data(), n);
    for (int f = 0; f < n; ++f) {
      for (size_t c = 0; c < channels; ++c) {
        double v = out[static_cast<size_t>(f) * channels + c];
        if (!std::isfinite(v)) {
          v = 0.0;
          ++report.nonFiniteSamples;
        }
        recording.channels[c][static_cast<size_t>(start + f)] = v;
      }
    }
  }
  if (session.Latency() != reported) {
    report.warnings.push_back("the plug-in changed its latency from " + std::to_string(reported) + " to " +
                              std::to_string(session.Latency()) +
                              " frames during the measurement; the response is aligned for the first");
  }
  report.prerollFrames = settings.prerollFrames;
  report.latencyFrames = recording.delayFrames;
  return recording;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::vector<double> ResponseFrequencies(double highestHz) {
  const double top = std::min(kResponseHighestHz, highestHz);
  std::vector<double> frequencies;
  if (top < kResponseLowestHz) return frequencies;
  const int last = static_cast<int>(std::floor(kResponsePointsPerDecade * std::log10(top / kResponseLowestHz) + 1e-9));
  for (int i = 0; i <= last; ++i) {
    frequencies.push_back(kResponseLowestHz * std::pow(10.0, static_cast<double>(i) / kResponsePointsPerDecade));
  }
  return frequencies;
}

std::vector<std::string> ChannelNames(int channels) {
  if (channels == 1) return {"Mono"};
  return {"Left", "Right"};
}

int MeasurementChannels(const PluginInstance& plugin, std::string& error) {
  const AEffect* effect = plugin.Effect();
  if (effect->numInputs < 1) {
    error = "the plug-in has no audio inputs, so it has no frequency response to measure";
    return 0;
  }
  if (effect->numOutputs < 1) {
    error = "the plug-in has no audio outputs, so it has no frequency response to measure";
    return 0;
  }
  return effect->numInputs >= 2 && effect->numOutputs >= 2 ? 2 : 1;
}

void MeasureResponse(PluginInstance& plugin, const ChannelPlan& plan, const RenderSettings& settings,
                     FrequencyResponse& response, MeasurementReport& report) {
  report = MeasurementReport{};
  const int sampleRate = static_cast<int>(std::lround(plugin.SampleRate()));
  const LogSweep sweep(sampleRate);
  const Recording recording = settings.useDouble ? Record<double>(plugin, plan, settings, sweep, report)
                                                 : Record<float>(plugin, plan, settings, sweep, report);
  response = FrequencyResponse{};
  response.sampleRate = sampleRate;
  response.frequencies = ResponseFrequencies(sweep.EndHz());
  SweepDeconvolver deconvolver(sweep, static_cast<int64_t>(recording.channels.front().size()));
  for (const std::vector<double>& channel : recording.channels) {
    response.gainsDb.push_back(deconvolver.GainsDb(channel, recording.delayFrames, response.frequencies));
  }
}

std::string ResponseCsvText(const FrequencyResponse& response) {
  std::string text = "frequency_hz";
  for (const std::string& name : ChannelNames(static_cast<int>(response.gainsDb.size()))) {
    text += "," + Lowercase(name) + "_db";
  }
  text += "\n";
  char field[32];
  for (size_t i = 0; i < response.frequencies.size(); ++i) {
    std::snprintf(field, sizeof field, "%.2f", response.frequencies[i]);
    text += field;
    for (const std::vector<double>& gains : response.gainsDb) {
      std::snprintf(field, sizeof field, ",%.3f", gains[i]);
      text += field;
    }
    text += "\n";
  }
  return text;
}

}  // namespace kestrune::render
