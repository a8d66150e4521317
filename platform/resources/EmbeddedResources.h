#pragma once
// Files compiled into a module, and the image lookup that the editor's hosts on this platform
// (X11 and headless) perform over them where the original platform searches its bundle: a module
// here is one shared object, so its panel images travel inside it.

#include <cstddef>

#include "rasterizer/lice_bitmap.h"

// One embedded file: its file name (no folder, e.g. "bg.png") and its bytes.
struct EmbeddedResource
{
  const char* name;
  const unsigned char* data;
  size_t size;
};

// The files a module carries, in any order, names unique.
struct EmbeddedResourceTable
{
  const EmbeddedResource* entries;
  size_t count;
};

// The file named exactly name in table, or null (also for a null name).
const EmbeddedResource* FindEmbeddedResource(const EmbeddedResourceTable& table, const char* name);

// The embedded file an editor means by an image name: only a name that ends in ".png" (in any
// case) names one; its folder part (up to the last '/' or '\\') is dropped and the file whose name
// is the remaining base name followed by ".png" is looked up, the base name matched exactly.
// Null for a null name, any other extension, or a base name not in table.
const EmbeddedResource* FindEmbeddedImage(const EmbeddedResourceTable& table, const char* name);

// Decodes the image FindEmbeddedImage finds into a new bitmap that the caller owns (deleted
// through the interface); null when it finds none or the file does not decode as a PNG.
LICE_IBitmap* LoadEmbeddedImage(const EmbeddedResourceTable& table, const char* name);
