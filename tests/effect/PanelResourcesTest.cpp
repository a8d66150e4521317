#include "effect/PanelResources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

std::vector<unsigned char> CommittedImage(const std::string& fileName)
{
  const char* source = std::getenv("KESTRUNE_SOURCE_DIR");
  std::ifstream in(std::string(source ? source : ".") + "/resources/img/" + fileName, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The images the editor layout loads: name, frame width, frame height and frame count.
struct ExpectedImage
{
  const char* editorName;
  const char* fileName;
  int frameWidth, frameHeight, frames;
};
constexpr ExpectedImage kExpected[] = {
    {"resources/img/bg.png", "bg.png", 465, 488, 1},  {"resources/img/by.png", "by.png", 77, 60, 2},
    {"resources/img/BR.png", "BR.png", 57, 80, 2},    {"resources/img/OUT.png", "OUT.png", 95, 95, 31},
    {"resources/img/HI.png", "HI.png", 92, 92, 31},   {"resources/img/LO.png", "LO.png", 92, 92, 31},
};

TEST(KestrunePanelResources, HoldExactlyTheSixCommittedImages)
{
  const EmbeddedResourceTable& table = KestrunePanelResources();
  std::set<std::string> names;
  for (size_t i = 0; i < table.count; ++i) names.insert(table.entries[i].name);
  EXPECT_EQ(names, (std::set<std::string>{"bg.png", "by.png", "BR.png", "OUT.png", "HI.png", "LO.png"}));
  EXPECT_EQ(table.count, 6u);

  for (const ExpectedImage& image : kExpected)
  {
    const EmbeddedResource* embedded = FindEmbeddedResource(table, image.fileName);
    ASSERT_NE(embedded, nullptr) << image.fileName;
    const std::vector<unsigned char> committed = CommittedImage(image.fileName);
    ASSERT_FALSE(committed.empty()) << image.fileName;
    EXPECT_EQ(std::vector<unsigned char>(embedded->data, embedded->data + embedded->size), committed)
        << image.fileName << " differs from resources/img";
  }
}

TEST(KestrunePanelResources, EditorNamesLoadImagesOfTheLayoutsFrameSizes)
{
  for (const ExpectedImage& image : kExpected)
  {
    std::unique_ptr<LICE_IBitmap> bitmap(LoadEmbeddedImage(KestrunePanelResources(), image.editorName));
    ASSERT_NE(bitmap, nullptr) << image.editorName;
    EXPECT_EQ(bitmap->getWidth(), image.frameWidth) << image.editorName;
    EXPECT_EQ(bitmap->getHeight(), image.frameHeight * image.frames) << image.editorName;
  }
}

}  // namespace
