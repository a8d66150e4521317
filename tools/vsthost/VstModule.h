#pragma once
// A VST 2 module loaded into this process, as every host here loads one.

#include <memory>
#include <string>

#include "vst2/VstInterface.h"

namespace kestrune::host {

// Holds a module opened with dlopen and its entry point; the module is unloaded when this object goes,
// so effects created from it must be closed first. Movable, not copyable.
class VstModule {
 public:
  // Loads the regular file at path and finds VSTPluginMain, else main. Returns false and a reason that
  // names path when the file is missing or not a file, cannot be loaded, exports neither entry
  // point, or a module is already held.
  bool Open(const std::string& path, std::string& error);
  // Whether a module is held.
  bool IsOpen() const { return handle_ != nullptr; }
  // The entry point found by Open, or null.
  VstPluginMainProc EntryPoint() const { return entry_; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, Closer> handle_;
  VstPluginMainProc entry_ = nullptr;
};

}  // namespace kestrune::host
