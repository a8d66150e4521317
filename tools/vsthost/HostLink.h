#pragma once
// How a host's single callback finds the host object a plug-in's call belongs to.

#include <cstdint>

#include "vst2/VstInterface.h"

namespace kestrune::host {

// Links effect records to Host objects through the record's resvd1 field, which the interface
// reserves for the host. Calls made while an entry point runs carry no usable record yet; they go to
// the host whose creation is in progress on the calling thread.
template <typename Host>
class HostLink {
 public:
  // The host the call from effect belongs to: the linked one, else the one creating an effect on this
  // thread. Null when there is neither.
  static Host* Find(const AEffect* effect) {
    if (effect != nullptr && effect->resvd1 != 0) return reinterpret_cast<Host*>(effect->resvd1);
    return creating_;
  }

  // Calls entry with callback, routing calls made meanwhile to host, and links the record it returns
  // to host when it carries kEffectMagic. Returns the record as the entry point gave it (may be null
  // or lack the magic; the caller checks).
  static AEffect* Create(VstPluginMainProc entry, audioMasterCallback callback, Host& host) {
    AEffect* effect = nullptr;
    {
      CreationScope creation(host);
      effect = entry(callback);
    }
    if (effect != nullptr && effect->magic == kEffectMagic) Attach(effect, host);
    return effect;
  }

  // Links effect to host: Find(effect) answers host from now on.
  static void Attach(AEffect* effect, Host& host) { effect->resvd1 = reinterpret_cast<intptr_t>(&host); }

  // While it lives, Find() answers host for records not linked yet (calls on this thread only).
  class CreationScope {
   public:
    explicit CreationScope(Host& host) : previous_(creating_) { creating_ = &host; }
    ~CreationScope() { creating_ = previous_; }
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    Host* previous_;
  };

 private:
  static inline thread_local Host* creating_ = nullptr;
};

}  // namespace kestrune::host
