// The host pieces the render tool and the test host share: module loading and call routing.

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <thread>

#include "tools/vsthost/HostLink.h"
#include "tools/vsthost/VstModule.h"

using kestrune::host::HostLink;
using kestrune::host::VstModule;

namespace {

struct Host {
  int id = 0;
};
using Link = HostLink<Host>;

AEffect gRecord{};
Host* gFoundDuringEntry = nullptr;

intptr_t NoCallback(AEffect*, int32_t, int32_t, intptr_t, void*, float) { return 0; }

AEffect* EntryReturningTheRecord(audioMasterCallback) {
  gFoundDuringEntry = Link::Find(nullptr);
  gRecord = AEffect{};
  gRecord.magic = kEffectMagic;
  return &gRecord;
}

AEffect* EntryReturningAForeignRecord(audioMasterCallback) {
  gRecord = AEffect{};
  return &gRecord;
}

}  // namespace

TEST(VstModule, OpensAModuleOnceAndFindsItsEntryPoint) {
  VstModule module;
  std::string error;
  ASSERT_TRUE(module.Open(FAKE_EFFECT_PATH, error)) << error;
  EXPECT_TRUE(module.IsOpen());
  ASSERT_NE(module.EntryPoint(), nullptr);
  EXPECT_FALSE(module.Open(FAKE_EFFECT_PATH, error));
  EXPECT_NE(error.find("already loaded"), std::string::npos) << error;
  EXPECT_TRUE(module.IsOpen());
}

TEST(VstModule, RefusesMissingFilesFoldersAndFilesThatAreNoModule) {
  VstModule module;
  std::string error;
  EXPECT_FALSE(module.Open("/nonexistent/effect.so", error));
  EXPECT_NE(error.find("cannot load plug-in \"/nonexistent/effect.so\""), std::string::npos) << error;
  EXPECT_FALSE(module.Open("/", error));
  EXPECT_NE(error.find("it is not a file"), std::string::npos) << error;
  EXPECT_FALSE(module.Open(KESTRUNE_RENDER_PATH, error));  // an executable, not a shared object
  EXPECT_NE(error.find("is not a VST 2 module"), std::string::npos) << error;
  EXPECT_FALSE(module.IsOpen());
  EXPECT_EQ(module.EntryPoint(), nullptr);
}

TEST(VstModule, ABareFileNameMeansTheFileInTheCurrentFolder) {
  // Without the "./" dlopen would search the library path and miss this file.
  const std::string path = FAKE_EFFECT_PATH;
  const std::string folder = path.substr(0, path.find_last_of('/'));
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(folder.c_str()), 0);
  VstModule module;
  std::string error;
  EXPECT_TRUE(module.Open(path.substr(path.find_last_of('/') + 1), error)) << error;
  ASSERT_EQ(chdir(previous), 0);
}

TEST(HostLink, CreationRoutesCallsMadeByTheEntryPointThenLinksTheRecord) {
  Host host;
  gFoundDuringEntry = nullptr;
  AEffect* effect = Link::Create(EntryReturningTheRecord, NoCallback, host);
  EXPECT_EQ(effect, &gRecord);
  EXPECT_EQ(gFoundDuringEntry, &host);
  EXPECT_EQ(Link::Find(effect), &host);
  EXPECT_EQ(Link::Find(nullptr), nullptr);
}

TEST(HostLink, RecordsWithoutTheMagicAreNotWrittenTo) {
  Host host;
  AEffect* effect = Link::Create(EntryReturningAForeignRecord, NoCallback, host);
  EXPECT_EQ(effect, &gRecord);
  EXPECT_EQ(gRecord.resvd1, 0);
  EXPECT_EQ(Link::Find(effect), nullptr);
}

TEST(HostLink, NestedCreationRestoresTheOuterHostAndOtherThreadsSeeNone) {
  Host outer, inner;
  Link::CreationScope outerScope(outer);
  {
    Link::CreationScope innerScope(inner);
    EXPECT_EQ(Link::Find(nullptr), &inner);
  }
  EXPECT_EQ(Link::Find(nullptr), &outer);
  Host* seenElsewhere = &inner;
  std::thread([&] { seenElsewhere = Link::Find(nullptr); }).join();
  EXPECT_EQ(seenElsewhere, nullptr);
}
