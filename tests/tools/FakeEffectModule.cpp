// A small VST 2 module for exercising kestrune-render where Kestrune cannot: it keeps its programs as
// chunks, has no mono layout, and logs every host interaction to the file named by
// KESTRUNE_FAKE_EFFECT_LOG.
//
// Sound: each output is its input times 2 x "Gain" (normalised), so Gain 0.5 passes audio unchanged.
// Program chunk: "FAKE" followed by the two parameter values as little-endian floats (12 bytes).

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/tools/StereoEffectRecord.h"
#include "vst2/VstInterface.h"

namespace {

constexpr int kNumParams = 2;
constexpr int kNumPrograms = 2;
constexpr size_t kChunkSize = 12;

struct FakeEffect {
  AEffect record{};
  audioMasterCallback host = nullptr;
  float params[kNumParams] = {0.5f, 0.25f};
  char programNames[kNumPrograms][32] = {"First", "Second"};
  int program = 0;
  unsigned char chunk[kChunkSize] = {};
};

void Log(const char* format, long a = 0, long b = 0, double c = 0.0, const char* d = "") {
  const char* path = std::getenv("KESTRUNE_FAKE_EFFECT_LOG");
  if (path == nullptr) return;
  if (std::FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, format, a, b, c, d);
    std::fputc('\n', file);
    std::fclose(file);
  }
}

FakeEffect* Self(AEffect* effect) { return static_cast<FakeEffect*>(effect->object); }

intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  FakeEffect* self = Self(effect);
  switch (opcode) {
    case effOpen:
      Log("open version=%ld level=%ld", static_cast<long>(self->host(effect, audioMasterVersion, 0, 0, nullptr, 0.f)),
          static_cast<long>(self->host(effect, audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.f)));
      return 0;
    case effClose:
      Log("close");
      delete self;
      return 0;
    case effSetSampleRate:
      Log("rate %ld", static_cast<long>(opt));
      return 0;
    case effSetBlockSize:
      Log("block %ld", static_cast<long>(value));
      return 0;
    case effMainsChanged:
      Log("mains %ld", static_cast<long>(value));
      return 0;
    case effStartProcess:
      Log("start");
      return 0;
    case effStopProcess:
      Log("stop");
      return 0;
    case effSetSpeakerArrangement: {
      const auto* in = reinterpret_cast<const VstSpeakerArrangement*>(value);
      const auto* out = static_cast<const VstSpeakerArrangement*>(ptr);
      Log("arrangement %ld %ld", in != nullptr ? in->numChannels : -1L, out != nullptr ? out->numChannels : -1L);
      return 0;  // this effect only works in its stereo layout
    }
    case effSetProgram:
      if (value >= 0 && value < kNumPrograms) self->program = static_cast<int>(value);
      return 0;
    case effGetProgram:
      return self->program;
    case effSetProgramName:
      std::snprintf(self->programNames[self->program], 32, "%s", static_cast<const char*>(ptr));
      return 0;
    case effGetProgramName:
      std::strcpy(static_cast<char*>(ptr), self->programNames[self->program]);
      return 0;
    case effGetParamName:
      if (index >= 0 && index < kNumParams) std::strcpy(static_cast<char*>(ptr), index == 0 ? "Gain" : "Tone");
      return 0;
    case effGetParamDisplay:
      if (index >= 0 && index < kNumParams) std::snprintf(static_cast<char*>(ptr), 8, "%.2f", self->params[index] * 2.0);
      return 0;
    case effGetParamLabel:
      if (index >= 0 && index < kNumParams) std::strcpy(static_cast<char*>(ptr), index == 0 ? "x" : "");
      return 0;
    case effString2Parameter:
      if (index < 0 || index >= kNumParams || ptr == nullptr) return 0;
      self->params[index] = static_cast<float>(std::atof(static_cast<const char*>(ptr)) / 2.0);
      return 1;
    case effGetEffectName:
      std::strcpy(static_cast<char*>(ptr), "Fake Effect");
      return 1;
    case effGetVendorString:
      std::strcpy(static_cast<char*>(ptr), "Kestrune tests");
      return 1;
    case effGetChunk:
      std::memcpy(self->chunk, "FAKE", 4);
      std::memcpy(self->chunk + 4, self->params, sizeof self->params);
      *static_cast<void**>(ptr) = self->chunk;
      Log("getchunk %ld", index);
      return kChunkSize;
    case effSetChunk:
      Log("setchunk %ld %ld", index, static_cast<long>(value));
      if (value != static_cast<intptr_t>(kChunkSize) || std::memcmp(ptr, "FAKE", 4) != 0) return 0;
      std::memcpy(self->params, static_cast<const char*>(ptr) + 4, sizeof self->params);
      return 1;
    default:
      return 0;
  }
}

template <typename Sample>
void Process(AEffect* effect, Sample** inputs, Sample** outputs, int32_t frames) {
  FakeEffect* self = Self(effect);
  const auto* time = reinterpret_cast<const VstTimeInfo*>(
      self->host(effect, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0.f));
  Log("process %ld at %ld ppq %.4f %s", frames, time != nullptr ? static_cast<long>(time->samplePos) : -1L,
      time != nullptr ? time->ppqPos : -1.0,
      time != nullptr && (time->flags & kVstTransportPlaying) != 0 ? "playing" : "stopped");
  const Sample gain = static_cast<Sample>(2.0 * self->params[0]);
  for (int c = 0; c < 2; ++c) {
    for (int32_t f = 0; f < frames; ++f) outputs[c][f] = inputs[c][f] * gain;
  }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
  if (index >= 0 && index < kNumParams) Self(effect)->params[index] = value;
}

float GetParameter(AEffect* effect, int32_t index) {
  return index >= 0 && index < kNumParams ? Self(effect)->params[index] : 0.f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  auto* self = new FakeEffect();
  self->host = host;
  FillStereoEffectRecord(self->record, self, Dispatcher, SetParameter, GetParameter, Process<float>, Process<double>,
                         kNumParams, ('F' << 24) | ('a' << 16) | ('k' << 8) | 'e');
  self->record.numPrograms = kNumPrograms;
  self->record.flags |= effFlagsProgramChunks;
  return &self->record;
}
