#include "platform/headless/XdgPaths.h"

#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace {

std::string Env(const char* name)
{
  const char* value = getenv(name);
  return value ? value : "";
}

// The value of `key="..."` in an XDG user-dirs file line, with $HOME expanded; empty when the
// line does not set key.
std::string UserDirValue(const std::string& line, const std::string& key, const std::string& home)
{
  if (line.compare(0, key.size() + 2, key + "=\"") != 0) return "";
  const size_t start = key.size() + 2, end = line.rfind('"');
  if (end == std::string::npos || end < start) return "";
  std::string value = line.substr(start, end - start);
  if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
  return value.empty() || value[0] != '/' ? "" : value;
}

} // namespace

std::string ModuleFilePath()
{
  Dl_info info;
  if (!dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) || !info.dli_fname) return "";
  char resolved[4096];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

std::string ModuleFolderPath()
{
  const std::string file = ModuleFilePath();
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? "" : file.substr(0, slash + 1);
}

std::string HomeFolderPath()
{
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid())) return pw->pw_dir ? pw->pw_dir : "";
  return "";
}

std::string DesktopFolderPath()
{
  const std::string home = HomeFolderPath();
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') config = home + "/.config";
  std::ifstream dirs(config + "/user-dirs.dirs");
  for (std::string line; std::getline(dirs, line);)
  {
    const std::string value = UserDirValue(line, "XDG_DESKTOP_DIR", home);
    if (!value.empty()) return value;
  }
  return home.empty() ? "" : home + "/Desktop";
}

std::string DataFolderPath(bool system)
{
  if (system) return "/usr/local/share";
  const std::string data = Env("XDG_DATA_HOME");
  if (!data.empty() && data[0] == '/') return data;
  const std::string home = HomeFolderPath();
  return home.empty() ? "" : home + "/.local/share";
}
