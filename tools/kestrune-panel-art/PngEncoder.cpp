#include "tools/kestrune-panel-art/PngEncoder.h"

#include <png.h>

#include <csetjmp>

namespace kestrune::panelart {
namespace {

void AppendToVector(png_structp png, png_bytep data, size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

void FlushNothing(png_structp) {}

// No object with a destructor lives in this frame: libpng leaves it by long jump on errors.
bool WriteImage(png_structp png, png_infop info, int width, int height, bool withAlpha, png_bytepp rows,
                std::vector<uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToVector, FlushNothing);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(LICE_IBitmap* bitmap) {
  std::vector<uint8_t> out;
  const LICE_BitmapRows source(bitmap);
  if (!source.usable()) return out;

  bool withAlpha = false;
  for (int y = 0; y < source.height && !withAlpha; ++y) {
    for (int x = 0; x < source.width; ++x) {
      if (LICE_GETA(*source.at(x, y)) != 255) {
        withAlpha = true;
        break;
      }
    }
  }
  const int channels = withAlpha ? 4 : 3;
  const size_t rowBytes = static_cast<size_t>(source.width) * channels;
  std::vector<uint8_t> samples(rowBytes * source.height);
  std::vector<png_bytep> rows(source.height);
  for (int y = 0; y < source.height; ++y) {
    uint8_t* sample = samples.data() + rowBytes * y;
    rows[y] = sample;
    for (int x = 0; x < source.width; ++x) {
      const LICE_pixel p = *source.at(x, y);
      *sample++ = static_cast<uint8_t>(LICE_GETR(p));
      *sample++ = static_cast<uint8_t>(LICE_GETG(p));
      *sample++ = static_cast<uint8_t>(LICE_GETB(p));
      if (withAlpha) *sample++ = static_cast<uint8_t>(LICE_GETA(p));
    }
  }

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info && WriteImage(png, info, source.width, source.height, withAlpha, rows.data(), &out);
  png_destroy_write_struct(&png, &info);
  if (!ok) out.clear();
  return out;
}

}  // namespace kestrune::panelart
