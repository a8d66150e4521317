#include "tests/lv2/LilvHost.h"

#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cstring>

namespace kestrune_test {

UridMap::UridMap() {
  map_.handle = this;
  map_.map = [](LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridMap*>(handle)->Map(uri); };
  unmap_.handle = this;
  unmap_.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    return static_cast<UridMap*>(handle)->Unmap(urid);
  };
}

LV2_URID UridMap::Map(const char* uri) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t i = 0; i < uris_.size(); ++i) {
    if (uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
  }
  uris_.emplace_back(uri);
  return static_cast<LV2_URID>(uris_.size());
}

const char* UridMap::Unmap(LV2_URID urid) {
  std::lock_guard<std::mutex> lock(mutex_);
  return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr;
}

Lv2World::Lv2World(const std::string& bundlePath) : world_(lilv_world_new()) {
  const std::string folder = bundlePath.back() == '/' ? bundlePath : bundlePath + "/";
  LilvNode* bundle = lilv_new_file_uri(world_, nullptr, folder.c_str());
  lilv_world_load_bundle(world_, bundle);
  lilv_node_free(bundle);
}

Lv2World::~Lv2World() {
  for (auto& entry : nodes_) lilv_node_free(entry.second);
  lilv_world_free(world_);
}

const LilvNode* Lv2World::Uri(const std::string& uri) {
  LilvNode*& node = nodes_[uri];
  if (!node) node = lilv_new_uri(world_, uri.c_str());
  return node;
}

const LilvPlugin* Lv2World::Plugin(const char* uri) const {
  LilvNode* node = lilv_new_uri(world_, uri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), node);
  lilv_node_free(node);
  return plugin;
}

Lv2Instance::Lv2Instance(Lv2World& world, const LilvPlugin* plugin, double sampleRate, uint32_t maxFrames,
                         bool withMap)
    : world_(world), plugin_(plugin), maxFrames_(maxFrames) {
  mapFeature_ = {LV2_URID__map, world.Urids().MapFeature()};
  unmapFeature_ = {LV2_URID__unmap, world.Urids().UnmapFeature()};
  if (withMap) {
    features_.push_back(&mapFeature_);
    features_.push_back(&unmapFeature_);
  }
  features_.push_back(nullptr);
  if (!plugin_) return;
  instance_ = lilv_plugin_instantiate(plugin_, sampleRate, features_.data());
  if (!instance_) return;

  const uint32_t nPorts = lilv_plugin_get_num_ports(plugin_);
  std::vector<float> defaults(nPorts);
  lilv_plugin_get_port_ranges_float(plugin_, nullptr, nullptr, defaults.data());
  controls_.assign(nPorts, 0.f);
  for (uint32_t i = 0; i < nPorts; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, i);
    const bool input = lilv_port_is_a(plugin_, port, world_.Uri(LV2_CORE__InputPort));
    if (lilv_port_is_a(plugin_, port, world_.Uri(LV2_CORE__ControlPort))) {
      controlIndex_[lilv_node_as_string(lilv_port_get_symbol(plugin_, port))] = i;
      controls_[i] = defaults[i];
      lilv_instance_connect_port(instance_, i, &controls_[i]);
    } else if (lilv_port_is_a(plugin_, port, world_.Uri(LV2_CORE__AudioPort))) {
      (input ? audioIn_ : audioOut_).push_back(AudioPort{i, std::vector<float>(maxFrames_)});
    }
  }
  for (AudioPort& port : audioIn_) lilv_instance_connect_port(instance_, port.index, port.buffer.data());
  for (AudioPort& port : audioOut_) lilv_instance_connect_port(instance_, port.index, port.buffer.data());
}

Lv2Instance::~Lv2Instance() {
  if (instance_) lilv_instance_free(instance_);
}

float* Lv2Instance::ControlSlot(const std::string& symbol) {
  auto it = controlIndex_.find(symbol);
  EXPECT_NE(it, controlIndex_.end()) << "no control port " << symbol;
  return it == controlIndex_.end() ? nullptr : &controls_[it->second];
}

void Lv2Instance::Set(const std::string& symbol, float value) {
  if (float* slot = ControlSlot(symbol)) *slot = value;
}

float Lv2Instance::Get(const std::string& symbol) const {
  return const_cast<Lv2Instance*>(this)->ControlSlot(symbol) ? controls_[controlIndex_.at(symbol)] : 0.f;
}

void Lv2Instance::Connect(const std::string& symbol, void* data) {
  LilvNode* node = lilv_new_string(world_.World(), symbol.c_str());
  const LilvPort* found = lilv_plugin_get_port_by_symbol(plugin_, node);
  lilv_node_free(node);
  ASSERT_NE(found, nullptr) << symbol;
  lilv_instance_connect_port(instance_, lilv_port_get_index(plugin_, found), data);
}

void Lv2Instance::Activate() { lilv_instance_activate(instance_); }

void Lv2Instance::Deactivate() { lilv_instance_deactivate(instance_); }

void Lv2Instance::Run(const std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs,
                      uint32_t n) {
  ASSERT_LE(n, maxFrames_);
  ASSERT_EQ(inputs.size(), audioIn_.size());
  for (size_t c = 0; c < audioIn_.size(); ++c) std::copy_n(inputs[c].begin(), n, audioIn_[c].buffer.begin());
  lilv_instance_run(instance_, n);
  outputs.resize(audioOut_.size());
  for (size_t c = 0; c < audioOut_.size(); ++c) outputs[c].assign(audioOut_[c].buffer.begin(), audioOut_[c].buffer.begin() + n);
}

const void* Lv2Instance::PortValue(const char* symbol, void* user, uint32_t* size, uint32_t* type) {
  Lv2Instance* self = static_cast<Lv2Instance*>(user);
  auto it = self->controlIndex_.find(symbol);
  if (it == self->controlIndex_.end()) return nullptr;
  *size = sizeof(float);
  *type = self->world_.Urids().Map(LV2_ATOM__Float);
  return &self->controls_[it->second];
}

void Lv2Instance::SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type) {
  Lv2Instance* self = static_cast<Lv2Instance*>(user);
  auto it = self->controlIndex_.find(symbol);
  if (it == self->controlIndex_.end()) return;
  UridMap& urids = self->world_.Urids();
  float v = 0.f;
  if (type == urids.Map(LV2_ATOM__Float) && size == sizeof(float)) {
    memcpy(&v, value, sizeof(v));
  } else if (type == urids.Map(LV2_ATOM__Double) && size == sizeof(double)) {
    double d;
    memcpy(&d, value, sizeof(d));
    v = static_cast<float>(d);
  } else if (type == urids.Map(LV2_ATOM__Int) && size == sizeof(int32_t)) {
    int32_t i;
    memcpy(&i, value, sizeof(i));
    v = static_cast<float>(i);
  } else {
    ADD_FAILURE() << "port value of an unexpected type for " << symbol;
    return;
  }
  self->controls_[it->second] = v;
}

LilvState* Lv2Instance::Save() {
  return lilv_state_new_from_instance(plugin_, instance_, world_.Urids().MapFeature(), nullptr, nullptr, nullptr,
                                      nullptr, PortValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                      features_.data());
}

void Lv2Instance::Restore(const LilvState* state) {
  lilv_state_restore(state, instance_, SetPortValue, this, 0, features_.data());
}

const LV2_State_Interface* Lv2Instance::StateInterface() const {
  return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
}

}  // namespace kestrune_test
