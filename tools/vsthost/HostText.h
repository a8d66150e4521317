#pragma once
// Texts a host hands to a plug-in that asked for them (vendor, product).

#include <cstddef>
#include <cstdint>

namespace kestrune::host {

// Copies text into the plug-in's buffer of capacity bytes, cut to fit and always terminated.
// Returns 1, or 0 and writes nothing when the buffer is null.
intptr_t CopyHostText(void* buffer, const char* text, size_t capacity);

}  // namespace kestrune::host
