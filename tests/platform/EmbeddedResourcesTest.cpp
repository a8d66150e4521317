#include "platform/resources/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/rasterizer/png_test_encoder.h"

namespace
{

// An RGB PNG of w x 1 pixels, every pixel (r, 0, 0).
std::vector<uint8_t> RedLine(int w, uint8_t r)
{
  PngTestImage image;
  image.width = w;
  image.height = 1;
  for (int i = 0; i < w; ++i) image.rows.insert(image.rows.end(), {r, 0, 0});
  return EncodePng(image);
}

// A module's table as the build writes it: file names without folders, in no particular order.
class EmbeddedImages : public testing::Test
{
protected:
  const std::vector<uint8_t> bg = RedLine(3, 0x10), br = RedLine(5, 0x20);
  const std::vector<uint8_t> notes{'h', 'i'};
  const std::vector<uint8_t> damaged = std::vector<uint8_t>(br.begin(), br.begin() + br.size() / 2);
  const EmbeddedResource entries[4] = {{"bg.png", bg.data(), bg.size()},
                                       {"BR.png", br.data(), br.size()},
                                       {"notes.txt", notes.data(), notes.size()},
                                       {"damaged.png", damaged.data(), damaged.size()}};
  const EmbeddedResourceTable table{entries, 4};
};

TEST_F(EmbeddedImages, ResourcesAreFoundByTheirExactName)
{
  EXPECT_EQ(FindEmbeddedResource(table, "notes.txt"), &entries[2]);
  EXPECT_EQ(FindEmbeddedResource(table, "BR.png"), &entries[1]);
  EXPECT_EQ(FindEmbeddedResource(table, "br.png"), nullptr);
  EXPECT_EQ(FindEmbeddedResource(table, "img/bg.png"), nullptr);
  EXPECT_EQ(FindEmbeddedResource(table, nullptr), nullptr);
  EXPECT_EQ(FindEmbeddedResource(EmbeddedResourceTable{nullptr, 0}, "bg.png"), nullptr);
}

TEST_F(EmbeddedImages, AnImageNameDropsItsFolderAndAcceptsThePngExtensionInAnyCase)
{
  for (const char* name : {"resources/img/bg.png", "bg.png", "bg.PNG", "resources/img/bg.Png", "C:\\panel\\img\\bg.pNg",
                           "/usr/lib/vst/resources/img/bg.png", "mixed\\folders/bg.png"})
    EXPECT_EQ(FindEmbeddedImage(table, name), &entries[0]) << name;
  EXPECT_EQ(FindEmbeddedImage(table, "resources/img/BR.png"), &entries[1]);
}

TEST_F(EmbeddedImages, EveryOtherNameFindsNothing)
{
  for (const char* name : {"resources/img/br.png",     // the base name is matched exactly
                           "resources/img/BG.png",     //
                           "resources/img/bg",         // no extension
                           "resources/img/bg.jpg",     // another extension
                           "resources/img/bg.png.bak", // .png not at the end
                           "resources/img/bg.pngx",    //
                           "notes.txt",                // embedded, but not an image name
                           "resources/img/notes.png",  // the image name of a file that is not one
                           "resources/img/unknown.png", "resources/img/", "bg.png/", ".png", "png", ""})
    EXPECT_EQ(FindEmbeddedImage(table, name), nullptr) << name;
  EXPECT_EQ(FindEmbeddedImage(table, nullptr), nullptr);
}

TEST_F(EmbeddedImages, LoadingDecodesTheImageTheNameFinds)
{
  std::unique_ptr<LICE_IBitmap> image(LoadEmbeddedImage(table, "resources/img/BR.PNG"));
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->getWidth(), 5);
  ASSERT_EQ(image->getHeight(), 1);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(image->getBits()[x], 0xFF200000u);

  EXPECT_EQ(LoadEmbeddedImage(table, "resources/img/unknown.png"), nullptr);
  EXPECT_EQ(LoadEmbeddedImage(table, "notes.txt"), nullptr);
  EXPECT_EQ(LoadEmbeddedImage(table, "resources/img/damaged.png"), nullptr);
  EXPECT_EQ(LoadEmbeddedImage(table, nullptr), nullptr);
}

}  // namespace
