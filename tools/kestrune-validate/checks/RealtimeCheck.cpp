// realtime: after the first block, the processing callbacks allocate nothing, wait for no other
// thread and touch no file or socket. The calls are counted by the preload library, which the
// validator loads into this check's process.

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/RealtimeProbe.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;

struct Probe {
  KestruneRealtimeWatchProc watch = nullptr;
  KestruneRealtimeCountsProc counts = nullptr;
  KestruneRealtimeResetProc reset = nullptr;
};

Probe FindProbe() {
  Probe probe;
  probe.watch = reinterpret_cast<KestruneRealtimeWatchProc>(dlsym(RTLD_DEFAULT, KESTRUNE_REALTIME_WATCH));
  probe.counts = reinterpret_cast<KestruneRealtimeCountsProc>(dlsym(RTLD_DEFAULT, KESTRUNE_REALTIME_COUNTS));
  probe.reset = reinterpret_cast<KestruneRealtimeResetProc>(dlsym(RTLD_DEFAULT, KESTRUNE_REALTIME_RESET));
  return probe;
}

// "Kestrune.so+0x1a2b": where in which module a call came from.
std::string CallerText(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "an unknown place";
  std::string module = info.dli_fname;
  const size_t slash = module.find_last_of('/');
  if (slash != std::string::npos) module = module.substr(slash + 1);
  char offset[32];
  std::snprintf(offset, sizeof offset, "+0x%zx",
                static_cast<size_t>(static_cast<const char*>(address) - static_cast<const char*>(info.dli_fbase)));
  return module + offset;
}

std::string Describe(const KestruneRealtimeCounts& c) {
  std::string text;
  auto add = [&](uint64_t n, const char* what) {
    if (n == 0) return;
    text += (text.empty() ? "" : ", ") + std::to_string(n) + " " + what;
  };
  add(c.allocations, "allocations");
  add(c.releases, "releases");
  add(c.blockingWaits, "blocking waits");
  add(c.fileCalls, "file calls");
  add(c.socketCalls, "socket calls");
  add(c.sleeps, "sleeps");
  return text;
}

bool Any(const KestruneRealtimeCounts& c) {
  return c.allocations + c.releases + c.blockingWaits + c.fileCalls + c.socketCalls + c.sleeps > 0;
}

// Processes blocks with parameter changes between them, watching only the processing calls.
void Watch(CheckContext& context, const Probe& probe, Plugin& plugin, Precision precision) {
  BlockRunner runner(plugin, kBlock, kRate, context.Seed());
  Random random(Mix(context.Seed(), 4));
  const int blocks = 20 + 20 * context.Strict().Level();
  context.Progress(std::string("first ") + PrecisionName(precision) + " block (allowed to prepare)");
  runner.Run(SignalKind::kNoise, 0, kBlock, precision);
  context.Progress(std::to_string(blocks) + " watched " + PrecisionName(precision) + " blocks");
  probe.reset();
  for (int b = 1; b <= blocks; ++b) {
    if (plugin.Params() > 0) {
      plugin.SetParameter(random.Between(0, plugin.Params() - 1), static_cast<float>(random.Unit()));
    }
    probe.watch(1);
    runner.Run(b % 7 == 0 ? SignalKind::kSilence : SignalKind::kNoise, int64_t{b} * kBlock, kBlock, precision);
    probe.watch(0);
  }
  const KestruneRealtimeCounts counts = probe.counts();
  if (Any(counts)) {
    context.Fail(std::string("the ") + PrecisionName(precision) + " processing callback made " + Describe(counts) +
                 " in " + std::to_string(blocks) + " blocks; the first was " + counts.firstCall + " from " +
                 CallerText(counts.firstCaller));
  }
}

}  // namespace

void RunRealtimeCheck(CheckContext& context) {
#if defined(__SANITIZE_THREAD__)
  context.Skip("this validator is built with ThreadSanitizer, which owns the allocator and the locks");
  return;
#endif
  const Probe probe = FindProbe();
  if (probe.watch == nullptr || probe.counts == nullptr || probe.reset == nullptr) {
    context.Skip("the preload library kestrune-validate-preload.so is not installed beside kestrune-validate");
    return;
  }
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  Watch(context, probe, *plugin, Precision::kFloat);
  if (plugin->CanDouble()) Watch(context, probe, *plugin, Precision::kDouble);
  if (plugin->CanAccumulate()) Watch(context, probe, *plugin, Precision::kAccumulating);
}

}  // namespace kestrune::validate
