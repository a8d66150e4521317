#include "tools/vsthost/VstModule.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace kestrune::host {

void VstModule::Closer::operator()(void* handle) const { dlclose(handle); }

bool VstModule::Open(const std::string& path, std::string& error) {
  if (handle_) {
    error = "cannot load plug-in \"" + path + "\": a module is already loaded";
    return false;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    error = "cannot load plug-in \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "\"" + path + "\" is not a VST 2 module: it is not a file";
    return false;
  }
  // A name without a slash would make dlopen search the library path instead of this file.
  const std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  std::unique_ptr<void, Closer> handle(dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) {
    const char* reason = dlerror();
    error = "\"" + path + "\" is not a VST 2 module: " + (reason != nullptr ? reason : "it cannot be loaded");
    return false;
  }
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle.get(), "VSTPluginMain"));
  if (entry == nullptr) entry = reinterpret_cast<VstPluginMainProc>(dlsym(handle.get(), "main"));
  if (entry == nullptr) {
    error = "\"" + path + "\" is not a VST 2 module: it exports neither VSTPluginMain nor main";
    return false;
  }
  handle_ = std::move(handle);
  entry_ = entry;
  return true;
}

}  // namespace kestrune::host
