// The built Kestrune.so loaded the way a host loads it, through the test host.

#include "tests/effect/KestrunePanelPicture.h"
#include "tests/vst2/TestHost.h"
#include "vst2/EditorSnapshotRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

using kestrune_test::AudioBuffers;
using kestrune_test::TestHost;

namespace {

const char* const kModulePath = KESTRUNE_MODULE_PATH;
constexpr double kTwoPi = 6.283185307179586;

enum { kOut, kCircuit, kHi, kSpare, kLo, kBypass, kNumParams };

std::vector<std::string> CommandLines(const std::string& command)
{
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return lines;
  char line[1024];
  while (fgets(line, sizeof(line), pipe))
  {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    lines.push_back(s);
  }
  pclose(pipe);
  return lines;
}

// Deterministic noise in -amplitude..amplitude, exactly representable as float.
std::vector<double> Noise(int frames, double amplitude, unsigned seed)
{
  std::vector<double> out(frames);
  unsigned state = seed;
  for (double& v : out)
  {
    state = state * 1664525u + 1013904223u;
    v = static_cast<float>(amplitude * ((state >> 8) / 8388608.0 - 1.0));
  }
  return out;
}

std::vector<double> Sine(int frames, double amplitude, double freq, double fs)
{
  std::vector<double> out(frames);
  for (int i = 0; i < frames; ++i) out[i] = amplitude * std::sin(kTwoPi * freq * i / fs);
  return out;
}

// A stereo signal processed in pieces through one instance.
struct Stereo
{
  std::vector<double> left, right;
};

class Instance
{
public:
  explicit Instance(float sampleRate = 44100.f, int blockSize = 1024)
  {
    mLoaded = mHost.Load(kModulePath) && mHost.Create();
    if (mLoaded) mHost.Start(sampleRate, blockSize);
  }
  bool Loaded() const { return mLoaded; }
  TestHost& Host() { return mHost; }

  // Double-precision pass of frames [from, from + n) of in into out.
  void Double(const Stereo& in, Stereo& out, int from, int n)
  {
    double* ins[2] = {const_cast<double*>(in.left.data()) + from, const_cast<double*>(in.right.data()) + from};
    double* outs[2] = {out.left.data() + from, out.right.data() + from};
    mHost.ProcessDoubleReplacing(ins, outs, n);
  }
  // Single-precision replacing pass, converting through float buffers.
  void Float(const Stereo& in, Stereo& out, int from, int n)
  {
    AudioBuffers<float> fin(2, n), fout(2, n);
    for (int i = 0; i < n; ++i)
    {
      fin.Channel(0)[i] = static_cast<float>(in.left[from + i]);
      fin.Channel(1)[i] = static_cast<float>(in.right[from + i]);
    }
    mHost.ProcessReplacing(fin.Pointers(), fout.Pointers(), n);
    for (int i = 0; i < n; ++i)
    {
      out.left[from + i] = fout.Channel(0)[i];
      out.right[from + i] = fout.Channel(1)[i];
    }
  }
  // Double-precision passes over frames [from, from + n) in blocks of at most blockSize frames.
  void Span(const Stereo& in, Stereo& out, int from, int n, int blockSize = 1024)
  {
    for (int pos = from; pos < from + n; pos += blockSize)
      Double(in, out, pos, std::min(blockSize, from + n - pos));
  }
  // Whole signal in blocks of blockSize frames.
  Stereo Run(const Stereo& in, int blockSize = 1024)
  {
    Stereo out{std::vector<double>(in.left.size()), std::vector<double>(in.left.size())};
    Span(in, out, 0, static_cast<int>(in.left.size()), blockSize);
    return out;
  }

private:
  TestHost mHost;
  bool mLoaded = false;
};

Stereo Both(const std::vector<double>& signal)
{
  return Stereo{signal, signal};
}

Stereo Pair(int frames, double amplitude)
{
  return Stereo{Noise(frames, amplitude, 1), Noise(frames, amplitude, 2)};
}

double PeakOf(const std::vector<double>& v, size_t from, size_t to)
{
  double peak = 0.0;
  for (size_t i = from; i < to && i < v.size(); ++i) peak = std::max(peak, std::fabs(v[i]));
  return peak;
}

// ---- The module file ----

TEST(KestruneModule, ExportsExactlyTheTwoEntryPoints)
{
  std::set<std::string> names;
  for (const std::string& line : CommandLines(std::string("nm -D --defined-only ") + kModulePath))
  {
    const size_t space = line.rfind(' ');
    if (space != std::string::npos) names.insert(line.substr(space + 1));
  }
  EXPECT_EQ(names, (std::set<std::string>{"VSTPluginMain", "main"}));
}

TEST(KestruneModule, CarriesTheCommittedPanelImages)
{
  auto readFile = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const char* source = std::getenv("KESTRUNE_SOURCE_DIR");
  const std::string module = readFile(kModulePath);
  ASSERT_FALSE(module.empty());
  for (const char* name : {"bg.png", "by.png", "BR.png", "OUT.png", "HI.png", "LO.png"})
  {
    const std::string image = readFile(std::string(source ? source : ".") + "/resources/img/" + name);
    ASSERT_GT(image.size(), 8u) << name;
    EXPECT_NE(module.find(image), std::string::npos) << name << " is not inside the module";
  }
}

// The C++ run-time, and Debian's X11, FreeType, fontconfig and libpng for the editor.
TEST(KestruneModule, NeedsOnlyTheRuntimeAndTheEditorsDesktopLibraries)
{
  std::set<std::string> allowed = {"libstdc++.so.6", "libm.so.6", "libgcc_s.so.1", "libc.so.6",
                                   "libX11.so.6", "libXext.so.6", "libXfixes.so.3", "libxcb.so.1",
                                   "libXau.so.6", "libXdmcp.so.6", "libfreetype.so.6", "libfontconfig.so.1",
                                   "libexpat.so.1", "libpng16.so.16", "libz.so.1"};
#ifdef KESTRUNE_SANITIZED
  allowed.insert({"libasan.so.8", "libubsan.so.1"});
#endif
  int needed = 0;
  for (const std::string& line : CommandLines(std::string("readelf -d ") + kModulePath))
  {
    const size_t open = line.find("(NEEDED)");
    if (open == std::string::npos) continue;
    const size_t lb = line.find('[');
    const size_t rb = line.find(']');
    ASSERT_NE(lb, std::string::npos);
    const std::string lib = line.substr(lb + 1, rb - lb - 1);
    EXPECT_TRUE(allowed.count(lib)) << lib;
    ++needed;
  }
  EXPECT_GT(needed, 0);
}

TEST(KestruneModule, BothEntryPointsCreateIndependentInstances)
{
  void* module = dlopen(kModulePath, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto vstMain = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
  auto oldMain = reinterpret_cast<VstPluginMainProc>(dlsym(module, "main"));
  ASSERT_NE(vstMain, nullptr);
  ASSERT_NE(oldMain, nullptr);
  AEffect* a = vstMain(nullptr);
  AEffect* b = oldMain(nullptr);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(b->magic, kEffectMagic);
  a->setParameter(a, kOut, 0.25f);
  EXPECT_EQ(b->getParameter(b, kOut), 0.5f);
  a->dispatcher(a, effClose, 0, 0, nullptr, 0.f);
  b->dispatcher(b, effClose, 0, 0, nullptr, 0.f);
  dlclose(module);
}

TEST(KestruneModule, InstancesCanBeCreatedFromSeveralThreadsAtOnce)
{
  void* module = dlopen(kModulePath, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr);
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
  std::vector<std::thread> threads;
  std::vector<int> created(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([entry, &created, t] {
      for (int i = 0; i < 10; ++i)
      {
        AEffect* e = entry(nullptr);
        if (e && e->magic == kEffectMagic) ++created[t];
        if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(created, std::vector<int>(4, 10));
  dlclose(module);
}

TEST(KestruneModule, ProcessingAndHostRequestsFromTwoThreadsDoNotInterfere)
{
  Instance fx;
  ASSERT_TRUE(fx.Loaded());
  AEffect* e = fx.Host().Effect();
  std::thread audio([e] {
    AudioBuffers<float> in(2, 256, 0.25f), out(2, 256);
    for (int i = 0; i < 300; ++i) e->processReplacing(e, in.Pointers(), out.Pointers(), 256);
  });
  for (int i = 0; i < 300; ++i)
  {
    e->setParameter(e, i % 6, (i % 10) / 10.f);
    void* chunk = nullptr;
    const intptr_t size = e->dispatcher(e, effGetChunk, 1, 0, &chunk, 0.f);
    EXPECT_EQ(size, 56);
    EXPECT_EQ(e->dispatcher(e, effSetChunk, 1, size, chunk, 0.f), 1);
  }
  audio.join();
}

// ---- Effect record and dispatcher ----

class KestruneDispatch : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(mHost.Load(kModulePath)) << mHost.Error();
    ASSERT_NE(mHost.Create(), nullptr);
    mHost.Dispatch(effOpen);
  }
  intptr_t Dispatch(int32_t op, int32_t idx = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f)
  {
    return mHost.Dispatch(op, idx, value, ptr, opt);
  }
  std::string Text(int32_t op, int32_t idx = 0)
  {
    char buf[256] = "";
    Dispatch(op, idx, 0, buf);
    return buf;
  }
  TestHost mHost;
};

TEST_F(KestruneDispatch, RecordDescribesAStereoEffectWithAnEditor)
{
  const AEffect* e = mHost.Effect();
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->numParams, 6);
  EXPECT_EQ(e->numPrograms, 1);
  EXPECT_EQ(e->numInputs, 2);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, 0x1019);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->version, 10000);
  EXPECT_EQ(e->uniqueID, 0x4B737431);  // 'Kst1'
  EXPECT_EQ(e->ioRatio, 1.0f);
}

TEST_F(KestruneDispatch, IdentityAnswers)
{
  EXPECT_EQ(Text(effGetEffectName), "Kestrune");
  EXPECT_EQ(Text(effGetVendorString), "Orvantic");
  EXPECT_EQ(Text(effGetProductString), "");
  EXPECT_EQ(Dispatch(effGetVendorVersion), 10000);
  EXPECT_EQ(Dispatch(effGetVstVersion), 2400);
  EXPECT_EQ(Dispatch(effGetPlugCategory), 1);
  EXPECT_EQ(Dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")), 0);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
  EXPECT_EQ(Dispatch(effCanDo, 0, 0, const_cast<char*>("hasVendorExtensions")), 0xBEEF0000);
}

TEST_F(KestruneDispatch, SixParametersWithTheirNamesDefaultsAndDisplays)
{
  const char* names[kNumParams] = {"OUT", "", "HI", "", "LO", "Bypass"};
  // HI and LO have shape 2: the plain default 0.5 sits at sqrt(0.5).
  const float normalised[kNumParams] = {0.5f, 0.f, static_cast<float>(std::sqrt(0.5)), 0.f,
                                        static_cast<float>(std::sqrt(0.5)), 0.f};
  const char* displays[kNumParams] = {"0.50", "0", "0.50", "0", "0.50", "0"};
  for (int i = 0; i < kNumParams; ++i)
  {
    EXPECT_EQ(Text(effGetParamName, i), names[i]) << i;
    EXPECT_EQ(Text(effGetParamLabel, i), "") << i;
    EXPECT_EQ(Text(effGetParamDisplay, i), displays[i]) << i;
    EXPECT_NEAR(mHost.GetParameter(i), normalised[i], 1e-7) << i;
    EXPECT_EQ(Dispatch(effCanBeAutomated, i), 1);
  }
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kOut), 0);
  EXPECT_EQ(Dispatch(effVendorSpecific, 8, kBypass), 0xBEEF);
  mHost.SetParameter(kCircuit, 0.4f);
  EXPECT_EQ(Text(effGetParamDisplay, kCircuit), "0");
  mHost.SetParameter(kCircuit, 0.5f);
  EXPECT_EQ(Text(effGetParamDisplay, kCircuit), "1");
  mHost.SetParameter(kHi, 0.5f);
  EXPECT_EQ(Text(effGetParamDisplay, kHi), "0.25");
}

TEST_F(KestruneDispatch, OneProgramNamedDash)
{
  EXPECT_EQ(Text(effGetProgramName), "-");
  EXPECT_EQ(Text(effGetProgramNameIndexed, 0), "-");
  EXPECT_EQ(Dispatch(effGetProgram), 0);
  mHost.SetParameter(kOut, 0.8f);
  Dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(mHost.GetParameter(kOut), 0.8f);
}

TEST_F(KestruneDispatch, ProgramChunkIsTheHeaderAndSixDoubles)
{
  void* data = nullptr;
  ASSERT_EQ(Dispatch(effGetChunk, 1, 0, &data), 56);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(memcmp(data, header, 8), 0);
  double values[6];
  memcpy(values, static_cast<uint8_t*>(data) + 8, sizeof(values));
  EXPECT_EQ(std::vector<double>(values, values + 6), (std::vector<double>{0.5, 0., 0.5, 0., 0.5, 0.}));
  // The bank: header, then "-" (length 1), flag 1 and six doubles.
  ASSERT_EQ(Dispatch(effGetChunk, 0, 0, &data), 8 + 4 + 1 + 1 + 48);
}

TEST_F(KestruneDispatch, ProgramChunkRestoresLimitedValues)
{
  uint8_t chunk[56];
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const double values[6] = {0.25, 1.0, 2.0, 1.0, 0.04, 1.0};
  memcpy(chunk, header, 8);
  memcpy(chunk + 8, values, sizeof(values));
  EXPECT_EQ(Dispatch(effSetChunk, 1, sizeof(chunk), chunk), 1);
  EXPECT_EQ(Text(effGetParamDisplay, kOut), "0.25");
  EXPECT_EQ(Text(effGetParamDisplay, kHi), "1.00");
  EXPECT_NEAR(mHost.GetParameter(kLo), 0.2f, 1e-6);
  EXPECT_EQ(mHost.GetParameter(kBypass), 1.f);
}

TEST_F(KestruneDispatch, HeaderOnlyAndMagicOnlyChunksAreRefusedWithoutChange)
{
  mHost.SetParameter(kOut, 0.7f);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(Dispatch(effSetChunk, 1, 8, const_cast<uint8_t*>(header)), 0);
  EXPECT_EQ(Dispatch(effSetChunk, 1, 4, const_cast<uint8_t*>(header)), 0);
  EXPECT_FLOAT_EQ(mHost.GetParameter(kOut), 0.7f);
}

TEST_F(KestruneDispatch, String2ParameterReadsNumbers)
{
  EXPECT_EQ(Dispatch(effString2Parameter, kOut, 0, const_cast<char*>("2.5")), 1);
  EXPECT_EQ(mHost.GetParameter(kOut), 1.f);
  EXPECT_EQ(Dispatch(effString2Parameter, kOut, 0, const_cast<char*>("abc")), 1);
  EXPECT_EQ(mHost.GetParameter(kOut), 0.f);
  EXPECT_EQ(Dispatch(effString2Parameter, kHi, 0, const_cast<char*>("0.25")), 1);
  EXPECT_FLOAT_EQ(mHost.GetParameter(kHi), 0.5f);
  EXPECT_EQ(Dispatch(effString2Parameter, 6, 0, const_cast<char*>("1")), 0);
}

TEST_F(KestruneDispatch, OutputPinsAreOneStereoPair)
{
  VstPinProperties pin;
  memset(&pin, 0, sizeof(pin));
  EXPECT_EQ(Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 3);
  EXPECT_STREQ(pin.label, "Output 1");
  EXPECT_EQ(Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
  EXPECT_EQ(pin.flags, 1);
  EXPECT_STREQ(pin.label, "Output 2");
  EXPECT_EQ(Dispatch(effGetOutputProperties, 2, 0, &pin), 0);
  EXPECT_EQ(Dispatch(effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 1");
}

// Sets an environment variable for one scope, restoring it (or its absence) afterwards.
class ScopedEnvironment
{
public:
  ScopedEnvironment(const char* name, const char* value) : mName(name)
  {
    if (const char* old = std::getenv(name)) mOld = old, mHadOld = true;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnvironment()
  {
    if (mHadOld)
      setenv(mName.c_str(), mOld.c_str(), 1);
    else
      unsetenv(mName.c_str());
  }

private:
  std::string mName, mOld;
  bool mHadOld = false;
};

// A module loaded by a server or a command-line tool: no display anywhere, and the editor is
// there all the same, measurable and drawable into memory.
TEST_F(KestruneDispatch, EditorNeedsNoDisplayUntilItsWindowOpens)
{
  ScopedEnvironment noDisplay("DISPLAY", nullptr);
  ERect* pRect = nullptr;
  ASSERT_EQ(Dispatch(effEditGetRect, 0, 0, &pRect), 1);
  ASSERT_NE(pRect, nullptr);
  EXPECT_EQ(pRect->right - pRect->left, 465);
  EXPECT_EQ(pRect->bottom - pRect->top, 488);

  mHost.SetParameter(kHi, 0.f);
  mHost.SetParameter(kCircuit, 1.f);
  EditorSnapshotRequest request{465, 488, nullptr};
  std::vector<uint32_t> pixels(465 * 488);
  request.pixels = pixels.data();
  ASSERT_EQ(Dispatch(effVendorSpecific, kEditorSnapshotRequest, 0, &request), 1);
  kestrune_panel_test::PanelValues values;
  values.hi = 0.0;
  values.circuit = 1.0;
  const editor_test::Picture expected = kestrune_panel_test::ComposePanel(values);
  ASSERT_EQ(expected.px.size(), pixels.size()) << "the committed images could not be read";
  EXPECT_TRUE(pixels == expected.px) << "the module's snapshot differs from the composed panel";

  EXPECT_EQ(Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x2a)), 0);
  EXPECT_EQ(Dispatch(effEditIdle), 0);
  EXPECT_EQ(Dispatch(effEditDraw), 0);
  EXPECT_EQ(Dispatch(effEditClose), 1);
}

// Each instance builds its editor model, images included; closing frees all of it (the
// sanitizer build's leak check sees every allocation of the module).
TEST(KestruneModule, AThousandInstancesWithEditorsComeAndGo)
{
  void* module = dlopen(kModulePath, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto entry = reinterpret_cast<VstPluginMainProc>(dlsym(module, "VSTPluginMain"));
  ASSERT_NE(entry, nullptr);
  std::vector<uint32_t> pixels(465 * 488);
  int withEditor = 0;
  for (int i = 0; i < 1000; ++i)
  {
    AEffect* e = entry(nullptr);
    ASSERT_NE(e, nullptr);
    e->dispatcher(e, effOpen, 0, 0, nullptr, 0.f);
    e->setParameter(e, i % kNumParams, float(i % 7) / 6.f);
    ERect* pRect = nullptr;
    if (e->dispatcher(e, effEditGetRect, 0, 0, &pRect, 0.f) == 1 && pRect && pRect->right == 465) ++withEditor;
    if (i % 50 == 0)
    {
      EditorSnapshotRequest request{465, 488, pixels.data()};
      EXPECT_EQ(e->dispatcher(e, effVendorSpecific, kEditorSnapshotRequest, 0, &request, 0.f), 1);
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
  }
  EXPECT_EQ(withEditor, 1000);
  dlclose(module);
}

TEST_F(KestruneDispatch, MidiPassesStraightThrough)
{
  VstMidiEvent cc;
  memset(&cc, 0, sizeof(cc));
  cc.type = kVstMidiType;
  cc.byteSize = sizeof(cc);
  cc.deltaFrames = 9;
  cc.midiData[0] = static_cast<char>(0xB0);
  cc.midiData[1] = 7;
  cc.midiData[2] = 99;
  VstEvents list;
  list.numEvents = 1;
  list.reserved = 0;
  list.events[0] = reinterpret_cast<VstEvent*>(&cc);
  list.events[1] = nullptr;
  EXPECT_EQ(Dispatch(effProcessEvents, 0, 0, &list), 1);
  auto sent = mHost.CallsWith(audioMasterProcessEvents);
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].events.size(), 1u);
  EXPECT_EQ(sent[0].events[0].deltaFrames, 9);
  EXPECT_EQ(sent[0].events[0].midiData[0], 0xB0);
  EXPECT_EQ(sent[0].events[0].midiData[1], 7);
  EXPECT_EQ(sent[0].events[0].midiData[2], 99);
}

TEST_F(KestruneDispatch, HostileRequestsNeverCrash)
{
  alignas(16) uint8_t scratch[2048] = {};
  for (int32_t op = 0; op <= 100; ++op)
  {
    if (op == effClose) continue;
    Dispatch(op, -1, 0, nullptr, 0.f);
    Dispatch(op, 1 << 30, 0, nullptr, -1.f);
    memset(scratch, 0, sizeof(scratch));
    Dispatch(op, -7, 0, scratch, std::nanf(""));
  }
  // The sweep above also disconnected every output (a zeroed arrangement has no channels).
  VstSpeakerArrangement stereo;
  memset(&stereo, 0, sizeof(stereo));
  stereo.type = kSpeakerArrStereo;
  stereo.numChannels = 2;
  Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&stereo), &stereo);
  mHost.SetParameter(-1, 0.5f);
  mHost.SetParameter(6, 0.5f);
  mHost.SetParameter(kOut, std::nanf(""));
  mHost.SetParameter(kCircuit, -1e30f);
  mHost.SetParameter(kBypass, 1e30f);
  EXPECT_EQ(mHost.GetParameter(1 << 30), 0.f);

  Dispatch(effSetBlockSize, 0, 64);
  AudioBuffers<float> in(2, 4096, 0.5f), out(2, 4096);
  mHost.ProcessReplacing(in.Pointers(), out.Pointers(), 4096);
  mHost.ProcessAccumulating(in.Pointers(), out.Pointers(), -4096);
  mHost.ProcessReplacing(nullptr, nullptr, 64);
  AudioBuffers<double> din(2, 4096, 0.5), dout(2, 4096);
  mHost.ProcessDoubleReplacing(din.Pointers(), dout.Pointers(), 4096);
  mHost.ProcessDoubleReplacing(din.Pointers(), nullptr, 16);
  // Bypass is on (1e30 ends at the top): what was processed is the input; the rest is silence.
  EXPECT_EQ(dout.Channel(0)[63], 0.5);
  EXPECT_EQ(dout.Channel(0)[64], 0.0);
  EXPECT_EQ(out.Channel(1)[4095], 0.0f);
}

// ---- Sound ----

TEST(KestruneSound, BypassIsBitExactOnEveryPath)
{
  Instance fx;
  ASSERT_TRUE(fx.Loaded());
  fx.Host().SetParameter(kBypass, 1.f);
  fx.Host().SetParameter(kOut, 0.9f);
  fx.Host().SetParameter(kCircuit, 1.f);
  const Stereo in = Pair(4096, 0.9);
  Stereo out = fx.Run(in, 512);
  EXPECT_EQ(out.left, in.left);
  EXPECT_EQ(out.right, in.right);
  Stereo fout = out;
  fx.Float(in, fout, 0, 1024);
  EXPECT_EQ(fout.left, in.left);
  // Accumulating adds the input to what the host buffers held.
  AudioBuffers<float> fin(2, 8, 0.375f), acc(2, 8, 1.0f);
  fx.Host().ProcessAccumulating(fin.Pointers(), acc.Pointers(), 8);
  EXPECT_EQ(acc.Channel(1), std::vector<float>(8, 1.375f));
}

TEST(KestruneSound, MonoHostHearsWhatTheLeftChannelOfAStereoHostHears)
{
  Instance stereo, mono;
  ASSERT_TRUE(stereo.Loaded() && mono.Loaded());
  VstSpeakerArrangement one;
  memset(&one, 0, sizeof(one));
  one.type = kSpeakerArrMono;
  one.numChannels = 1;
  mono.Host().Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&one), &one);
  const Stereo in = Pair(3000, 0.5);
  const Stereo reference = stereo.Run(in, 500);
  std::vector<double> out(3000);
  for (int pos = 0; pos < 3000; pos += 500)
  {
    double* ins[1] = {const_cast<double*>(in.left.data()) + pos};
    double* outs[1] = {out.data() + pos};
    mono.Host().ProcessDoubleReplacing(ins, outs, 500);
  }
  EXPECT_EQ(out, reference.left);
}

TEST(KestruneSound, NotANumberInStoredStateReadsAsTheMinimumAndKeepsTheSoundFinite)
{
  Instance fx;
  ASSERT_TRUE(fx.Loaded());
  const double nan = std::nan("");
  const double values[6] = {0.8, nan, nan, 0.0, 0.5, nan};
  fx.Host().Dispatch(effSetChunk, 1, sizeof(values), const_cast<double*>(values));
  EXPECT_EQ(fx.Host().GetParameter(kCircuit), 0.f);
  EXPECT_EQ(fx.Host().GetParameter(kHi), 0.f);
  EXPECT_EQ(fx.Host().GetParameter(kBypass), 0.f);
  const Stereo out = fx.Run(Pair(4000, 0.5));
  EXPECT_TRUE(std::all_of(out.left.begin(), out.left.end(), [](double v) { return std::isfinite(v); }));
  EXPECT_GT(PeakOf(out.left, 3000, 4000), 0.0);
}

TEST(KestruneSound, FadesInOverTheFirstSecondAfterCreation)
{
  Instance fx;
  ASSERT_TRUE(fx.Loaded());
  const int fs = 44100;
  Stereo out = fx.Run(Both(Sine(3 * fs, 0.1, 1000., fs)));
  const double steady = PeakOf(out.left, 2 * fs, 3 * fs);
  ASSERT_GT(steady, 0.01);
  EXPECT_LT(PeakOf(out.left, 0, fs / 1000), 0.01 * steady);
  const double at100ms = PeakOf(out.left, fs / 10, fs / 10 + 441);
  const double at400ms = PeakOf(out.left, 4 * fs / 10, 4 * fs / 10 + 441);
  const double at1s = PeakOf(out.left, fs, fs + 441);
  EXPECT_LT(at100ms, at400ms);
  EXPECT_LT(at400ms, at1s);
  EXPECT_GT(at1s, 0.8 * steady);
}

TEST(KestruneSound, OutAtZeroDecaysToSilence)
{
  for (int circuit = 0; circuit <= 1; ++circuit)
  {
    Instance fx;
    ASSERT_TRUE(fx.Loaded());
    fx.Host().SetParameter(kCircuit, static_cast<float>(circuit));
    const int fs = 44100;
    const Stereo in = Pair(8 * fs, 0.5);
    Stereo out{std::vector<double>(in.left.size()), std::vector<double>(in.left.size())};
    const int change = 2 * fs;
    fx.Span(in, out, 0, change);
    fx.Host().SetParameter(kOut, 0.f);
    fx.Span(in, out, change, 6 * fs);
    const double before = PeakOf(out.left, change - fs / 2, change);
    ASSERT_GT(before, 0.01) << circuit;
    EXPECT_LT(PeakOf(out.left, 7 * fs, 8 * fs), 1e-4 * before) << circuit;
    EXPECT_LT(PeakOf(out.right, 7 * fs, 8 * fs), 1e-4 * before) << circuit;
  }
}

TEST(KestruneSound, CircuitSwitchTakesEffectOnTheNextFrame)
{
  Instance first, second, switched;
  ASSERT_TRUE(first.Loaded() && second.Loaded() && switched.Loaded());
  second.Host().SetParameter(kCircuit, 1.f);
  first.Host().SetParameter(kOut, 0.3f);
  second.Host().SetParameter(kOut, 0.3f);
  switched.Host().SetParameter(kOut, 0.3f);
  const Stereo in = Pair(8000, 0.5);
  const Stereo a = first.Run(in, 500);
  const Stereo b = second.Run(in, 500);
  Stereo c{std::vector<double>(8000), std::vector<double>(8000)};
  switched.Span(in, c, 0, 5001, 500);
  switched.Host().SetParameter(kCircuit, 1.f);
  switched.Span(in, c, 5001, 2999, 500);
  EXPECT_TRUE(std::equal(c.left.begin(), c.left.begin() + 5001, a.left.begin()));
  EXPECT_TRUE(std::equal(c.left.begin() + 5001, c.left.end(), b.left.begin() + 5001));
  EXPECT_TRUE(std::equal(c.right.begin() + 5001, c.right.end(), b.right.begin() + 5001));
  EXPECT_NE(a.left[5001], b.left[5001]);
}

TEST(KestruneSound, SpareParameterChangesNothingAudible)
{
  Instance plain, toggled;
  ASSERT_TRUE(plain.Loaded() && toggled.Loaded());
  const Stereo in = Pair(6000, 0.7);
  const Stereo a = plain.Run(in, 1000);
  Stereo b{std::vector<double>(6000), std::vector<double>(6000)};
  for (int pos = 0; pos < 6000; pos += 1000)
  {
    toggled.Host().SetParameter(kSpare, (pos / 1000) % 2 ? 1.f : 0.f);
    toggled.Double(in, b, pos, 1000);
  }
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

TEST(KestruneSound, ResetsAndSettingChangesKeepTheSoundGoing)
{
  Instance steady, poked;
  ASSERT_TRUE(steady.Loaded() && poked.Loaded());
  const Stereo in = Pair(4096, 0.6);
  const Stereo a = steady.Run(in, 1024);
  Stereo b{std::vector<double>(4096), std::vector<double>(4096)};
  for (int pos = 0; pos < 4096; pos += 1024)
  {
    poked.Host().Dispatch(effMainsChanged, 0, 0);
    poked.Host().Dispatch(effSetBlockSize, 0, 1024);
    poked.Host().Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.f);
    poked.Host().Dispatch(effMainsChanged, 0, 1);
    poked.Double(in, b, pos, 1024);
  }
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
}

// Time for the level of a quiet 1 kHz tone to fall to 1/e after OUT is turned from its settled
// value to 0. The first circuit scales its output by OUT and the signal stays inside the
// saturation's first (straight) segment, so the level follows the OUT smoother exactly.
double OutDecayTime(int fs)
{
  Instance fx(static_cast<float>(fs));
  if (!fx.Loaded()) return -1.0;
  const int settle = 3 * fs;
  const int total = settle + 3 * fs / 2;
  const Stereo in = Both(Sine(total, 0.001, 1000., fs));
  Stereo out{std::vector<double>(total), std::vector<double>(total)};
  fx.Span(in, out, 0, settle);
  fx.Host().SetParameter(kOut, 0.f);
  fx.Span(in, out, settle, total - settle);

  const int window = fs / 500;  // 2 ms: at least one period of the tone
  const double start = PeakOf(out.left, settle - window, settle);
  for (int pos = settle; pos + window <= total; pos += window)
  {
    if (PeakOf(out.left, pos, pos + window) < start / std::exp(1.0))
      return (pos - settle + window / 2) / static_cast<double>(fs);
  }
  return -1.0;
}

TEST(KestruneSound, SmoothingTimeConstantIsTheSameAt44100And96000)
{
  const double tau = 1.0 / (kTwoPi * 0.4);  // 0.398 s
  const double t44 = OutDecayTime(44100);
  const double t96 = OutDecayTime(96000);
  EXPECT_NEAR(t44, tau, 0.006);
  EXPECT_NEAR(t96, tau, 0.006);
  EXPECT_NEAR(t44, t96, 0.004);
}

TEST(KestruneSound, FloatAndDoublePathsAgreeToFloatPrecision)
{
  Instance viaDouble, viaFloat;
  ASSERT_TRUE(viaDouble.Loaded() && viaFloat.Loaded());
  const Stereo in = Pair(5000, 0.8);
  const Stereo d = viaDouble.Run(in, 1000);
  Stereo f{std::vector<double>(5000), std::vector<double>(5000)};
  for (int pos = 0; pos < 5000; pos += 1000) viaFloat.Float(in, f, pos, 1000);
  for (int i = 0; i < 5000; ++i)
  {
    ASSERT_NEAR(f.left[i], d.left[i], 1e-7) << i;
    ASSERT_NEAR(f.right[i], d.right[i], 1e-7) << i;
  }
}

TEST(KestruneSound, OutputDoesNotDependOnTheHostsBlockSize)
{
  const int total = 20000;
  const Stereo in = Pair(total, 0.6);
  struct Change
  {
    int frame, param;
    float value;
  };
  const Change changes[] = {{3000, kOut, 0.9f}, {7000, kCircuit, 1.f}, {11000, kHi, 0.2f},
                            {13000, kLo, 0.9f}, {15000, kBypass, 1.f}, {17000, kBypass, 0.f}};

  auto render = [&](int blockSize, bool useFloat) {
    Instance fx;
    Stereo out{std::vector<double>(total), std::vector<double>(total)};
    size_t next = 0;
    for (int pos = 0; pos < total;)
    {
      while (next < sizeof(changes) / sizeof(changes[0]) && changes[next].frame == pos)
      {
        fx.Host().SetParameter(changes[next].param, changes[next].value);
        ++next;
      }
      int end = std::min(pos + blockSize, total);
      if (next < sizeof(changes) / sizeof(changes[0])) end = std::min(end, changes[next].frame);
      if (useFloat)
        fx.Float(in, out, pos, end - pos);
      else
        fx.Double(in, out, pos, end - pos);
      pos = end;
    }
    return out;
  };

  const Stereo reference = render(1024, false);
  for (int blockSize : {1, 7, 64, 333})
  {
    const Stereo out = render(blockSize, false);
    EXPECT_EQ(out.left, reference.left) << blockSize;
    EXPECT_EQ(out.right, reference.right) << blockSize;
  }
  const Stereo viaFloat = render(1024, true);
  const Stereo viaFloatSmall = render(7, true);
  EXPECT_EQ(viaFloat.left, viaFloatSmall.left);
}

} // namespace
