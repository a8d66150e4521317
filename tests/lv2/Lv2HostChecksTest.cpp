// What every host does to an LV2 plug-in, beyond the comparison with the VST 2 build: many
// instances alive at once, hostile signals at every rate, and a real-time-safe run (no heap
// allocation and no file call inside run, counted by interposing the C library's functions in
// this program, which the module's calls resolve to).

#include "tests/lv2/Lv2TestSupport.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <memory>

namespace {

// Counting is on only while the thread that set it is inside a plug-in call.
thread_local bool tCounting = false;
std::atomic<int> gAllocations{0};
std::atomic<int> gFileCalls{0};

void CountAllocation() {
  if (tCounting) ++gAllocations;
}

void CountFileCall() {
  if (tCounting) ++gFileCalls;
}

}  // namespace

#if !defined(KESTRUNE_SANITIZED)
// The sanitizers bring their own allocator; the interposition and the check it serves are left
// out of their build.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  CountAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
  CountAllocation();
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
  CountAllocation();
  return __libc_realloc(p, size);
}
void free(void* p) {
  CountAllocation();
  __libc_free(p);
}
void* memalign(size_t alignment, size_t size) {
  CountAllocation();
  return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
  CountAllocation();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, size_t alignment, size_t size) {
  CountAllocation();
  *p = __libc_memalign(alignment, size);
  return *p ? 0 : ENOMEM;
}

int open(const char* path, int flags, ...) {
  CountFileCall();
  va_list args;
  va_start(args, flags);
  const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
  va_end(args);
  static auto real = reinterpret_cast<int (*)(const char*, int, ...)>(dlsym(RTLD_NEXT, "open"));
  return real(path, flags, mode);
}
FILE* fopen(const char* path, const char* mode) {
  CountFileCall();
  static auto real = reinterpret_cast<FILE* (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "fopen"));
  return real(path, mode);
}
ssize_t write(int fd, const void* data, size_t size) {
  CountFileCall();
  static auto real = reinterpret_cast<ssize_t (*)(int, const void*, size_t)>(dlsym(RTLD_NEXT, "write"));
  return real(fd, data, size);
}
}  // extern "C"
#endif

namespace kestrune_test {
namespace {

// Stereo float buffers the plug-in's audio ports point at directly.
struct PortBuffers {
  explicit PortBuffers(Lv2Instance& instance, uint32_t frames)
      : in(2, std::vector<float>(frames)), out(2, std::vector<float>(frames)) {
    instance.Connect("in_1", in[0].data());
    instance.Connect("in_2", in[1].data());
    instance.Connect("out_1", out[0].data());
    instance.Connect("out_2", out[1].data());
  }
  Channels in, out;
};

#if !defined(KESTRUNE_SANITIZED)
TEST(Lv2HostChecks, RunAllocatesNothingAndCallsNoFileFunctionWhateverTheControlsAndBlockSizes) {
  // The interposition works: an allocation made while counting is seen.
  tCounting = true;
  free(malloc(16));
  tCounting = false;
  ASSERT_EQ(gAllocations.exchange(0), 2);

  const float hostile[] = {0.f, 1.f, 0.3f, -1.f, 2.f, std::nanf(""), HUGE_VALF, -HUGE_VALF, 0.7f};
  constexpr uint32_t kMaxFrames = 4096;
  Lv2World world(kBundlePath);
  for (double rate : {44100.0, 192000.0}) {
    Lv2Instance instance(world, world.Plugin(kKestruneUri), rate, kMaxFrames);
    ASSERT_TRUE(instance.Ok());
    PortBuffers buffers(instance, kMaxFrames);
    buffers.in = Noise(kMaxFrames, 0.9f, 17);
    instance.Activate();
    // The first block may settle what a host's first call sets up.
    lilv_instance_run(instance.Instance(), 256);
    int round = 0;
    for (uint32_t frames : {1u, 2u, 63u, 256u, 1024u, 1025u, 4096u}) {
      for (int block = 0; block < 9; ++block, ++round) {
        // Every control moves between blocks, hostile values included.
        for (int param = 0; param < kNumParams; ++param)
          instance.Set(kSymbols[param], hostile[(round + param) % 9]);
        tCounting = true;
        lilv_instance_run(instance.Instance(), frames);
        tCounting = false;
      }
      EXPECT_EQ(gAllocations.load(), 0) << rate << " Hz, blocks of " << frames;
      EXPECT_EQ(gFileCalls.load(), 0) << rate << " Hz, blocks of " << frames;
    }
    instance.Deactivate();
  }
}
#endif

TEST(Lv2HostChecks, HostileSignalsAtEveryRateGiveFiniteOutputWithoutSubnormals) {
  constexpr int kFrames = 6000;
  auto make = [](float (*sample)(int)) {
    Channels audio(2, std::vector<float>(kFrames));
    for (int i = 0; i < kFrames; ++i) audio[0][i] = audio[1][i] = sample(i);
    return audio;
  };
  const std::vector<std::pair<const char*, Channels>> signals = {
      {"silence", make([](int) { return 0.f; })},
      {"full-scale square", make([](int i) { return (i / 37) % 2 ? 1.f : -1.f; })},
      {"DC", make([](int) { return 1.f; })},
      {"impulses", make([](int i) { return i % 1500 == 0 ? 1.f : 0.f; })},
      {"noise", Noise(kFrames, 1.f, 23)}};
  Lv2World world(kBundlePath);
  for (double rate : {22050.0, 44100.0, 96000.0, 192000.0}) {
    for (float circuit : {0.f, 1.f}) {
      for (float knobs : {0.f, 1.f}) {
        Lv2Instance instance(world, world.Plugin(kKestruneUri), rate);
        ASSERT_TRUE(instance.Ok());
        instance.Activate();
        for (const char* knob : {"out", "hi", "lo"}) instance.Set(knob, knobs);
        instance.Set("circuit", circuit);
        for (const auto& [name, input] : signals) {
          Channels out;
          RenderLv2(instance, input, 0, kFrames, 700, out);
          EXPECT_EQ(FirstUnsoundSample(out), -1)
              << name << " at " << rate << " Hz, circuit " << circuit << ", knobs at " << knobs;
        }
      }
    }
  }
}

TEST(Lv2HostChecks, SixteenInstancesProcessingInTurnSoundAsOneAloneAndCyclesLeaveNothingBehind) {
  const Channels input = Noise(4096, 0.8f, 29);
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  Channels alone;
  {
    Lv2Instance instance(world, plugin, 48000.0);
    ASSERT_TRUE(instance.Ok());
    instance.Activate();
    instance.Set("hi", 0.2f);
    RenderLv2(instance, input, 0, 4096, 256, alone);
  }

  std::vector<std::unique_ptr<Lv2Instance>> instances;
  for (int i = 0; i < 16; ++i) {
    instances.push_back(std::make_unique<Lv2Instance>(world, plugin, 48000.0));
    ASSERT_TRUE(instances.back()->Ok());
    instances.back()->Activate();
    instances.back()->Set("hi", 0.2f);
  }
  std::vector<Channels> outputs(16);
  for (int pos = 0; pos < 4096; pos += 256)
    for (int i = 0; i < 16; ++i) RenderLv2(*instances[i], input, pos, 256, 256, outputs[i]);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(outputs[i], alone) << "instance " << i;
  instances.clear();

  // A hundred instances made, run once and destroyed, with and without activation.
  for (int i = 0; i < 100; ++i) {
    Lv2Instance instance(world, plugin, 44100.0);
    ASSERT_TRUE(instance.Ok());
    if (i % 2) instance.Activate();
    Channels out;
    RenderLv2(instance, input, 0, 64, 64, out);
    ASSERT_EQ(FirstUnsoundSample(out), -1);
  }
}

}  // namespace
}  // namespace kestrune_test
