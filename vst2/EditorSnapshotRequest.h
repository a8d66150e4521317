// A vendor-specific dispatcher request of our own: the module draws its editor into memory, so a
// tool can take a picture of the panel without a display.
//
//   dispatcher(effect, effVendorSpecific, kEditorSnapshotRequest, 0, &request, 0.f)
//
// Ask first with pixels = nullptr: the module writes its editor's width and height into the request
// and answers 1. Ask again with pixels pointing at width * height pixels of 32 bits (0xAARRGGBB,
// rows top to bottom, no padding) and the same width and height: the module draws every control at
// the current parameter values into them and answers 1. A module without an editor, or a request
// whose size differs from the editor's, answers 0 and writes nothing into the pixels.
#pragma once

#include <cstdint>

// 'KsSn', first character in the most significant byte.
constexpr int32_t kEditorSnapshotRequest = ('K' << 24) | ('s' << 16) | ('S' << 8) | 'n';

struct EditorSnapshotRequest {
  int32_t width;
  int32_t height;
  uint32_t* pixels;
};
