#include "tests/rasterizer/png_test_encoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace {

void appendToVector(png_structp png, png_bytep data, size_t n)
{
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

void flushNothing(png_structp) {}

int channelsOf(int colourType)
{
  switch (colourType)
  {
  case PNG_COLOR_TYPE_RGB: return 3;
  case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
  case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
  default: return 1;
  }
}

// No object with a destructor in this frame: libpng leaves it by long jump on errors.
bool writeImage(png_structp png, png_infop info, const PngTestImage& image, std::vector<uint8_t>* out,
                png_bytepp rowTable)
{
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_set_write_fn(png, out, appendToVector, flushNothing);
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colourType,
               image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty())
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                 static_cast<int>(image.palette.size() / 3));
  if (!image.trns.empty())
  {
    png_color_16 key{};
    if (image.colourType == PNG_COLOR_TYPE_GRAY)
      key.gray = image.trns[0];
    else if (image.colourType == PNG_COLOR_TYPE_RGB)
    {
      key.red = image.trns[0];
      key.green = image.trns[1];
      key.blue = image.trns[2];
    }
    png_set_tRNS(png, info, image.trns.data(), static_cast<int>(image.trns.size()), &key);
  }
  png_write_info(png, info);
  png_write_image(png, rowTable);
  png_write_end(png, info);
  return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const PngTestImage& image)
{
  std::vector<uint8_t> out;
  const size_t rowBytes =
      (static_cast<size_t>(image.width) * channelsOf(image.colourType) * image.bitDepth + 7) / 8;
  if (image.width <= 0 || image.height <= 0 || image.rows.size() != rowBytes * image.height)
    return out;
  std::vector<uint8_t> rows = image.rows;
  std::vector<png_bytep> rowTable(image.height);
  for (int y = 0; y < image.height; ++y)
    rowTable[y] = rows.data() + rowBytes * y;

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  const bool ok = info && writeImage(png, info, image, &out, rowTable.data());
  png_destroy_write_struct(&png, &info);
  if (!ok)
    out.clear();
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
