#pragma once
// Encodes small PNG images with libpng's writer, so that the loader tests decode files whose
// every sample is known.

#include <cstdint>
#include <string>
#include <vector>

struct PngTestImage
{
  int width = 0;
  int height = 0;
  int bitDepth = 8;
  int colourType = 2;  // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
  bool interlaced = false;
  std::vector<uint8_t> palette;  // red, green, blue per entry (colour type 3)
  std::vector<uint8_t> trns;     // tRNS chunk: alpha per palette entry, or one grey/RGB key
  std::vector<uint8_t> rows;     // packed rows exactly as stored in the PNG (16-bit big-endian)
};

// The encoded file, or an empty vector when libpng rejects the description.
std::vector<uint8_t> EncodePng(const PngTestImage& image);

// Writes bytes to path; false when the file cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
