#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/swell_types.h"

// The record behind an HDC. Memory contexts own a 32-bit pixel frame buffer (alpha in bits
// 24-31, then red, green, blue), rows `width` pixels apart, top row first. Text and font state
// is added here as the gdi layer grows.
struct HDC__
{
  std::unique_ptr<uint32_t[]> pixels;
  int width = 0;
  int height = 0;
};
