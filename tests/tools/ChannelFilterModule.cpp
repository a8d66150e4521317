// A VST 2 module whose two channels sound different, each with a gain known in closed form: the left
// output is its input, the right output the mean of its input and the input one frame earlier,
// y[n] = (x[n] + x[n - 1]) / 2, whose gain at frequency f is cos(pi f / rate).

#include <cstdint>

#include "tests/tools/StereoEffectRecord.h"
#include "vst2/VstInterface.h"

namespace {

struct ChannelFilter {
  AEffect record{};
  double previous = 0.0;  // the right input one frame ago
};

ChannelFilter* Self(AEffect* effect) { return static_cast<ChannelFilter*>(effect->object); }

intptr_t Dispatcher(AEffect* effect, int32_t opcode, int32_t, intptr_t, void*, float) {
  if (opcode == effClose) delete Self(effect);
  return 0;
}

template <typename Sample>
void Process(AEffect* effect, Sample** inputs, Sample** outputs, int32_t frames) {
  ChannelFilter* self = Self(effect);
  for (int32_t f = 0; f < frames; ++f) {
    const double right = inputs[1][f];
    outputs[0][f] = inputs[0][f];
    outputs[1][f] = static_cast<Sample>(0.5 * (right + self->previous));
    self->previous = right;
  }
}

void SetParameter(AEffect*, int32_t, float) {}
float GetParameter(AEffect*, int32_t) { return 0.f; }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback) {
  auto* self = new ChannelFilter();
  FillStereoEffectRecord(self->record, self, Dispatcher, SetParameter, GetParameter, Process<float>, Process<double>,
                         0, ('C' << 24) | ('h' << 16) | ('F' << 8) | 'l');
  return &self->record;
}
