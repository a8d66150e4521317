// kestrune-render: renders an audio file (or the built-in demo) offline through a VST 2 plug-in.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "tools/kestrune-render/CommandLine.h"
#include "tools/kestrune-render/DemoSignal.h"
#include "tools/kestrune-render/ParameterAssignments.h"
#include "tools/kestrune-render/PluginInstance.h"
#include "tools/kestrune-render/PluginListing.h"
#include "tools/kestrune-render/ProgramTransfer.h"
#include "tools/kestrune-render/Progress.h"
#include "tools/kestrune-render/Renderer.h"
#include "tools/kestrune-render/SoundFile.h"

using namespace kestrune::render;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message) {
  std::fprintf(stderr, "kestrune-render: error: %s\n", message.c_str());
  return kExitFailure;
}

// Everything between loading the effect and rendering: programs, banks, --set and --save-program,
// in that order, so a saved program holds every setting given on the command line.
bool ApplySettings(PluginInstance& plugin, const RenderOptions& options, std::string& error) {
  if (!options.programPath.empty() && !LoadProgramFile(plugin, options.programPath, error)) return false;
  if (!options.bankPath.empty() && !LoadBankFile(plugin, options.bankPath, error)) return false;
  for (const ParameterAssignment& assignment : options.assignments) {
    if (!ApplyAssignment(plugin, assignment, error)) return false;
  }
  return options.saveProgramPath.empty() || SaveProgramFile(plugin, options.saveProgramPath, error);
}

RenderSettings SettingsFor(const RenderOptions& options, int sampleRate) {
  RenderSettings settings;
  settings.blockSize = options.blockSize;
  settings.useDouble = options.doublePrecision;
  settings.prerollFrames = std::llround(options.prerollSeconds * sampleRate);
  settings.compensateLatency = options.compensateLatency;
  settings.tailMode = options.tailMode;
  settings.tailFrames = std::llround(options.tailSeconds * sampleRate);
  return settings;
}

int Run(const RenderOptions& options) {
  std::string error;
  std::unique_ptr<AudioSource> source;
  int inputFormat = 0;
  int sampleRate = options.sampleRate != 0 ? options.sampleRate : kDefaultDemoRate;
  if (!options.listOnly) {
    if (options.inputPath.empty()) {
      source = std::make_unique<DemoSignal>(sampleRate);
    } else {
      std::unique_ptr<SoundFileReader> reader = SoundFileReader::Open(options.inputPath, error);
      if (!reader) return Fail(error);
      if (reader->Channels() != 1 && reader->Channels() != 2) {
        return Fail("\"" + options.inputPath + "\" has " + std::to_string(reader->Channels()) +
                    " channels; only mono and stereo files can be rendered");
      }
      if (options.sampleRate != 0 && options.sampleRate != reader->SampleRate()) {
        return Fail("--rate " + std::to_string(options.sampleRate) + " differs from the input's rate of " +
                    std::to_string(reader->SampleRate()) + " Hz, and kestrune-render does not resample");
      }
      sampleRate = reader->SampleRate();
      inputFormat = reader->Format();
      source = std::move(reader);
    }
  }

  const std::string pluginPath = options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath;
  std::unique_ptr<PluginInstance> plugin = PluginInstance::Load(pluginPath, error);
  if (!plugin) return Fail(error);
  if (options.doublePrecision && (!plugin->HasFlag(effFlagsCanDoubleReplacing) ||
                                  plugin->Effect()->processDoubleReplacing == nullptr)) {
    return Fail("--double: the plug-in cannot process double precision");
  }
  plugin->Open(sampleRate, options.blockSize);

  ChannelPlan plan;
  if (source && !PlanChannels(*plugin, source->Channels(), plan, error)) return Fail(error);
  if (!ApplySettings(*plugin, options, error)) return Fail(error);
  if (options.listOnly) {
    plugin->Resume();  // effects may settle their latency only now
    std::fputs(DescribePlugin(*plugin).c_str(), stdout);
    return 0;
  }

  const std::string outputPath = options.outputPath.empty() ? DefaultOutputPath(options.inputPath) : options.outputPath;
  const int format = OutputFormatFor(outputPath, inputFormat, source->Channels(), sampleRate, error);
  if (format == 0) return Fail(error);
  std::unique_ptr<SoundFileWriter> sink = SoundFileWriter::Create(outputPath, format, source->Channels(), sampleRate, error);
  if (!sink) return Fail(error);

  plugin->SetDoublePrecision(options.doublePrecision);
  ProgressReporter progress(stderr, isatty(STDERR_FILENO) != 0, source->Frames(), sampleRate);
  RenderResult result;
  if (!Render(*plugin, plan, *source, *sink, SettingsFor(options, sampleRate), progress, result, error) ||
      !sink->Commit(error)) {
    return Fail(error);
  }
  for (const std::string& warning : result.warnings) {
    std::fprintf(stderr, "kestrune-render: warning: %s\n", warning.c_str());
  }
  if (result.nonFiniteSamples > 0) {
    std::fprintf(stderr, "kestrune-render: warning: the plug-in produced %lld NaN or infinite samples, written as 0\n",
                 static_cast<long long>(result.nonFiniteSamples));
  }
  if (result.summary.peak > 1.0 && FormatClipsAtFullScale(format)) {
    std::fprintf(stderr, "kestrune-render: warning: the output peaks at %s and was clipped at full scale in \"%s\"\n",
                 PeakText(result.summary.peak).c_str(), outputPath.c_str());
  }
  std::printf("%s\n", SummaryLine(result.summary, outputPath).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "kestrune-render: error: %s\n", error.c_str());
    std::fprintf(stderr, "Try \"%s --help\".\n", argv[0]);
    return kExitUsage;
  }
  if (options.showHelp) {
    std::fputs(UsageText(argv[0]).c_str(), stdout);
    return 0;
  }
  return Run(options);
}
