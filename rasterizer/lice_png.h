#pragma once
// PNG decoding into 32-bit rasteriser bitmaps, driven through the system's libpng 1.6.
//
// Every loader returns the bitmap that holds the image, or null on any failure (missing or
// unreadable file, not a PNG, damaged or truncated data, bitmap allocation failed). Pixels come
// out as the native pixel (alpha in bits 24-31, then red, green, blue), straight alpha: images
// without alpha or transparency are opaque, 16-bit samples are reduced to 8 bits, palette, grey
// and low-bit-depth images are expanded to red, green, blue, and tRNS chunks become real alpha.
// Row 0 of the bitmap is the top row of the image.
//
// Ownership: with bmp null a new LICE_MemBitmap (line alignment 4) is created and handed to the
// caller, who deletes it through the interface. With bmp given, bmp is resized to the image and
// filled, and bmp itself is returned; after a decoding error it is left resized to the image
// size with undefined contents, and null is returned. A bitmap the loader created is never
// leaked, whatever the failure.

#include "rasterizer/lice_bitmap.h"

// Loads the PNG file at filename into bmp (or a new bitmap); null on failure.
LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp = nullptr);

// Loads a PNG held in memory (length bytes at data) into bmp (or a new bitmap). Returns null,
// without touching bmp, when length is below 8 or the data does not start with the PNG
// signature; null after any decoding error. A stream that ends early reads as zero bytes, which
// libpng then rejects.
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int length, LICE_IBitmap* bmp = nullptr);

// Loads the file <module dir>/resources/<name>, where <module dir> is the folder of the shared
// object (or executable) this loader is linked into. The name is used as given, sub-folders
// included and no extension added. Null when name is null or longer than 400 characters, when
// the module's path cannot be found or the full path exceeds 1535 bytes, or as LICE_LoadPNG.
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp = nullptr);

// Modules carry no embedded resources on this platform: always returns null.
LICE_IBitmap* LICE_LoadPNGFromResource(void* module, const char* resid, LICE_IBitmap* bmp = nullptr);

// One image format that a generic loader can try: the load function, the function returning its
// file-type list (pairs of zero-terminated description and pattern, ended by an empty string),
// and the next registered format.
struct LICE_ImageLoaderRec
{
  LICE_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, LICE_IBitmap* bmp);
  const char* (*get_extlist)();
  LICE_ImageLoaderRec* _next;
};

// Head of the process-wide list of registered image formats; the PNG loader puts itself at the
// front while the program starts, before any other code runs.
extern LICE_ImageLoaderRec* LICE_ImageLoader_list;

// The PNG format's entry in LICE_ImageLoader_list.
class LICE_PNGLoader
{
public:
  // Pushes this loader's record onto the front of LICE_ImageLoader_list.
  LICE_PNGLoader();

  // With checkFileName, null (the file is not opened) unless the name's tail from its last '.',
  // '/' or '\\' equals ".png" ignoring case; otherwise LICE_LoadPNG(filename, bmp).
  static LICE_IBitmap* loadfunc(const char* filename, bool checkFileName, LICE_IBitmap* bmp);

  // "PNG files (*.PNG)", then "*.PNG", each zero-terminated, then an empty string.
  static const char* get_extlist();

private:
  LICE_ImageLoaderRec rec_;
};
