// A VST 2 module with a tail, as a delay or reverb has: a feedback echo, y[n] = x[n] + g·y[n - D],
// with D a twentieth of a second and g the parameter "Feedback" (normalised, default 0.5). Once the
// input stops, every output sample is g times the one D frames earlier, so with g = 0.5 the tail
// halves every echo and is exactly reproducible.
//
// effGetTailSize: the frames the echoes take to fall by 120 dB (20 echoes for g = 0.5), 1 ("no tail")
// for g = 0, and the largest answer there is for g = 1, which never decays.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/tools/StereoEffectRecord.h"
#include "vst2/VstInterface.h"

namespace {

struct EchoEffect {
  AEffect record{};
  float feedback = 0.5f;
  double sampleRate = 44100.0;
  std::vector<double> history[2];
  size_t position = 0;
};

EchoEffect* Self(AEffect* effect) { return static_cast<EchoEffect*>(effect->object); }

size_t EchoFrames(const EchoEffect* self) { return static_cast<size_t>(self->sampleRate / 20.0); }

intptr_t TailSize(const EchoEffect* self) {
  if (self->feedback <= 0.f) return 1;
  if (self->feedback >= 1.f) return INT32_MAX;
  const double echoes = std::ceil(std::log(1e-6) / std::log(static_cast<double>(self->feedback)));
  return static_cast<intptr_t>(echoes) * static_cast<intptr_t>(EchoFrames(self));
}

intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  EchoEffect* self = Self(effect);
  switch (opcode) {
    case effClose:
      delete self;
      return 0;
    case effSetSampleRate:
      if (opt > 0.f) self->sampleRate = opt;
      return 0;
    case effMainsChanged:
      if (value != 0) {
        for (std::vector<double>& channel : self->history) channel.assign(EchoFrames(self), 0.0);
        self->position = 0;
      }
      return 0;
    case effGetTailSize:
      return TailSize(self);
    case effGetParamName:
      if (index == 0) std::strcpy(static_cast<char*>(ptr), "Feedback");
      return 0;
    default:
      return 0;
  }
}

template <typename Sample>
void Process(AEffect* effect, Sample** inputs, Sample** outputs, int32_t frames) {
  EchoEffect* self = Self(effect);
  const size_t length = self->history[0].size();
  if (length == 0) return;  // not resumed
  for (int32_t f = 0; f < frames; ++f) {
    for (int c = 0; c < 2; ++c) {
      const double y = inputs[c][f] + self->feedback * self->history[c][self->position];
      self->history[c][self->position] = y;
      outputs[c][f] = static_cast<Sample>(y);
    }
    self->position = (self->position + 1) % length;
  }
}

void SetParameter(AEffect* effect, int32_t index, float value) {
  if (index == 0) Self(effect)->feedback = value;
}

float GetParameter(AEffect* effect, int32_t index) { return index == 0 ? Self(effect)->feedback : 0.f; }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  auto* self = new EchoEffect();
  FillStereoEffectRecord(self->record, self, Dispatcher, SetParameter, GetParameter, Process<float>, Process<double>,
                         1, ('E' << 24) | ('c' << 16) | ('h' << 8) | 'o');
  return &self->record;
}
