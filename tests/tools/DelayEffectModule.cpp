// A VST 2 module with latency, as a look-ahead effect has: each output is its input 100 frames late,
// and the record's initialDelay says so from the moment the effect is resumed (it reports 0 before).
//
// Parameter "Settle" (normalised; on above 0.5): the effect learns its latency only once running. It
// passes audio straight through for its first 1000 processed frames, then switches to the delay and
// announces the new latency with audioMasterIOChanged.
//
// Parameter "Misreport" (on above 0.5): initialDelay claims 2^31 - 1 frames while the delay stays 100.

#include <cstdint>
#include <cstring>

#include "tests/tools/StereoEffectRecord.h"
#include "vst2/VstInterface.h"

namespace {

constexpr int kDelayFrames = 100;
constexpr long kSettleFrames = 1000;

struct DelayEffect {
  AEffect record{};
  audioMasterCallback host = nullptr;
  float settle = 0.f;
  float misreport = 0.f;
  bool delaying = false;
  long processed = 0;
  double history[2][kDelayFrames] = {};
  int position = 0;
};

DelayEffect* Self(AEffect* effect) { return static_cast<DelayEffect*>(effect->object); }

void StartDelaying(AEffect* effect) {
  DelayEffect* self = Self(effect);
  self->delaying = true;
  effect->initialDelay = self->misreport > 0.5f ? INT32_MAX : kDelayFrames;
}

intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float) {
  DelayEffect* self = Self(effect);
  switch (opcode) {
    case effClose:
      delete self;
      return 0;
    case effMainsChanged:
      if (value != 0 && self->settle <= 0.5f) StartDelaying(effect);
      return 0;
    case effGetParamName:
      if (index == 0 || index == 1) std::strcpy(static_cast<char*>(ptr), index == 0 ? "Settle" : "Misreport");
      return 0;
    default:
      return 0;
  }
}

template <typename Sample>
void Process(AEffect* effect, Sample** inputs, Sample** outputs, int32_t frames) {
  DelayEffect* self = Self(effect);
  for (int32_t f = 0; f < frames; ++f) {
    if (!self->delaying && self->processed == kSettleFrames) {
      StartDelaying(effect);
      self->host(effect, audioMasterIOChanged, 0, 0, nullptr, 0.f);
    }
    for (int c = 0; c < 2; ++c) {
      const double delayed = self->history[c][self->position];
      self->history[c][self->position] = inputs[c][f];
      outputs[c][f] = static_cast<Sample>(self->delaying ? delayed : inputs[c][f]);
    }
    self->position = (self->position + 1) % kDelayFrames;
    ++self->processed;
  }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
  if (index == 0) Self(effect)->settle = value;
  if (index == 1) Self(effect)->misreport = value;
}

float GetParameter(AEffect* effect, int32_t index) {
  return index == 0 ? Self(effect)->settle : index == 1 ? Self(effect)->misreport : 0.f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) {
  auto* self = new DelayEffect();
  self->host = host;
  FillStereoEffectRecord(self->record, self, Dispatcher, SetParameter, GetParameter, Process<float>, Process<double>,
                         2, ('D' << 24) | ('l' << 16) | ('a' << 8) | 'y');
  return &self->record;
}
