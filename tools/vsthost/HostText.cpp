#include "tools/vsthost/HostText.h"

#include <cstring>

namespace kestrune::host {

intptr_t CopyHostText(void* buffer, const char* text, size_t capacity) {
  if (buffer == nullptr) return 0;
  std::strncpy(static_cast<char*>(buffer), text, capacity - 1);
  static_cast<char*>(buffer)[capacity - 1] = '\0';
  return 1;
}

}  // namespace kestrune::host
