// A small, well-behaved VST 2 effect for proving kestrune-validate, built once as it is and once per
// deliberate fault (one FAULT_* definition each), so that every check is seen to catch its fault.
//
// The effect: a stereo one-pole low-pass ("Tone") mixed with the dry signal ("Mix") at a gain
// ("Gain", 0..2), two programs, chunks, and an editor that is a plain Xlib child window. A bank of
// envelope followers (a meter) runs on every sample; it does not reach the output.

#include <X11/Xlib.h>

#include <array>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "vst2/VstInterface.h"

namespace {

enum { kGain, kTone, kMix, kNumParams };
constexpr int kNumPrograms = 2;
constexpr int kMeterBands = 32;
constexpr int kEditorWidth = 300;
constexpr int kEditorHeight = 200;
constexpr char kChunkMagic[4] = {'T', 'M', 'o', 'd'};
constexpr size_t kChunkHeader = 8;  // magic, then the number of values as a little-endian int32
// Below this a filter's state is flushed to zero: it would otherwise decay into subnormal numbers.
constexpr float kFlushBelow = 1e-20f;

struct Program {
  char name[32];
  float values[kNumParams];
};

struct Effect {
  AEffect record{};
  audioMasterCallback host = nullptr;
  std::mutex mutex;
  std::array<Program, kNumPrograms> programs{{{"Warm", {0.5f, 0.3f, 1.f}}, {"Bright", {0.5f, 0.9f, 0.5f}}}};
  int program = 0;
  float values[kNumParams] = {0.5f, 0.3f, 1.f};
  float tone[2] = {0.f, 0.f};
  float meter[2][kMeterBands] = {};
  std::atomic<bool> resumed{false};
  std::vector<unsigned char> chunk;
  ERect rect{0, 0, kEditorHeight, kEditorWidth};
  Display* display = nullptr;
  Window window = 0;
};

Effect* Self(AEffect* e) { return static_cast<Effect*>(e->object); }

// Every callback holds the instance's lock, so processing never overlaps a change.
#if defined(FAULT_RACES)
struct InstanceLock {
  explicit InstanceLock(std::mutex&) {}  // forgets to lock: processing races every change
};
#else
using InstanceLock = std::lock_guard<std::mutex>;
#endif

float Flushed(float v) { return std::fabs(v) < kFlushBelow ? 0.f : v; }

#if defined(FAULT_DENORMALS)
// What arithmetic on a subnormal number costs on processors that take a slow path for it (around a
// hundred cycles). Some processors, and some virtual machines, charge nothing, which would let the
// fault go unnoticed there; this makes the cost the same everywhere.
void SubnormalPenalty() {
  float x = 1.f;
  for (int i = 0; i < 12; ++i) {
    x = x * 1.0000001f;
    __asm__ volatile("" : "+x"(x));
  }
}
#endif

// Display texts are tenths of a percent, written with integer arithmetic so no locale changes them.
void Display(float value, char* out) {
  char text[32];
#if defined(FAULT_COMMA_LOCALE)
  std::snprintf(text, sizeof text, "%.1f", value * 100.f);  // follows the process's locale
#else
  const long tenths = std::lround(value * 1000.f);
  std::snprintf(text, sizeof text, "%ld.%ld", tenths / 10, tenths % 10);
#endif
  const size_t length = strnlen(text, kVstMaxParamStrLen - 1);
  std::memcpy(out, text, length);
  out[length] = '\0';
}

// Reads "[-]digits[.digits]" with a decimal point; false for anything else.
[[maybe_unused]] bool ParsePercent(const char* text, float& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  double whole = 0, scale = 0.1;
  bool digits = false;
  for (; *p >= '0' && *p <= '9'; ++p, digits = true) whole = whole * 10 + (*p - '0');
  if (*p == '.') {
    for (++p; *p >= '0' && *p <= '9'; ++p, digits = true, scale /= 10) whole += (*p - '0') * scale;
  }
  if (!digits || *p != '\0') return false;
  const double v = (negative ? -whole : whole) / 100.0;
  value = static_cast<float>(v < 0 ? 0 : v > 1 ? 1 : v);
  return true;
}

void SetValue(Effect* self, int index, float value) {
  if (index < 0 || index >= kNumParams || std::isnan(value)) return;
  self->values[index] = value < 0.f ? 0.f : value > 1.f ? 1.f : value;
}

#if defined(FAULT_RACES)
// Restoring takes a while (a checksum over the stored values); meanwhile the gain holds a marker
// that processing, which does not wait for the restore, turns into NaN.
void MarkRestoring(Effect* self) {
  const float gain = self->values[kGain];
  self->values[kGain] = std::nanf("");
  __asm__ volatile("" ::: "memory");
  volatile float checksum = 0.f;
  for (int i = 0; i < 200000; ++i) checksum = checksum + 1.f;
  self->values[kGain] = gain;
}
#endif

void SaveChunk(Effect* self) {
  const int32_t count = kNumParams;
  self->chunk.assign(kChunkHeader + sizeof self->values, 0);
  std::memcpy(self->chunk.data(), kChunkMagic, 4);
  std::memcpy(self->chunk.data() + 4, &count, 4);
  std::memcpy(self->chunk.data() + kChunkHeader, self->values, sizeof self->values);
}

intptr_t LoadChunk(Effect* self, const unsigned char* data, intptr_t size) {
  if (data == nullptr || size < static_cast<intptr_t>(kChunkHeader) || std::memcmp(data, kChunkMagic, 4) != 0) return 0;
  int32_t count = 0;
  std::memcpy(&count, data + 4, 4);
  float values[kNumParams];
#if defined(FAULT_CHUNK_CRASH)
  // Trusts the count the chunk claims and checks every value it says is there, wherever they end.
  float checksum = 0.f;
  for (uint32_t i = 0; i < static_cast<uint32_t>(count); ++i) {
    float stored;
    std::memcpy(&stored, data + kChunkHeader + i * sizeof(float), sizeof stored);
    checksum += stored;
  }
  if (!(checksum == checksum) || count < kNumParams) return 0;
  std::memcpy(values, data + kChunkHeader, sizeof values);
#else
  if (count != kNumParams || size != static_cast<intptr_t>(kChunkHeader + sizeof values)) return 0;
  std::memcpy(values, data + kChunkHeader, sizeof values);
#endif
#if defined(FAULT_RACES)
  MarkRestoring(self);
#endif
  for (int i = 0; i < kNumParams; ++i) SetValue(self, i, values[i]);
  return 1;
}

void OpenEditor(Effect* self, void* parent) {
#if defined(FAULT_EDITOR_CRASHES)
  // Makes its window on the connection it only opens below: Xlib dereferences the null display.
  self->window = XCreateSimpleWindow(self->display, reinterpret_cast<Window>(parent), 0, 0, kEditorWidth,
                                     kEditorHeight, 0, 0, 0x336699);
#endif
#if defined(FAULT_EDITOR_LEAKS)
  // Keeps one connection and makes a new window on every open, never destroying the old ones.
  if (self->display == nullptr) self->display = XOpenDisplay(nullptr);
#else
  self->display = XOpenDisplay(nullptr);
#endif
  if (self->display == nullptr) return;
  self->window = XCreateSimpleWindow(self->display, reinterpret_cast<Window>(parent), 0, 0, kEditorWidth,
                                     kEditorHeight, 0, 0, 0x336699);
  XSelectInput(self->display, self->window, ExposureMask);
  XMapWindow(self->display, self->window);
  XSync(self->display, False);
}

void IdleEditor(Effect* self) {
  if (self->display == nullptr) return;
  while (XPending(self->display) > 0) {
    XEvent event;
    XNextEvent(self->display, &event);
    if (event.type == Expose) {
      XFillRectangle(self->display, self->window, DefaultGC(self->display, DefaultScreen(self->display)), 20, 20,
                     static_cast<unsigned>(self->values[kGain] * 200), 20);
    }
  }
}

void CloseEditor(Effect* self) {
  if (self->display == nullptr) return;
#if defined(FAULT_EDITOR_LEAKS)
  XUnmapWindow(self->display, self->window);
  XSync(self->display, False);
#else
  XDestroyWindow(self->display, self->window);
  XCloseDisplay(self->display);
  self->display = nullptr;
#endif
  self->window = 0;
}

intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float) {
  Effect* self = Self(effect);
  if (opcode == effClose) {
    CloseEditor(self);
#if defined(FAULT_EDITOR_LEAKS)
    if (self->display != nullptr) XCloseDisplay(self->display);
#endif
    delete self;
    return 0;
  }
  InstanceLock lock(self->mutex);
  switch (opcode) {
    case effMainsChanged:
      if (value != 0) self->resumed = true;
      return 0;
    case effSetProgram:
#if defined(FAULT_PROGRAM_RANGE)
      if (value < 0 || value > kNumPrograms) return 0;  // one past the end gets through to at(), which throws
#else
      if (value < 0 || value >= kNumPrograms) return 0;
#endif
      std::memcpy(self->programs.at(self->program).values, self->values, sizeof self->values);
      self->program = static_cast<int>(value);
      std::memcpy(self->values, self->programs.at(self->program).values, sizeof self->values);
      return 0;
    case effGetProgram:
      return self->program;
    case effSetProgramName:
      if (ptr != nullptr) std::snprintf(self->programs[self->program].name, kVstMaxProgNameLen, "%s", static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr != nullptr) std::snprintf(static_cast<char*>(ptr), kVstMaxProgNameLen, "%s", self->programs[self->program].name);
      return 0;
    case effGetProgramNameIndexed:
      if (ptr == nullptr || index < 0 || index >= kNumPrograms) return 0;
      std::snprintf(static_cast<char*>(ptr), kVstMaxProgNameLen, "%s", self->programs[index].name);
      return 1;
    case effGetParamName:
      if (ptr == nullptr || index < 0 || index >= kNumParams) return 0;
#if defined(FAULT_NAME_OVERRUN)
      if (index == kTone) {
        // A long description where a short name belongs, copied without a limit.
        std::string long_name = "Tone: the corner frequency of the low-pass filter";
        while (long_name.size() < 300) long_name += ", from dark to bright";
        std::strcpy(static_cast<char*>(ptr), long_name.c_str());
        return 0;
      }
#endif
      std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen, "%s", index == kGain ? "Gain" : index == kTone ? "Tone" : "Mix");
      return 0;
    case effGetParamLabel:
      if (ptr != nullptr && index >= 0 && index < kNumParams) std::snprintf(static_cast<char*>(ptr), kVstMaxParamStrLen, "%%");
      return 0;
    case effGetParamDisplay:
      if (ptr != nullptr && index >= 0 && index < kNumParams) Display(self->values[index], static_cast<char*>(ptr));
      return 0;
    case effString2Parameter: {
      float parsed = 0.f;
      if (ptr == nullptr || index < 0 || index >= kNumParams) return 0;
#if defined(FAULT_COMMA_LOCALE)
      parsed = static_cast<float>(std::atof(static_cast<const char*>(ptr)) / 100.0);  // follows the locale too
      if (!(parsed >= 0.f)) parsed = 0.f;
      if (parsed > 1.f) parsed = 1.f;
#else
      if (!ParsePercent(static_cast<const char*>(ptr), parsed)) return 0;
#endif
      SetValue(self, index, parsed);
      return 1;
    }
    case effGetChunk:
      if (ptr == nullptr) return 0;
      SaveChunk(self);
      *static_cast<void**>(ptr) = self->chunk.data();
      return static_cast<intptr_t>(self->chunk.size());
    case effSetChunk:
      return LoadChunk(self, static_cast<const unsigned char*>(ptr), value);
    case effGetEffectName:
      if (ptr != nullptr) std::snprintf(static_cast<char*>(ptr), kVstMaxEffectNameLen, "Test Module");
      return 1;
    case effGetVendorString:
      if (ptr != nullptr) std::snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "Kestrune tests");
      return 1;
    case effGetProductString:
      if (ptr != nullptr) std::snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "Test Module");
      return 1;
    case effGetVstVersion:
      return 2400;
    case effGetPlugCategory:
      return kPlugCategEffect;
    case effEditGetRect:
      if (ptr == nullptr) return 0;
      *static_cast<ERect**>(ptr) = &self->rect;
      return 1;
    case effEditOpen:
      OpenEditor(self, ptr);
      return self->display != nullptr ? 1 : 0;
    case effEditIdle:
      IdleEditor(self);
      return 0;
    case effEditClose:
      CloseEditor(self);
      return 1;
    default:
      return 0;
  }
}

template <typename Sample, bool kAccumulate>
void Process(AEffect* effect, Sample** inputs, Sample** outputs, int32_t frames) {
  Effect* self = Self(effect);
#if defined(FAULT_HANGS)
  // Waits for a resume that a host processing before it never sends.
  while (!self->resumed) {
  }
#endif
  InstanceLock lock(self->mutex);
#if defined(FAULT_ALLOCATES)
  std::vector<Sample> scratch(static_cast<size_t>(frames > 0 ? frames : 1));
#endif
  const float gain = 2.f * self->values[kGain];
  const float coefficient = 0.01f + 0.98f * self->values[kTone];
  const float mix = self->values[kMix];
  for (int c = 0; c < 2; ++c) {
#if defined(FAULT_BLOCK_SIZE)
    float tone = 0.f;  // forgets the filter's state at every block
#else
    float tone = self->tone[c];
#endif
    // Worked on in a local copy, which the compiler keeps apart from the audio buffers.
    float meter[kMeterBands];
    std::memcpy(meter, self->meter[c], sizeof meter);
    for (int32_t f = 0; f < frames; ++f) {
      const float x = static_cast<float>(inputs[c][f]);
      tone = Flushed(tone + coefficient * (x - tone));
      float y = gain * (mix * tone + (1.f - mix) * x);
#if defined(FAULT_WRITES_NAN)
      // A soft clipper that divides by its headroom, which is 0 at full scale.
      const float headroom = 1.f - std::fabs(x);
      y = y * (headroom / headroom);
#endif
      for (int band = 0; band < kMeterBands; ++band) {
        // A leaky integrator of the power; in silence it decays towards zero for ever.
        const float leak = 0.005f + 0.002f * band;
#if defined(FAULT_DENORMALS)
        meter[band] += leak * (x * x - meter[band]);
        if (meter[band] != 0.f && std::fabs(meter[band]) < FLT_MIN) SubnormalPenalty();
#else
        meter[band] = Flushed(meter[band] + leak * (x * x - meter[band]));
#endif
      }
#if defined(FAULT_ALLOCATES)
      scratch[static_cast<size_t>(f)] = static_cast<Sample>(y);
#endif
      y = Flushed(y);
      if (kAccumulate) {
        outputs[c][f] += static_cast<Sample>(y);
      } else {
        outputs[c][f] = static_cast<Sample>(y);
      }
    }
    self->tone[c] = tone;
    std::memcpy(self->meter[c], meter, sizeof meter);
  }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
  Effect* self = Self(effect);
  InstanceLock lock(self->mutex);
#if defined(FAULT_PARAMETER_RANGE)
  // Trusts the host to send values in 0..1, where chunks and texts go through SetValue.
  if (index >= 0 && index < kNumParams) self->values[index] = value;
#else
  SetValue(self, index, value);
#endif
}

float GetParameter(AEffect* effect, int32_t index) {
  Effect* self = Self(effect);
  InstanceLock lock(self->mutex);
  return index >= 0 && index < kNumParams ? self->values[index] : 0.f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  auto* self = new Effect();
  self->host = host;
  AEffect& r = self->record;
  r.magic = kEffectMagic;
  r.dispatcher = Dispatcher;
  r.process = Process<float, true>;
  r.processReplacing = Process<float, false>;
  r.processDoubleReplacing = Process<double, false>;
  r.setParameter = SetParameter;
  r.getParameter = GetParameter;
  r.numPrograms = kNumPrograms;
  r.numParams = kNumParams;
  r.numInputs = 2;
  r.numOutputs = 2;
  r.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsProgramChunks | effFlagsHasEditor;
  r.object = self;
#if defined(FAULT_NO_UNIQUE_ID)
  r.uniqueID = 0;  // hosts cannot tell it apart in saved projects
#else
  r.uniqueID = ('T' << 24) | ('M' << 16) | ('o' << 8) | 'd';
#endif
  r.version = 1;
  return &r;
}
