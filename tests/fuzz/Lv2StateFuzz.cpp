// Arbitrary bytes as the LV2 state property of a fresh Kestrune instance, restored through the
// state interface as a host would: a restore that fails changes nothing, one that succeeds leaves
// every parameter on its range, and the instance goes on producing finite sound either way.

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {

constexpr int kParams = 6;
constexpr uint32_t kFrames = 64;

std::vector<std::string> gUris;

LV2_URID Map(LV2_URID_Map_Handle, const char* uri)
{
  for (size_t i = 0; i < gUris.size(); ++i)
    if (gUris[i] == uri) return static_cast<LV2_URID>(i + 1);
  gUris.emplace_back(uri);
  return static_cast<LV2_URID>(gUris.size());
}

struct Property
{
  const uint8_t* data;
  size_t size;
  uint32_t type;
  std::vector<uint8_t> saved;
};

const void* Retrieve(LV2_State_Handle handle, uint32_t, size_t* size, uint32_t* type, uint32_t* flags)
{
  const Property* p = static_cast<const Property*>(handle);
  *size = p->size;
  *type = p->type;
  *flags = LV2_STATE_IS_POD;
  return p->data;
}

LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t, uint32_t)
{
  const uint8_t* bytes = static_cast<const uint8_t*>(value);
  static_cast<Property*>(handle)->saved.assign(bytes, bytes + size);
  return LV2_STATE_SUCCESS;
}

} // namespace

// The first byte chooses the property's type (mostly a chunk); the rest are its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1 || size > (1 << 16)) return 0;
  LV2_URID_Map map = {nullptr, Map};
  const LV2_Feature mapFeature = {LV2_URID__map, &map};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  const LV2_Descriptor* descriptor = lv2_descriptor(0);
  LV2_Handle instance = descriptor->instantiate(descriptor, 44100.0, "", features);
  if (!instance) __builtin_trap();
  const auto* state = static_cast<const LV2_State_Interface*>(descriptor->extension_data(LV2_STATE__interface));

  float controls[kParams] = {0.5f, 0.f, 0.5f, 0.f, 0.5f, 1.f};
  float in[2][kFrames], out[2][kFrames];
  for (uint32_t i = 0; i < kFrames; ++i) in[0][i] = in[1][i] = (i % 16) / 8.f - 1.f;
  for (uint32_t p = 0; p < kParams; ++p) descriptor->connect_port(instance, p, &controls[p]);
  for (uint32_t c = 0; c < 2; ++c)
  {
    descriptor->connect_port(instance, kParams + c, in[c]);
    descriptor->connect_port(instance, kParams + 2 + c, out[c]);
  }

  Property before = {nullptr, 0, 0, {}};
  state->save(instance, Store, &before, 0, nullptr);
  Property property = {data + 1, size - 1, data[0] < 0xF0 ? Map(nullptr, LV2_ATOM__Chunk) : data[0], {}};
  const LV2_State_Status status = state->restore(instance, Retrieve, &property, 0, nullptr);
  Property after = {nullptr, 0, 0, {}};
  state->save(instance, Store, &after, 0, nullptr);

  if (status != LV2_STATE_SUCCESS && after.saved != before.saved) __builtin_trap();
  if (after.saved.size() != 8 + 8 * kParams) __builtin_trap();
  for (int p = 0; p < kParams; ++p)
  {
    double v;
    memcpy(&v, after.saved.data() + 8 + 8 * p, sizeof(v));
    if (!(v >= 0.0 && v <= 1.0)) __builtin_trap();
  }

  descriptor->run(instance, kFrames);
  for (uint32_t c = 0; c < 2; ++c)
    for (uint32_t i = 0; i < kFrames; ++i)
      if (!std::isfinite(out[c][i])) __builtin_trap();
  descriptor->cleanup(instance);
  return 0;
}
