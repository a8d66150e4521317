// state: what a host saves comes back exactly, in a fresh instance too, and sounds the same; chunks
// that are random, cut short, too long, empty or announced with hostile sizes change nothing
// harmful. Hostile chunks end where readable memory ends, so reading past them faults at once.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/kestrune-validate/Checks.h"
#include "tools/kestrune-validate/GuardedText.h"
#include "tools/kestrune-validate/checks/BlockRunner.h"

namespace kestrune::validate {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
// Restored and original instances may differ by rounding noise once any smoothing has settled.
constexpr double kSameAudioTolerance = 1e-4;
constexpr double kRenderSeconds = 3.0;
constexpr double kCompareSeconds = 1.0;

using Bytes = std::vector<unsigned char>;

const char* KindName(bool program) { return program ? "program chunk" : "bank chunk"; }

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

std::unique_ptr<Plugin> Configured(CheckContext& context) {
  std::unique_ptr<Plugin> plugin = context.NewPlugin();
  if (!plugin) return nullptr;
  plugin->Open();
  plugin->Configure(kRate, kBlock);
  return plugin;
}

std::vector<float> RandomSettings(int params, Random& random) {
  std::vector<float> values;
  for (int p = 0; p < params; ++p) values.push_back(static_cast<float>(random.Unit()));
  return values;
}

void Apply(Plugin& plugin, const std::vector<float>& values) {
  for (size_t p = 0; p < values.size(); ++p) plugin.SetParameter(static_cast<int>(p), values[p]);
}

// The first parameter whose value differs, or -1.
int FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  for (size_t p = 0; p < a.size() && p < b.size(); ++p) {
    if (std::memcmp(&a[p], &b[p], sizeof(float)) != 0) return static_cast<int>(p);
  }
  return a.size() == b.size() ? -1 : static_cast<int>(std::min(a.size(), b.size()));
}

// A few blocks of silence, running, as a host's audio thread gives them.
void Settle(Plugin& plugin, uint64_t seed) {
  plugin.Resume();
  BlockRunner runner(plugin, kBlock, kRate, seed);
  for (int block = 0; block < 4; ++block) runner.Run(SignalKind::kSilence, int64_t{block} * kBlock, kBlock, Precision::kFloat);
  plugin.Suspend();
}

// Host-style saving without chunks: the values read are set into a fresh instance.
void ParameterRoundTrip(CheckContext& context, const std::vector<float>& settings) {
  context.Progress("parameter values restored into a fresh instance");
  std::unique_ptr<Plugin> original = Configured(context);
  std::unique_ptr<Plugin> restored = Configured(context);
  if (!original || !restored) return;
  Apply(*original, settings);
  const std::vector<float> saved = original->Parameters();
  Apply(*restored, saved);
  const std::vector<float> loaded = restored->Parameters();
  const int p = FirstDifference(saved, loaded);
  if (p >= 0) {
    context.Fail("parameter " + std::to_string(p) + " reads " + Number(saved[p]) + ", and " + Number(loaded[p]) +
                 " after that value is set into a fresh instance: saved projects drift on every reload");
  }
}

// Saves with effGetChunk and restores into a fresh instance. Returns the chunk (empty when none).
Bytes ChunkRoundTrip(CheckContext& context, bool program, const std::vector<float>& settings) {
  context.Progress(std::string(KindName(program)) + " restored into a fresh instance");
  std::unique_ptr<Plugin> original = Configured(context);
  std::unique_ptr<Plugin> restored = Configured(context);
  if (!original || !restored) return {};
  Apply(*original, settings);
  // Hosts save while running: values set may be taken over on the audio thread.
  Settle(*original, context.Seed());
  const Bytes chunk = original->GetChunk(program);
  if (chunk.empty()) {
    if (original->HasFlag(effFlagsProgramChunks)) {
      context.Fail(std::string("effFlagsProgramChunks is set but effGetChunk gives no ") + KindName(program));
    }
    return {};
  }
  const std::vector<float> saved = original->Parameters();
  if (restored->SetChunk(program, chunk.data(), static_cast<intptr_t>(chunk.size())) == 0) {
    context.Warn(std::string("effSetChunk answers 0 for the ") + KindName(program) + " effGetChunk gave");
  }
  // Some plug-ins take restored state over on their audio thread; hosts keep processing.
  Settle(*restored, context.Seed());
  const std::vector<float> loaded = restored->Parameters();
  const int p = FirstDifference(saved, loaded);
  if (p >= 0) {
    context.Fail("after restoring a " + std::string(KindName(program)) + " parameter " + std::to_string(p) + " reads " +
                 Number(loaded[p]) + " instead of " + Number(saved[p]));
    return chunk;
  }
  const Bytes again = restored->GetChunk(program);
  if (again != chunk) {
    size_t at = 0;
    while (at < again.size() && at < chunk.size() && again[at] == chunk[at]) ++at;
    context.Fail("a fresh instance restored from a " + std::string(KindName(program)) + " of " +
                 std::to_string(chunk.size()) + " bytes gives back " + std::to_string(again.size()) +
                 " bytes that differ from byte " + std::to_string(at) + " on");
  }
  return chunk;
}

std::vector<double> Render(Plugin& plugin, uint64_t seed) {
  plugin.Resume();
  BlockRunner runner(plugin, kBlock, kRate, seed);
  const int64_t total = static_cast<int64_t>(kRenderSeconds * kRate);
  const int64_t from = total - static_cast<int64_t>(kCompareSeconds * kRate);
  std::vector<double> tail;
  for (int64_t position = 0; position < total; position += kBlock) {
    runner.Run(SignalKind::kQuietNoise, position, kBlock, Precision::kFloat);
    for (int f = 0; f < kBlock; ++f) {
      for (int c = 0; c < plugin.Outputs() && position + f >= from; ++c) tail.push_back(runner.Output(c, f));
    }
  }
  return tail;
}

// A restored instance must sound like the one it was saved from.
void SameAudio(CheckContext& context, const std::vector<float>& settings, const Bytes& bankChunk) {
  context.Progress(bankChunk.empty() ? "audio of an instance restored from parameter values"
                                     : "audio of an instance restored from a bank chunk");
  std::unique_ptr<Plugin> original = Configured(context);
  std::unique_ptr<Plugin> restored = Configured(context);
  if (!original || !restored) return;
  Apply(*original, settings);
  Settle(*original, context.Seed());
  if (bankChunk.empty()) {
    Apply(*restored, original->Parameters());
  } else {
    const Bytes chunk = original->GetChunk(false);
    restored->SetChunk(false, chunk.data(), static_cast<intptr_t>(chunk.size()));
  }
  Settle(*restored, context.Seed());
  const std::vector<double> a = Render(*original, context.Seed());
  const std::vector<double> b = Render(*restored, context.Seed());
  const int outputs = std::max(1, original->Outputs());
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (!(std::fabs(a[i] - b[i]) <= kSameAudioTolerance)) {
      context.Fail("the restored instance sounds different: output " + std::to_string(i % outputs) + " is " +
                   Number(b[i]) + " instead of " + Number(a[i]) + " " +
                   Number(kRenderSeconds - kCompareSeconds + static_cast<double>(i / outputs) / kRate) +
                   " s into the same input");
      return;
    }
  }
}

// Hands one hostile chunk to a running instance and checks that it is still sane.
class HostileChunks {
 public:
  HostileChunks(CheckContext& context, Plugin& plugin, const std::vector<float>& settings)
      : context_(context), plugin_(plugin), settings_(settings), runner_(plugin, kBlock, kRate, context.Seed()) {}

  // False once the plug-in failed.
  bool Try(bool program, const Bytes& bytes, const std::string& what, intptr_t size) {
    const std::string where = "effSetChunk(" + std::string(KindName(program)) + ") with " + what;
    context_.Progress(where);
    // The chunk ends where readable memory ends.
    GuardedBuffer buffer(std::max<size_t>(bytes.size(), 1), 0);
    std::copy(bytes.begin(), bytes.end(), buffer.Data() + (buffer.Size() - bytes.size()));
    plugin_.SetChunk(program, buffer.Data() + (buffer.Size() - bytes.size()), size);
    return Sane(where);
  }

  bool Try(bool program, const Bytes& bytes, const std::string& what) {
    return Try(program, bytes, what, static_cast<intptr_t>(bytes.size()));
  }

  // After a hostile chunk the instance must still take a good one and read back what it holds.
  bool Recovers(bool program, const Bytes& good) {
    context_.Progress(std::string("a good ") + KindName(program) + " after the hostile ones");
    plugin_.SetChunk(program, good.data(), static_cast<intptr_t>(good.size()));
    if (!Sane("restoring a good chunk")) return false;
    const std::vector<float> now = plugin_.Parameters();
    Apply(plugin_, settings_);
    const std::vector<float> expected = plugin_.Parameters();
    const int p = FirstDifference(expected, now);
    if (p >= 0) {
      context_.Fail("after hostile chunks a good " + std::string(KindName(program)) + " no longer restores parameter " +
                    std::to_string(p) + " (" + Number(now[p]) + " instead of " + Number(expected[p]) + ")");
      return false;
    }
    return true;
  }

 private:
  bool Sane(const std::string& where) {
    for (int p = 0; p < plugin_.Params(); ++p) {
      const float v = plugin_.GetParameter(p);
      if (!(v >= 0.f && v <= 1.f)) {
        context_.Fail("after " + where + ", getParameter(" + std::to_string(p) + ") reads " + Number(v));
        return false;
      }
    }
    const std::string bad = runner_.Run(SignalKind::kNoise, position_, kBlock, Precision::kFloat);
    position_ += kBlock;
    if (!bad.empty()) {
      context_.Fail("after " + where + ": " + bad);
      return false;
    }
    return true;
  }

  CheckContext& context_;
  Plugin& plugin_;
  std::vector<float> settings_;
  BlockRunner runner_;
  int64_t position_ = 0;
};

Bytes RandomBytes(Random& random, size_t size) {
  Bytes bytes(size);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random.Next());
  return bytes;
}

void Hostile(CheckContext& context, bool program, const Bytes& good, const std::vector<float>& settings) {
  std::unique_ptr<Plugin> plugin = Configured(context);
  if (!plugin) return;
  plugin->Resume();
  HostileChunks chunks(context, *plugin, settings);
  Random random(Mix(context.Seed(), program ? 7 : 8));
  const std::string of = " of " + std::to_string(good.size()) + " bytes";

  if (!chunks.Try(program, {}, "an empty chunk")) return;
  context.Progress("effSetChunk with no data");
  plugin->SetChunk(program, nullptr, 0);
  for (intptr_t size : {intptr_t{-1}, intptr_t{-8}, intptr_t{INT_MIN}, INTPTR_MIN}) {
    if (!chunks.Try(program, good, "the size " + std::to_string(size), size)) return;
  }
  // Every cut of a small chunk; for a large one the first bytes, a sample and the last ones.
  std::vector<size_t> cuts;
  for (size_t n = 0; n < good.size(); ++n) {
    if (good.size() <= 512 || n < 64 || n + 64 > good.size() || random.Between(0, 15) == 0) cuts.push_back(n);
  }
  for (size_t n : cuts) {
    if (!chunks.Try(program, Bytes(good.begin(), good.begin() + static_cast<long>(n)),
                    "the first " + std::to_string(n) + " bytes" + of)) {
      return;
    }
  }
  for (size_t extra : {size_t{1}, size_t{100}, size_t{65536}}) {
    Bytes longer = good;
    const Bytes tail = RandomBytes(random, extra);
    longer.insert(longer.end(), tail.begin(), tail.end());
    if (!chunks.Try(program, longer, "a good chunk" + of + " followed by " + std::to_string(extra) + " random bytes")) {
      return;
    }
  }
  const int rounds = context.Strict().RandomChunks();
  for (int i = 0; i < rounds; ++i) {
    Bytes bytes;
    std::string what;
    switch (i % 3) {
      case 0:
        bytes = RandomBytes(random, static_cast<size_t>(random.Between(1, 4096)));
        what = std::to_string(bytes.size()) + " random bytes";
        break;
      case 1: {
        // The good chunk with a few bytes changed: past the header, into the parser.
        bytes = good;
        const int flips = random.Between(1, 4);
        for (int k = 0; k < flips && !bytes.empty(); ++k) {
          bytes[static_cast<size_t>(random.Between(0, static_cast<int>(bytes.size()) - 1))] =
              static_cast<unsigned char>(random.Next());
        }
        what = "a good chunk" + of + " with " + std::to_string(flips) + " bytes changed (round " + std::to_string(i) + ")";
        break;
      }
      default: {
        const size_t keep = std::min<size_t>(good.size(), static_cast<size_t>(random.Between(1, 16)));
        bytes.assign(good.begin(), good.begin() + static_cast<long>(keep));
        const Bytes tail = RandomBytes(random, static_cast<size_t>(random.Between(0, 256)));
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        what = "the first " + std::to_string(keep) + " bytes of a good chunk and " + std::to_string(tail.size()) +
               " random ones (round " + std::to_string(i) + ")";
        break;
      }
    }
    if (!chunks.Try(program, bytes, what)) return;
  }
  chunks.Recovers(program, good);
}

}  // namespace

void RunStateCheck(CheckContext& context) {
  Random random(Mix(context.Seed(), 9));
  std::unique_ptr<Plugin> probe = Configured(context);
  if (!probe) return;
  const std::vector<float> settings = RandomSettings(probe->Params(), random);
  probe.reset();

  ParameterRoundTrip(context, settings);
  const Bytes program = ChunkRoundTrip(context, true, settings);
  const Bytes bank = ChunkRoundTrip(context, false, settings);
  if (context.Failed()) return;
  SameAudio(context, settings, bank);
  if (context.Failed()) return;
  if (!program.empty()) Hostile(context, true, program, settings);
  if (!context.Failed() && !bank.empty()) Hostile(context, false, bank, settings);
  if (program.empty() && bank.empty()) context.Note("no chunks: parameter values round-trip");
}

}  // namespace kestrune::validate
