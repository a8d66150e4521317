// LV2 state: a session saved from one instance restores identically into a fresh one, carries the
// same chunk as the VST 2 build, and a hostile or truncated state changes nothing.

#include "tests/lv2/Lv2TestSupport.h"

#include <lv2/atom/atom.h>

#include <cstring>

namespace kestrune_test {
namespace {

const char* const kStateKey = "https://www.orvantic.com/plugins/kestrune#state";

// One property handed to the plug-in's restore: bytes of a type, under a key (null: none found).
struct Property {
  const char* key;
  const char* type;
  std::vector<unsigned char> bytes;
};

struct RetrieveContext {
  UridMap* urids;
  const Property* property;
  std::vector<unsigned char> stored;
  uint32_t storedType = 0;
};

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
  auto* context = static_cast<RetrieveContext*>(handle);
  const Property* p = context->property;
  if (!p || !p->key || key != context->urids->Map(p->key)) return nullptr;
  *size = p->bytes.size();
  *type = context->urids->Map(p->type);
  *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
  return p->bytes.data();
}

LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t type, uint32_t) {
  auto* context = static_cast<RetrieveContext*>(handle);
  const auto* bytes = static_cast<const unsigned char*>(value);
  context->stored.assign(bytes, bytes + size);
  context->storedType = type;
  return LV2_STATE_SUCCESS;
}

// The state property as the plug-in saves it through its state interface.
std::vector<unsigned char> SavedChunk(Lv2World& world, Lv2Instance& instance) {
  RetrieveContext context{&world.Urids(), nullptr, {}, 0};
  const LV2_State_Interface* state = instance.StateInterface();
  EXPECT_NE(state, nullptr);
  if (!state) return {};
  EXPECT_EQ(state->save(lilv_instance_get_handle(instance.Instance()), Store, &context, 0, nullptr), LV2_STATE_SUCCESS);
  EXPECT_EQ(context.storedType, world.Urids().Map(LV2_ATOM__Chunk));
  return context.stored;
}

LV2_State_Status RestoreProperty(Lv2World& world, Lv2Instance& instance, const Property* property) {
  RetrieveContext context{&world.Urids(), property, {}, 0};
  return instance.StateInterface()->restore(lilv_instance_get_handle(instance.Instance()), Retrieve, &context, 0,
                                            nullptr);
}

// A program chunk: the version header, then one double per parameter.
std::vector<unsigned char> ProgramChunk(const std::vector<double>& values) {
  std::vector<unsigned char> bytes = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  for (double v : values) {
    unsigned char b[8];
    memcpy(b, &v, 8);
    bytes.insert(bytes.end(), b, b + 8);
  }
  return bytes;
}

TEST(Lv2State, SavedSessionRestoresIntoAFreshInstanceWithTheSameSound) {
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  Lv2Instance original(world, plugin, 48000.0);
  ASSERT_TRUE(original.Ok());
  const float settings[kNumParams] = {0.75f, 1.f, 0.3f, 1.f, 0.8125f, 1.f};
  for (int p = 0; p < kNumParams; ++p) original.Set(kSymbols[p], settings[p]);
  const Channels input = Noise(6000, 0.6f, 21);
  Channels discard;
  RenderLv2(original, input, 0, 2000, 500, discard);

  // Saved and loaded back as Turtle text, the way hosts keep sessions and presets.
  LilvState* saved = original.Save();
  ASSERT_NE(saved, nullptr);
  char* text = lilv_state_to_string(world.World(), world.Urids().MapFeature(), world.Urids().UnmapFeature(), saved,
                                    "urn:kestrune:test-session", nullptr);
  lilv_state_free(saved);
  ASSERT_NE(text, nullptr);
  LilvState* loaded = lilv_state_new_from_string(world.World(), world.Urids().MapFeature(), text);
  lilv_free(text);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(lilv_state_get_num_properties(loaded), 1u);

  Lv2Instance restored(world, plugin, 48000.0), configured(world, plugin, 48000.0);
  ASSERT_TRUE(restored.Ok() && configured.Ok());
  restored.Restore(loaded);
  lilv_state_free(loaded);
  for (int p = 0; p < kNumParams; ++p) {
    EXPECT_EQ(restored.Get(kSymbols[p]), settings[p]) << kSymbols[p];
    configured.Set(kSymbols[p], settings[p]);
  }
  Channels a, b;
  RenderLv2(restored, input, 0, 6000, 333, a);
  RenderLv2(configured, input, 0, 6000, 1000, b);
  EXPECT_EQ(a, b);
  EXPECT_EQ(SavedChunk(world, restored), SavedChunk(world, original));
}

TEST(Lv2State, CarriesTheVst2ProgramChunkInFullPrecisionBothWays) {
  // Values no single-precision control port can hold exactly.
  const std::vector<double> values = {0.3, 1.0, 0.7, 0.0, 0.1, 0.0};
  const Channels input = Noise(4000, 0.5f, 8);

  Vst2Kestrune vst(44100.f);
  ASSERT_TRUE(vst.Loaded());
  std::vector<unsigned char> vstChunk = ProgramChunk(values);
  ASSERT_EQ(vst.Host().Dispatch(effSetChunk, 1, static_cast<intptr_t>(vstChunk.size()), vstChunk.data()), 1);
  void* data = nullptr;
  const intptr_t size = vst.Host().Dispatch(effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 56);
  const std::vector<unsigned char> vstSaved(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  Channels expected;
  vst.Render(input, 0, 4000, expected);

  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  // The host echoes the restored values into the ports (as lilv does), or leaves the ports alone.
  for (bool echo : {true, false}) {
    Lv2Instance instance(world, plugin, 44100.0);
    ASSERT_TRUE(instance.Ok());
    const Property property{kStateKey, LV2_ATOM__Chunk, vstSaved};
    ASSERT_EQ(RestoreProperty(world, instance, &property), LV2_STATE_SUCCESS);
    if (echo) {
      for (int p = 0; p < kNumParams; ++p)
        instance.Set(kSymbols[p], p == kBypass ? static_cast<float>(1.0 - values[p]) : static_cast<float>(values[p]));
    }
    Channels out;
    RenderLv2(instance, input, 0, 4000, 512, out);
    EXPECT_EQ(out, expected) << (echo ? "ports echoed" : "ports left alone");
    EXPECT_EQ(SavedChunk(world, instance), vstSaved);
  }

  // And back: what the LV2 build saves, the VST 2 build reads as its own program chunk.
  Lv2Instance source(world, plugin, 44100.0);
  ASSERT_TRUE(source.Ok());
  const Property property{kStateKey, LV2_ATOM__Chunk, vstSaved};
  ASSERT_EQ(RestoreProperty(world, source, &property), LV2_STATE_SUCCESS);
  std::vector<unsigned char> lv2Saved = SavedChunk(world, source);
  Vst2Kestrune target(44100.f);
  ASSERT_TRUE(target.Loaded());
  ASSERT_EQ(target.Host().Dispatch(effSetChunk, 1, static_cast<intptr_t>(lv2Saved.size()), lv2Saved.data()), 1);
  Channels out;
  target.Render(input, 0, 4000, out);
  EXPECT_EQ(out, expected);
}

TEST(Lv2State, HostileOrTruncatedStateChangesNothing) {
  Lv2World world(kBundlePath);
  const LilvPlugin* plugin = world.Plugin(kKestruneUri);
  const std::vector<double> good = {0.25, 1.0, 0.75, 1.0, 0.5, 0.0};
  const std::vector<unsigned char> chunk = ProgramChunk(good);
  std::vector<unsigned char> headerless(chunk.begin() + 8, chunk.end());
  std::vector<unsigned char> noise(56);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<unsigned char>(i * 37 + 11);
  const std::vector<Property> hostile = {
      {kStateKey, LV2_ATOM__Chunk, {}},
      {kStateKey, LV2_ATOM__Chunk, {0x74, 0x66, 0x66, 0x70}},
      {kStateKey, LV2_ATOM__Chunk, std::vector<unsigned char>(chunk.begin(), chunk.begin() + 8)},
      {kStateKey, LV2_ATOM__Chunk, std::vector<unsigned char>(chunk.begin(), chunk.begin() + 28)},
      {kStateKey, LV2_ATOM__Chunk, std::vector<unsigned char>(chunk.begin(), chunk.end() - 1)},
      {kStateKey, LV2_ATOM__Chunk, headerless},
      {kStateKey, LV2_ATOM__Chunk, noise},
      {kStateKey, LV2_ATOM__String, chunk},
      {kStateKey, LV2_ATOM__Chunk, std::vector<unsigned char>((1 << 20) + 1, 0x74)},
      {"https://www.orvantic.com/plugins/kestrune#other", LV2_ATOM__Chunk, chunk},
      {nullptr, LV2_ATOM__Chunk, chunk}};
  const Channels input = Noise(3000, 0.5f, 4);

  Lv2Instance untouched(world, plugin, 44100.0);
  ASSERT_TRUE(untouched.Ok());
  untouched.Set("out", 0.625f);
  Channels expected;
  RenderLv2(untouched, input, 0, 3000, 1000, expected);
  const std::vector<unsigned char> before = SavedChunk(world, untouched);

  for (size_t i = 0; i < hostile.size(); ++i) {
    Lv2Instance instance(world, plugin, 44100.0);
    ASSERT_TRUE(instance.Ok());
    instance.Set("out", 0.625f);
    Channels out;
    RenderLv2(instance, input, 0, 1000, 1000, out);
    EXPECT_NE(RestoreProperty(world, instance, &hostile[i]), LV2_STATE_SUCCESS) << i;
    EXPECT_EQ(SavedChunk(world, instance), before) << i;
    RenderLv2(instance, input, 1000, 2000, 1000, out);
    EXPECT_EQ(out, expected) << i;
  }

  // Values outside their ranges are limited, and not-a-number reads as the minimum, as in the VST 2
  // build; the parameters after them are still read.
  Lv2Instance limited(world, plugin, 44100.0);
  ASSERT_TRUE(limited.Ok());
  const Property wild{kStateKey, LV2_ATOM__Chunk, ProgramChunk({2.0, std::nan(""), -1.0, HUGE_VAL, 0.5, 7.0})};
  EXPECT_EQ(RestoreProperty(world, limited, &wild), LV2_STATE_SUCCESS);
  EXPECT_EQ(SavedChunk(world, limited), ProgramChunk({1.0, 0.0, 0.0, 1.0, 0.5, 1.0}));
}

TEST(Lv2State, WithoutAUridMapStateFailsCleanlyAndSoundIsUnaffected) {
  Lv2World world(kBundlePath);
  Lv2Instance bare(world, world.Plugin(kKestruneUri), 44100.0, 8192, false);
  ASSERT_TRUE(bare.Ok());
  const LV2_State_Interface* state = bare.StateInterface();
  ASSERT_NE(state, nullptr);
  RetrieveContext context{&world.Urids(), nullptr, {}, 0};
  LV2_Handle handle = lilv_instance_get_handle(bare.Instance());
  EXPECT_EQ(state->save(handle, Store, &context, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_EQ(state->restore(handle, Retrieve, &context, 0, nullptr), LV2_STATE_ERR_NO_FEATURE);
  EXPECT_TRUE(context.stored.empty());

  Lv2Instance mapped(world, world.Plugin(kKestruneUri), 44100.0);
  Channels a, b;
  const Channels input = Noise(2000, 0.5f, 9);
  RenderLv2(bare, input, 0, 2000, 700, a);
  RenderLv2(mapped, input, 0, 2000, 700, b);
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace kestrune_test
