#include "tools/kestrune-render/FileRender.h"

#include <memory>

#include "tools/kestrune-render/DemoSignal.h"
#include "tools/kestrune-render/PluginSetup.h"
#include "tools/kestrune-render/Renderer.h"
#include "tools/kestrune-render/SoundFile.h"

namespace kestrune::render {
namespace {

int DemoRate(const RenderOptions& options) { return options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate; }

// The job's frames: the demo, or the input file once it is known to be renderable.
std::unique_ptr<AudioSource> OpenSource(const RenderJob& job, const RenderOptions& options, int& format,
                                        std::string& error) {
  format = 0;
  if (job.inputPath.empty()) return std::make_unique<DemoSignal>(DemoRate(options));
  std::unique_ptr<SoundFileReader> reader = SoundFileReader::Open(job.inputPath, error);
  if (!reader) return nullptr;
  if (reader->Channels() != 1 && reader->Channels() != 2) {
    error = "\"" + job.inputPath + "\" has " + std::to_string(reader->Channels()) +
            " channels; only mono and stereo files can be rendered";
    return nullptr;
  }
  if (options.sampleRate != 0 && options.sampleRate != reader->SampleRate()) {
    error = "--rate " + std::to_string(options.sampleRate) + " differs from the rate of \"" + job.inputPath + "\", " +
            std::to_string(reader->SampleRate()) + " Hz, and kestrune-render does not resample";
    return nullptr;
  }
  format = reader->Format();
  return reader;
}

}  // namespace

double InputSeconds(const RenderJob& job) {
  if (job.inputPath.empty()) return DemoSignal::kPluckSeconds + DemoSignal::kSweepSeconds;
  std::string ignored;
  const std::unique_ptr<SoundFileReader> reader = SoundFileReader::Open(job.inputPath, ignored);
  if (!reader || reader->SampleRate() <= 0) return 0.0;
  return static_cast<double>(reader->Frames()) / reader->SampleRate();
}

bool RenderFile(const RenderJob& job, const RenderOptions& options, bool saveProgram, const std::string& label,
                ProgressReporter& progress, std::string& error) {
  int inputFormat = 0;
  std::unique_ptr<AudioSource> source = OpenSource(job, options, inputFormat, error);
  if (!source) return false;
  const int sampleRate = source->SampleRate();

  std::unique_ptr<PluginInstance> plugin = LoadPlugin(options, error);
  if (!plugin) return false;
  plugin->Open(sampleRate, options.blockSize);
  ChannelPlan plan;
  if (!PlanChannels(*plugin, source->Channels(), plan, error)) return false;
  if (!ApplySettings(*plugin, options, saveProgram, error)) return false;

  const int format = OutputFormatFor(job.outputPath, inputFormat, source->Channels(), sampleRate, error);
  if (format == 0) return false;
  std::unique_ptr<SoundFileWriter> sink =
      SoundFileWriter::Create(job.outputPath, format, source->Channels(), sampleRate, error);
  if (!sink) return false;

  plugin->SetDoublePrecision(options.doublePrecision);
  FileProgress fileProgress(progress, sampleRate);
  RenderResult result;
  if (!Render(*plugin, plan, *source, *sink, SettingsFor(options, sampleRate), fileProgress, result, error) ||
      !sink->Commit(error)) {
    return false;
  }
  const std::string prefix = "kestrune-render: warning: " + (label.empty() ? "" : label + ": ");
  for (const std::string& warning : result.warnings) progress.Print(stderr, prefix + warning);
  if (result.nonFiniteSamples > 0) {
    progress.Print(stderr, prefix + "the plug-in produced " + std::to_string(result.nonFiniteSamples) +
                               " NaN or infinite samples, written as 0");
  }
  if (result.summary.peak > 1.0 && FormatClipsAtFullScale(format)) {
    progress.Print(stderr, prefix + "the output peaks at " + PeakText(result.summary.peak) +
                               " and was clipped at full scale in \"" + job.outputPath + "\"");
  }
  progress.Print(stdout, SummaryLine(result.summary, job.outputPath));
  return true;
}

}  // namespace kestrune::render
