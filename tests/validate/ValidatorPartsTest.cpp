// The validator's parts on their own: guarded text buffers and UTF-8, the exported-symbol reader
// (against binutils' nm, and on damaged files), the test signals, the command line and the report.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale.h>
#include <set>
#include <string>
#include <vector>

#include "tests/validate/ValidatorRun.h"
#include "tools/kestrune-validate/CommaLocale.h"
#include "tools/kestrune-validate/CommandLine.h"
#include "tools/kestrune-validate/ElfSymbols.h"
#include "tools/kestrune-validate/GuardedText.h"
#include "tools/kestrune-validate/Report.h"
#include "tools/kestrune-validate/Signals.h"
#include "tools/kestrune-validate/Strictness.h"

using namespace kestrune::validate;
using kestrune_test::ScratchDir;

namespace {

// ---- Guarded text buffers ----

TEST(GuardedText, MeasuresWhatWasWrittenAgainstTheLimitAndTheHostBuffer) {
  GuardedBuffer buffer;
  ASSERT_NE(buffer.Data(), nullptr);
  TextVerdict untouched = JudgeText(buffer, 8);
  EXPECT_EQ(untouched.extent, 0u);
  EXPECT_TRUE(untouched.terminated);
  EXPECT_EQ(untouched.text, "");

  std::strcpy(buffer.Data(), "Gain");
  TextVerdict gain = JudgeText(buffer, 8);
  EXPECT_EQ(gain.text, "Gain");
  EXPECT_EQ(gain.extent, 5u);
  EXPECT_FALSE(gain.pastLimit);

  buffer.Reset();
  std::strcpy(buffer.Data(), "Frequency");  // ten bytes with the terminator
  TextVerdict frequency = JudgeText(buffer, 8);
  EXPECT_EQ(frequency.extent, 10u);
  EXPECT_TRUE(frequency.pastLimit);
  EXPECT_FALSE(frequency.pastBuffer);

  buffer.Reset();
  std::memset(buffer.Data(), 'x', 300);
  buffer.Data()[300] = '\0';
  TextVerdict overrun = JudgeText(buffer, 8);
  EXPECT_EQ(overrun.extent, 301u);
  EXPECT_TRUE(overrun.pastBuffer);
  EXPECT_FALSE(overrun.terminated);

  // A byte equal to the marker in the middle still counts up to the last written byte.
  buffer.Reset();
  std::strcpy(buffer.Data(), "a\xA5z");
  EXPECT_EQ(JudgeText(buffer, 8).extent, 4u);
}

TEST(GuardedTextDeathTest, AWritePastTheGuardBandFaultsAtOnce) {
  GuardedBuffer buffer(16, 32);
  ASSERT_NE(buffer.Data(), nullptr);
  buffer.Data()[16 + 31] = 1;  // the last byte of the band is still ours
  EXPECT_EQ(buffer.WrittenExtent(), 48u);
  EXPECT_DEATH(
      {
        volatile char* p = buffer.Data();
        p[16 + 32] = 1;
      },
      "");
}

TEST(Utf8, AcceptsValidTextAndRejectsEveryMalformedSequence) {
  for (const char* valid : {"", "Gain", "Gr\xC3\xBC\xC3\x9F" "e", "\xE2\x99\xAA 440 Hz", "\xF0\x9F\x8E\xB8",
                            "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(valid)) << Printable(valid);
  }
  for (const char* invalid : {"\x80", "abc\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                              "\xF8\x88\x80\x80\x80", "\xFF", "\xE2\x99", "\xC3\x28"}) {
    EXPECT_FALSE(IsValidUtf8(invalid)) << Printable(invalid);
  }
  EXPECT_EQ(Printable("a\\b\n\xFF"), "a\\x5Cb\\x0A\\xFF");
  EXPECT_EQ(Printable(std::string(100, 'x'), 5), "xxxxx...");
}

// ---- Exported symbols ----

std::vector<std::string> ModulesToRead() {
  std::vector<std::string> paths{KESTRUNE_MODULE_PATH, std::string(TEST_MODULES_DIR) + "/validate_good.so"};
  std::error_code ignored;
  for (const char* folder : {"/usr/lib/vst", "/usr/lib/vst/lsp-plugins"}) {
    const size_t limit = paths.size() + 3;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
      if (entry.path().extension() == ".so" && paths.size() < limit) paths.push_back(entry.path().string());
    }
  }
  return paths;
}

// The defined, visible dynamic symbols as binutils lists them.
std::set<std::string> NmSymbols(const std::string& path) {
  std::set<std::string> names;
  FILE* pipe = popen(("nm -D --defined-only --format=posix '" + path + "' 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return names;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char name[4096];
    char type = 0;
    if (std::sscanf(line, "%4095s %c", name, &type) != 2) continue;
    std::string symbol = name;
    const size_t at = symbol.find('@');
    if (at != std::string::npos) symbol.resize(at);
    for (const char* marker : {"_init", "_fini", "_edata", "_end", "__bss_start"}) {
      if (symbol == marker) symbol.clear();
    }
    if (!symbol.empty() && type != 'A') names.insert(symbol);
  }
  pclose(pipe);
  return names;
}

TEST(ElfSymbols, ListsWhatBinutilsListsForOurAndThirdPartyModules) {
  for (const std::string& path : ModulesToRead()) {
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(ReadExportedSymbols(path, names, error)) << path << ": " << error;
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), NmSymbols(path)) << path;
  }
  std::vector<std::string> ours;
  std::string error;
  ASSERT_TRUE(ReadExportedSymbols(KESTRUNE_MODULE_PATH, ours, error));
  EXPECT_EQ(std::set<std::string>(ours.begin(), ours.end()), (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(ElfSymbols, DamagedFilesAreRefusedOrReadWithoutReadingPastTheirEnd) {
  std::ifstream in(std::string(TEST_MODULES_DIR) + "/validate_good.so", std::ios::binary);
  const std::vector<char> original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(original.size(), 4096u);
  ScratchDir scratch;
  const std::string path = scratch.File("damaged.so");
  Random random(77);
  for (int round = 0; round < 200; ++round) {
    std::vector<char> bytes = original;
    if (round % 3 == 0) {
      bytes.resize(static_cast<size_t>(random.Between(0, static_cast<int>(original.size()))));
    } else {
      // Damage the headers and the tables they point at, where a careless reader goes astray.
      for (int k = 0; k < 8; ++k) {
        const size_t at = round % 3 == 1 ? static_cast<size_t>(random.Between(0, 63))
                                          : static_cast<size_t>(random.Between(0, static_cast<int>(bytes.size()) - 1));
        bytes[at] = static_cast<char>(random.Next());
      }
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> names;
    std::string error;
    if (!ReadExportedSymbols(path, names, error)) {
      EXPECT_FALSE(error.empty());
    }
  }
  std::vector<std::string> names;
  std::string error;
  EXPECT_FALSE(ReadExportedSymbols(scratch.File("missing.so"), names, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
}

// ---- Test signals ----

TEST(Signals, EverySignalIsTheSameHoweverItIsCutIntoBlocks) {
  Random random(5);
  for (SignalKind kind : {SignalKind::kNoise, SignalKind::kQuietNoise, SignalKind::kSquare, SignalKind::kDc,
                          SignalKind::kImpulses, SignalKind::kSilence}) {
    std::vector<double> whole(20000), pieces(20000);
    FillSignal(kind, 1, 0, 20000, 48000, 9, whole.data());
    for (int done = 0; done < 20000;) {
      const int n = std::min(random.Between(1, 999), 20000 - done);
      FillSignal(kind, 1, done, n, 48000, 9, pieces.data() + done);
      done += n;
    }
    EXPECT_EQ(whole, pieces) << SignalName(kind);
  }
}

TEST(Signals, NoiseIsExactInFloatAndNeverFullScaleTheSquareIsExactlyFullScale) {
  double sum = 0.0, lowest = 0.0, highest = 0.0;
  for (int64_t f = 0; f < 200000; ++f) {
    const double v = SignalSample(SignalKind::kNoise, 0, f, 44100, 3);
    ASSERT_EQ(static_cast<double>(static_cast<float>(v)), v);
    ASSERT_LT(std::fabs(v), 1.0);
    sum += v;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  EXPECT_NEAR(sum / 200000, 0.0, 0.01);
  EXPECT_LT(lowest, -0.99);
  EXPECT_GT(highest, 0.99);
  EXPECT_NE(SignalSample(SignalKind::kNoise, 0, 5, 44100, 3), SignalSample(SignalKind::kNoise, 1, 5, 44100, 3));
  EXPECT_NE(SignalSample(SignalKind::kNoise, 0, 5, 44100, 3), SignalSample(SignalKind::kNoise, 0, 5, 44100, 4));
  // 100 Hz at 48 kHz: 240 frames at +1, 240 at -1.
  EXPECT_EQ(SignalSample(SignalKind::kSquare, 0, 0, 48000, 1), 1.0);
  EXPECT_EQ(SignalSample(SignalKind::kSquare, 0, 239, 48000, 1), 1.0);
  EXPECT_EQ(SignalSample(SignalKind::kSquare, 0, 240, 48000, 1), -1.0);
  EXPECT_EQ(SignalSample(SignalKind::kSquare, 0, 480, 48000, 1), 1.0);
  EXPECT_EQ(SignalSample(SignalKind::kImpulses, 0, 4410, 44100, 1), 1.0);
  EXPECT_EQ(SignalSample(SignalKind::kImpulses, 0, 4411, 44100, 1), 0.0);
}

TEST(Signals, BadSamplesAreFoundFirstFirst) {
  const float floats[] = {0.f, 1.f, -0.5f, 1e-40f, std::nanf("")};
  EXPECT_EQ(FindBadSample(floats, 3).index, -1);
  EXPECT_EQ(FindBadSample(floats, 5).index, 3);
  EXPECT_STREQ(FindBadSample(floats, 5).what, "subnormal");
  const double doubles[] = {1e-300, -1e-310, 0.0};
  EXPECT_EQ(FindBadSample(doubles, 1).index, -1);
  EXPECT_STREQ(FindBadSample(doubles, 3).what, "subnormal");
  const double infinite[] = {0.0, -HUGE_VAL};
  EXPECT_STREQ(FindBadSample(infinite, 2).what, "infinite");
  const float nan[] = {std::nanf("")};
  EXPECT_STREQ(FindBadSample(nan, 1).what, "NaN");
}

// ---- Strictness ----

TEST(Strictness, EachLevelDoesAtLeastWhatTheOneBelowDoesAndTenCoversTheWholeRange) {
  for (int level = 2; level <= 10; ++level) {
    const Strictness lower(level - 1), higher(level);
    EXPECT_GE(higher.SampleRates().size(), lower.SampleRates().size());
    EXPECT_GE(higher.BlockSizes().size(), lower.BlockSizes().size());
    EXPECT_GE(higher.SignalSeconds(), lower.SignalSeconds());
    EXPECT_GE(higher.BlocksPerSignal(), lower.BlocksPerSignal());
    EXPECT_GE(higher.LifecycleCycles(), lower.LifecycleCycles());
    EXPECT_GE(higher.ThreadSeconds(), lower.ThreadSeconds());
    EXPECT_GE(higher.EditorCycles(), lower.EditorCycles());
  }
  const Strictness full(10);
  const std::vector<int> rates = full.SampleRates();
  EXPECT_EQ(*std::min_element(rates.begin(), rates.end()), 22050);
  EXPECT_EQ(*std::max_element(rates.begin(), rates.end()), 192000);
  const std::vector<int> sizes = full.BlockSizes();
  for (int size : {1, 4096, 333, kVaryingBlockSize, 17, 4095}) {
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), size), sizes.end()) << size;
  }
  EXPECT_EQ(full.LifecycleCycles(), 100);
  EXPECT_EQ(full.SimultaneousInstances(), 16);
  EXPECT_EQ(full.EditorCycles(), 50);
  EXPECT_EQ(Strictness(0).Level(), 1);
  EXPECT_EQ(Strictness(99).Level(), 10);
}

// ---- Command line ----

bool Parse(std::vector<const char*> args, ValidateOptions& options, std::string& error) {
  args.insert(args.begin(), "kestrune-validate");
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(CommandLine, ReadsEveryOptionAndCheckNamesInEitherForm) {
  ValidateOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--strictness", "10", "--only", "info", "state,process", "a.so", "--skip=state", "--json",
                     "r.json", "--seed=7", "--timeout", "2.5", "--xvfb", "--", "-odd.so"},
                    o, error))
      << error;
  EXPECT_EQ(o.strictness, 10);
  EXPECT_EQ(o.only, (std::vector<std::string>{"info", "state", "process"}));
  EXPECT_EQ(o.skip, std::vector<std::string>{"state"});
  EXPECT_EQ(o.modules, (std::vector<std::string>{"a.so", "-odd.so"}));
  EXPECT_EQ(o.jsonPath, "r.json");
  EXPECT_EQ(o.seed, 7u);
  EXPECT_EQ(o.timeoutSeconds, 2.5);
  EXPECT_TRUE(o.xvfb);
  EXPECT_EQ(SelectedChecks(o), (std::vector<std::string>{"info", "process"}));

  ValidateOptions defaults;
  ASSERT_TRUE(Parse({"x.so"}, defaults, error));
  EXPECT_EQ(SelectedChecks(defaults).size(), 12u);
  EXPECT_EQ(defaults.strictness, 5);
  EXPECT_EQ(defaults.seed, 1u);
}

TEST(CommandLine, RefusesMalformedLinesWithAReason) {
  const std::vector<std::pair<std::vector<const char*>, const char*>> cases{
      {{}, "no module given"},
      {{"--strictness", "11", "a.so"}, "--strictness needs a whole number from 1 to 10, got \"11\""},
      {{"--strictness", "0", "a.so"}, "from 1 to 10"},
      {{"--only", "info,tone", "a.so"}, "unknown check \"tone\"; the checks are: load info"},
      {{"--seed", "-3", "a.so"}, "--seed needs a whole number"},
      {{"--timeout", "0", "a.so"}, "--timeout needs a number of seconds above 0"},
      {{"--timeout", "nan", "a.so"}, "--timeout needs"},
      {{"--xvfb=yes", "a.so"}, "--xvfb takes no value"},
      {{"a.so", "--json"}, "--json needs a value"},
      {{"--frobnicate", "a.so"}, "unknown option \"--frobnicate\""},
      {{"--run-check", "info", "a.so", "b.so"}, "--run-check takes exactly one module"},
  };
  for (const auto& [args, reason] : cases) {
    ValidateOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << reason;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
  ValidateOptions help;
  std::string error;
  EXPECT_TRUE(Parse({"--help"}, help, error));
  EXPECT_TRUE(help.showHelp);
  const std::string usage = UsageText("kestrune-validate");
  for (const char* name : {"load", "info", "lifecycle", "process", "denormals", "realtime", "parameters", "threads",
                           "state", "programs", "locale", "editor"}) {
    EXPECT_NE(usage.find(std::string("\n  ") + name), std::string::npos) << name;
  }
}

// ---- Report ----

TEST(Report, LinesSummaryAndJsonSayTheSame) {
  CheckResult pass;
  pass.name = "info";
  pass.status = CheckResult::Status::kPass;
  pass.seconds = 0.04;
  pass.warnings = {"2 parameters have no name (1, 3)"};
  CheckResult fail;
  fail.name = "process";
  fail.status = CheckResult::Status::kFail;
  fail.detail = "44100 Hz: output 0 frame 3 is NaN";
  fail.seconds = 12.34;
  fail.output = {"\x1b[31mred text\x1b[0m\tand a tab"};
  CheckResult skip;
  skip.name = "editor";
  skip.status = CheckResult::Status::kSkip;
  skip.detail = "no \"display\"";

  EXPECT_EQ(CheckLines(pass), "  pass  info         0.0 s\n        warning: 2 parameters have no name (1, 3)\n");
  EXPECT_EQ(CheckLines(fail),
            "  FAIL  process     12.3 s  44100 Hz: output 0 frame 3 is NaN\n"
            "        the check's process printed (last lines):\n"
            "        | red text and a tab\n");
  ModuleReport report{"/x/Plug.so", {pass, fail, skip}, 20.0};
  EXPECT_EQ(SummaryLine(report), "Plug.so: 1 passed, 1 failed, 1 skipped, 1 warning (20.0 s)\n");
  EXPECT_TRUE(AnyFailed({report}));
  const std::string json = ToJson({report}, 3, 9);
  EXPECT_NE(json.find("\"strictness\": 3,\n  \"seed\": 9,\n  \"passed\": false"), std::string::npos) << json;
  EXPECT_NE(json.find("{\"name\": \"editor\", \"status\": \"skip\", \"detail\": \"no \\\"display\\\"\""),
            std::string::npos)
      << json;
  EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
}

TEST(CommaLocale, TheLocaleFoundWritesADecimalComma) {
  const std::string name = FindCommaLocale();
  if (name.empty()) GTEST_SKIP() << "no comma-decimal locale is installed";
  locale_t locale = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
  ASSERT_NE(locale, static_cast<locale_t>(0));
  const locale_t previous = uselocale(locale);
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 0.5);
  uselocale(previous);
  freelocale(locale);
  EXPECT_STREQ(text, "0,5");
}

}  // namespace
