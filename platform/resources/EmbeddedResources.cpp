#include "platform/resources/EmbeddedResources.h"

#include <climits>
#include <cstring>
#include <strings.h>

#include "rasterizer/lice_png.h"

namespace
{

constexpr char kImageExtension[] = ".png";
constexpr size_t kExtensionLength = sizeof(kImageExtension) - 1;

}  // namespace

const EmbeddedResource* FindEmbeddedResource(const EmbeddedResourceTable& table, const char* name)
{
  if (!name) return nullptr;
  for (size_t i = 0; i < table.count; ++i)
  {
    if (std::strcmp(table.entries[i].name, name) == 0) return &table.entries[i];
  }
  return nullptr;
}

const EmbeddedResource* FindEmbeddedImage(const EmbeddedResourceTable& table, const char* name)
{
  if (!name) return nullptr;
  const char* base = name;
  for (const char* p = name; *p; ++p)
  {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  const size_t length = std::strlen(base);
  if (length < kExtensionLength || strcasecmp(base + length - kExtensionLength, kImageExtension) != 0) return nullptr;
  const size_t stem = length - kExtensionLength;
  for (size_t i = 0; i < table.count; ++i)
  {
    const char* entry = table.entries[i].name;
    if (std::strncmp(entry, base, stem) == 0 && std::strcmp(entry + stem, kImageExtension) == 0)
      return &table.entries[i];
  }
  return nullptr;
}

LICE_IBitmap* LoadEmbeddedImage(const EmbeddedResourceTable& table, const char* name)
{
  const EmbeddedResource* image = FindEmbeddedImage(table, name);
  if (!image || image->size > size_t(INT_MAX)) return nullptr;
  return LICE_LoadPNGFromMemory(image->data, int(image->size), nullptr);
}
