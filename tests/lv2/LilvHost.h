// A small LV2 host for tests, on lilv: loads one bundle, instantiates its plug-in with a URID map,
// connects every port to its own buffers, runs blocks, and saves and restores state the way lilv
// hosts do (port values and the plug-in's properties together).
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kestrune_test {

// URIs to numbers from 1, one per distinct URI, and back.
class UridMap {
 public:
  UridMap();
  UridMap(const UridMap&) = delete;
  UridMap& operator=(const UridMap&) = delete;

  LV2_URID Map(const char* uri);
  // The URI of urid, or null.
  const char* Unmap(LV2_URID urid);
  LV2_URID_Map* MapFeature() { return &map_; }
  LV2_URID_Unmap* UnmapFeature() { return &unmap_; }

 private:
  std::mutex mutex_;
  std::vector<std::string> uris_;
  LV2_URID_Map map_;
  LV2_URID_Unmap unmap_;
};

// A lilv world that holds exactly one bundle (nothing from the system's LV2 path).
class Lv2World {
 public:
  // bundlePath: the bundle folder, with or without a trailing '/'.
  explicit Lv2World(const std::string& bundlePath);
  ~Lv2World();
  Lv2World(const Lv2World&) = delete;
  Lv2World& operator=(const Lv2World&) = delete;

  LilvWorld* World() const { return world_; }
  // The plug-in with this URI, or null.
  const LilvPlugin* Plugin(const char* uri) const;
  UridMap& Urids() { return urids_; }
  // A URI node owned by the world object (freed with it).
  const LilvNode* Uri(const std::string& uri);

 private:
  LilvWorld* world_;
  UridMap urids_;
  std::map<std::string, LilvNode*> nodes_;
};

// One instance of a plug-in, every port connected: control ports to values the test sets, audio
// ports to float buffers of maxFrames frames.
class Lv2Instance {
 public:
  // withMap false instantiates without any feature, as the simplest hosts do.
  Lv2Instance(Lv2World& world, const LilvPlugin* plugin, double sampleRate, uint32_t maxFrames = 8192,
              bool withMap = true);
  ~Lv2Instance();
  Lv2Instance(const Lv2Instance&) = delete;
  Lv2Instance& operator=(const Lv2Instance&) = delete;

  // False when the plug-in refused to instantiate.
  bool Ok() const { return instance_ != nullptr; }
  LilvInstance* Instance() const { return instance_; }
  const LilvPlugin* Plugin() const { return plugin_; }

  // Control port values by symbol (the test fails on an unknown symbol).
  void Set(const std::string& symbol, float value);
  float Get(const std::string& symbol) const;
  // Points a port at data (null to disconnect it) instead of the host's own buffer.
  void Connect(const std::string& symbol, void* data);

  void Activate();
  void Deactivate();
  // Runs n <= maxFrames frames: inputs[c] holds channel c's samples; outputs are resized to n.
  void Run(const std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs,
           uint32_t n);
  int AudioInputs() const { return static_cast<int>(audioIn_.size()); }
  int AudioOutputs() const { return static_cast<int>(audioOut_.size()); }

  // Saves state with port values through lilv; the caller frees it with lilv_state_free.
  LilvState* Save();
  // Restores a state through lilv, port values included.
  void Restore(const LilvState* state);
  // The plug-in's state interface, or null.
  const LV2_State_Interface* StateInterface() const;

 private:
  struct AudioPort {
    uint32_t index;
    std::vector<float> buffer;
  };
  static const void* PortValue(const char* symbol, void* user, uint32_t* size, uint32_t* type);
  static void SetPortValue(const char* symbol, void* user, const void* value, uint32_t size, uint32_t type);
  float* ControlSlot(const std::string& symbol);

  Lv2World& world_;
  const LilvPlugin* plugin_;
  LilvInstance* instance_ = nullptr;
  uint32_t maxFrames_;
  std::map<std::string, uint32_t> controlIndex_;
  std::vector<float> controls_;
  std::vector<AudioPort> audioIn_, audioOut_;
  LV2_Feature mapFeature_;
  LV2_Feature unmapFeature_;
  std::vector<const LV2_Feature*> features_;
};

}  // namespace kestrune_test
