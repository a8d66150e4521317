// threads: one thread processes without pause while another sets and reads parameters, switches
// programs and saves and restores chunks, as a host's audio and user-interface threads do. The
// output stays finite and neither thread may stall.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 256;
// A thread that has not moved on for this long is taken to be deadlocked.
constexpr double kStallSeconds = 10.0;

using Clock = std::chrono::steady_clock;

struct Shared {
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> audioSteps{0};
  std::atomic<uint64_t> controlSteps{0};
  std::atomic<const char*> audioDoing{"starting"};
  std::atomic<const char*> controlDoing{"starting"};
  std::mutex failureMutex;
  std::string failure;

  void Fail(const std::string& text) {
    std::lock_guard<std::mutex> lock(failureMutex);
    if (failure.empty()) failure = text;
    stop = true;
  }
};

void AudioThread(Plugin& plugin, Shared& shared, uint64_t seed) {
  BlockRunner runner(plugin, kBlock, kRate, seed);
  int64_t position = 0;
  for (uint64_t block = 0; !shared.stop; ++block, position += kBlock) {
    const Precision precision = plugin.CanDouble() && block % 2 == 1 ? Precision::kDouble : Precision::kFloat;
    shared.audioDoing = precision == Precision::kDouble ? "processDoubleReplacing" : "processReplacing";
    const std::string bad = runner.Run(SignalKind::kNoise, position, kBlock, precision);
    if (!bad.empty()) shared.Fail("while another thread changed parameters, programs and chunks: " + bad);
    ++shared.audioSteps;
  }
  shared.audioDoing = "finished";
}

void ControlThread(Plugin& plugin, Shared& shared, uint64_t seed) {
  Random random(seed);
  std::vector<char> text(4096);
  std::vector<unsigned char> chunk;
  bool chunkIsProgram = false;
  const int params = plugin.Params();
  const int programs = plugin.Programs();
  while (!shared.stop) {
    switch (random.Between(0, 5)) {
      case 0:
        shared.controlDoing = "setParameter";
        if (params > 0) plugin.SetParameter(random.Between(0, params - 1), static_cast<float>(random.Unit()));
        break;
      case 1:
        shared.controlDoing = "getParameter";
        for (int p = 0; p < params; ++p) {
          const float v = plugin.GetParameter(p);
          if (!(v >= 0.f && v <= 1.f)) shared.Fail("getParameter(" + std::to_string(p) + ") read outside 0..1 while processing");
        }
        break;
      case 2:
        shared.controlDoing = "effGetParamDisplay";
        if (params > 0) plugin.Dispatch(effGetParamDisplay, random.Between(0, params - 1), 0, text.data());
        break;
      case 3:
        shared.controlDoing = "effSetProgram";
        if (programs > 1) plugin.Dispatch(effSetProgram, 0, random.Between(0, programs - 1));
        shared.controlDoing = "effGetProgramName";
        plugin.Dispatch(effGetProgramName, 0, 0, text.data());
        break;
      case 4:
        shared.controlDoing = "effGetChunk";
        chunkIsProgram = random.Between(0, 1) == 1;
        chunk = plugin.GetChunk(chunkIsProgram);
        break;
      case 5:
        if (!chunk.empty()) {
          shared.controlDoing = "effSetChunk";
          plugin.SetChunk(chunkIsProgram, chunk.data(), static_cast<intptr_t>(chunk.size()));
        }
        break;
    }
    ++shared.controlSteps;
  }
  shared.controlDoing = "finished";
}

}  // namespace

void RunThreadsCheck(CheckContext& context) {
  std::unique_ptr<Plugin> plugin = context.NewRunningPlugin(kRate, kBlock);
  if (!plugin) return;
  Shared shared;
  std::thread audio(AudioThread, std::ref(*plugin), std::ref(shared), context.Seed());
  std::thread control(ControlThread, std::ref(*plugin), std::ref(shared), Mix(context.Seed(), 6));

  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(context.Strict().ThreadSeconds());
  uint64_t lastAudio = 0, lastControl = 0;
  auto audioMoved = start, controlMoved = start;
  int lastShown = -1;
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto now = Clock::now();
    if (shared.audioSteps != lastAudio) {
      lastAudio = shared.audioSteps;
      audioMoved = now;
    }
    if (shared.controlSteps != lastControl) {
      lastControl = shared.controlSteps;
      controlMoved = now;
    }
    const bool audioDone = shared.stop && std::string(shared.audioDoing.load()) == "finished";
    const bool controlDone = shared.stop && std::string(shared.controlDoing.load()) == "finished";
    if (audioDone && controlDone) break;
    const auto stalled = std::chrono::duration<double>(kStallSeconds);
    if ((!audioDone && now - audioMoved > stalled) || (!controlDone && now - controlMoved > stalled)) {
      // Threads stuck in the plug-in cannot be joined: report and leave at once.
      context.Fail("deadlock: no progress for " + std::to_string(static_cast<int>(kStallSeconds)) +
                   " s; the audio thread is in " + shared.audioDoing.load() + ", the other thread in " +
                   shared.controlDoing.load());
      _exit(context.Finish());
    }
    if (now >= end) shared.stop = true;
    const int second = static_cast<int>(std::chrono::duration<double>(now - start).count());
    if (second != lastShown && !shared.stop) {
      lastShown = second;
      context.Progress("racing threads, " + std::to_string(second) + " s; " + std::to_string(lastAudio) + " blocks");
    }
  }
  audio.join();
  control.join();
  if (!shared.failure.empty()) {
    context.Fail(shared.failure);
    return;
  }
  context.Note(std::to_string(shared.audioSteps.load()) + " blocks against " +
               std::to_string(shared.controlSteps.load()) + " calls from another thread");
}

}  // namespace kestrune::validate
