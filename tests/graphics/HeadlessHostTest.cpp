// The headless host: images from its resource table and folder, the frame and painted areas, PNG
// output, scripted answers to every kind of prompt, the window token, tooltips and paths.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "graphics/IPopupMenu.h"
#include "rasterizer/lice_png.h"
#include "tests/graphics/EditorTestKit.h"

namespace editor_test {
namespace {

using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;
using HeadlessHost = EditorTest;

// A scratch folder removed with everything in it at the end of the test.
class TempFolder
{
public:
  TempFolder()
  {
    char pattern[] = "/tmp/kestrune-headless-XXXXXX";
    mPath = mkdtemp(pattern) ? pattern : "";
  }
  ~TempFolder()
  {
    if (!mPath.empty()) (void)!system(("rm -rf '" + mPath + "'").c_str());
  }
  const std::string& Path() const { return mPath; }

private:
  std::string mPath;
};

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const std::string& value) : mName(name)
  {
    const char* old = getenv(name);
    mHad = old != nullptr;
    if (mHad) mOld = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv()
  {
    if (mHad)
      setenv(mName, mOld.c_str(), 1);
    else
      unsetenv(mName);
  }

private:
  const char* mName;
  bool mHad;
  std::string mOld;
};

TEST_F(HeadlessHost, LoadsPngImagesFromItsTableThenItsFolder)
{
  const Picture a = MakeFilmstrip(3, 2, 1, false, 21), b = MakeFilmstrip(2, 3, 1, false, 22);
  AddImage(editor, "bg.png", a);
  AddImage(editor, "resources/img/knob.png", b);
  const auto loaded = [&](const char* name) {
    LICE_IBitmap* pBitmap = editor->OSLoadBitmap(-1, name);
    const bool found = pBitmap != nullptr;
    delete pBitmap;
    return found;
  };
  LICE_IBitmap* pBg = editor->OSLoadBitmap(-1, "resources/img/bg.png");
  EXPECT_TRUE(SamePixels(PictureOf(pBg), a));
  delete pBg;
  LICE_IBitmap* pKnob = editor->OSLoadBitmap(-1, "resources/img/knob.png");
  EXPECT_TRUE(SamePixels(PictureOf(pKnob), b));
  delete pKnob;
  EXPECT_FALSE(loaded("knob.png"));
  EXPECT_FALSE(loaded("bg.jpg"));
  EXPECT_FALSE(loaded("bg"));
  EXPECT_FALSE(loaded(nullptr));
  const char garbage[] = "not an image at all";
  editor->AddResource("bad.png", garbage, sizeof(garbage));
  EXPECT_FALSE(loaded("bad.png"));
  EXPECT_FALSE(editor->AddResource("empty.png", garbage, 0));

  TempFolder folder;
  const std::vector<unsigned char> file = EncodePNG(b);
  std::ofstream(folder.Path() + "/Upper.PNG", std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                                     static_cast<std::streamsize>(file.size()));
  EXPECT_FALSE(loaded("img/Upper.PNG"));
  editor->SetResourceFolder(folder.Path().c_str());
  LICE_IBitmap* pUpper = editor->OSLoadBitmap(-1, "img/Upper.PNG");
  EXPECT_TRUE(SamePixels(PictureOf(pUpper), b));
  delete pUpper;
}

TEST_F(HeadlessHost, TheFrameKeepsWhatEachPaintCopiedAndWritesAsPng)
{
  EXPECT_EQ(editor->GetFrame(), nullptr);
  EXPECT_FALSE(editor->WriteFramePNG("/tmp/never-written.png"));
  ProbeControl* pProbe = AddProbe(IRECT(0, 0, kWidth, kHeight));
  LICE_pixel colour = 0xFF112233u;
  pProbe->draw = [&](IGraphics* pGraphics, IControl*) {
    IRECT all(0, 0, kWidth, kHeight);
    const IColor c = IColor::FromPacked(colour);
    pGraphics->FillIRect(&c, &all);
  };
  editor->Tick();
  // The whole draw bitmap changes colour, but only the painted part reaches the frame.
  colour = 0xFF445566u;
  IRECT part(10, 20, 30, 25);
  editor->Draw(&part);
  Picture expected(kWidth, kHeight, 0xFF112233u);
  expected.Fill(part, 0xFF445566u);
  EXPECT_TRUE(SamePixels(PictureOf(editor->GetFrame()), expected));
  EXPECT_TRUE(SamePixels(PictureOf(editor->GetDrawBitmap()), Picture(kWidth, kHeight, 0xFF445566u)));
  EXPECT_EQ(editor->PaintedRects(), (std::vector<IRECT>{IRECT(0, 0, kWidth, kHeight), part}));

  TempFolder folder;
  const std::string path = folder.Path() + "/frame.png";
  ASSERT_TRUE(editor->WriteFramePNG(path.c_str()));
  LICE_IBitmap* pRead = LICE_LoadPNG(path.c_str());
  EXPECT_TRUE(SamePixels(PictureOf(pRead), expected));
  delete pRead;
  EXPECT_FALSE(editor->WriteFramePNG((folder.Path() + "/missing/frame.png").c_str()));
}

TEST_F(HeadlessHost, AnswersEveryKindOfPromptFromItsScriptAndRecordsIt)
{
  editor->QueueAnswer(Answer::Choose(7));
  editor->QueueAnswer(Answer::Cancel());
  editor->QueueAnswer(Answer::Choose(1));
  editor->QueueAnswer(Answer::Text("clipboard text"));
  editor->QueueAnswer(Answer::Choose(0x80FF0010));
  EXPECT_EQ(editor->NPendingAnswers(), 5);
  EXPECT_EQ(editor->ShowMessageBox("Sure?", "Title", 4), 7);
  EXPECT_FALSE(editor->OpenURL("https://example.org/a"));
  EXPECT_TRUE(editor->OpenURL("https://example.org/b"));
  WDL_String clip;
  EXPECT_TRUE(editor->GetTextFromClipboard(&clip));
  EXPECT_STREQ(clip.Get(), "clipboard text");
  IColor colour;
  EXPECT_TRUE(editor->PromptForColor(&colour, "Pick"));
  EXPECT_EQ(colour, IColor(0x80, 0xFF, 0x00, 0x10));
  // The script is used up: everything from now on is cancelled.
  EXPECT_EQ(editor->ShowMessageBox("Again?", "Title", 1), 0);
  EXPECT_FALSE(editor->GetTextFromClipboard(&clip));
  EXPECT_STREQ(clip.Get(), "");
  EXPECT_FALSE(editor->PromptForColor(&colour));

  const std::vector<Prompt>& prompts = editor->Prompts();
  ASSERT_EQ(prompts.size(), 8u);
  EXPECT_EQ(prompts[0].kind, Prompt::kMessageBox);
  EXPECT_EQ(prompts[0].text, "Sure?");
  EXPECT_EQ(prompts[0].type, 4);
  EXPECT_EQ(prompts[1].kind, Prompt::kURL);
  EXPECT_EQ(prompts[2].text, "https://example.org/b");
  EXPECT_EQ(prompts[3].kind, Prompt::kClipboard);
  EXPECT_EQ(prompts[4].kind, Prompt::kColor);
  EXPECT_EQ(prompts[4].text, "Pick");
  EXPECT_EQ(prompts[7].answer.kind, Answer::kCancel);
}

TEST_F(HeadlessHost, FilePromptsStartOnTheDesktopAndReturnThePathAndItsFolder)
{
  TempFolder home;
  ScopedEnv homeEnv("HOME", home.Path());
  ScopedEnv configEnv("XDG_CONFIG_HOME", home.Path() + "/config");
  WDL_String file("old.fxp"), dir;
  editor->QueueAnswer(Answer::Text("/music/banks/my bank.fxb"));
  editor->PromptForFile(&file, kFileSave, &dir, "fxb fxp");
  EXPECT_STREQ(file.Get(), "/music/banks/my bank.fxb");
  EXPECT_STREQ(dir.Get(), "/music/banks/");
  EXPECT_EQ(editor->Prompts()[0].text, home.Path() + "/Desktop");
  EXPECT_EQ(editor->Prompts()[0].items, (std::vector<std::string>{"fxb fxp"}));
  EXPECT_EQ(editor->Prompts()[0].type, kFileSave);

  editor->PromptForFile(&file, kFileOpen, &dir, "");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "/music/banks/");
  EXPECT_EQ(editor->Prompts()[1].text, "/music/banks/");
}

TEST_F(HeadlessHost, MenusAnswerThroughSubmenusOnlyWithSelectableItems)
{
  IPopupMenu sub;
  sub.AddItem("x");
  sub.AddItem("y", -1, IPopupMenuItem::kDisabled);
  IPopupMenu menu;
  menu.AddItem("plain");
  menu.AddItem("more", &sub);
  menu.AddSeparator();
  IRECT r(1, 2, 3, 4);
  editor->QueueAnswer(Answer::ChooseIn({1, 0}));
  EXPECT_EQ(editor->CreateIPopupMenu(&menu, &r), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 0);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  for (const Answer& answer : {Answer::ChooseIn({1, 1}), Answer::Choose(2), Answer::Choose(1),
                               Answer::ChooseIn({0, 0}), Answer::ChooseIn({5, 0})})
  {
    editor->QueueAnswer(answer);
    EXPECT_EQ(editor->CreateIPopupMenu(&menu, &r), nullptr);
  }
  editor->QueueAnswer(Answer::Choose(0));
  EXPECT_EQ(editor->CreateIPopupMenu(&menu, &r), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 0);
  EXPECT_EQ(editor->Prompts()[0].rect, r);
  EXPECT_EQ(editor->Prompts()[0].items, (std::vector<std::string>{"plain", "more", ""}));
}

TEST_F(HeadlessHost, TheWindowIsATokenAndTooltipsCoverVisibleControls)
{
  EXPECT_FALSE(editor->WindowIsOpen());
  int parent = 0;
  void* pWindow = editor->OpenWindow(&parent);
  EXPECT_NE(pWindow, nullptr);
  EXPECT_EQ(editor->GetWindow(), pWindow);
  EXPECT_EQ(editor->GetParentWindow(), &parent);
  EXPECT_TRUE(editor->WindowIsOpen());
  EXPECT_EQ(editor->OpenWindow(&parent, nullptr, 0, 0), nullptr);

  ProbeControl* pKnob = AddProbe(IRECT(1, 1, 5, 5), kGain);
  ProbeControl* pHidden = AddProbe(IRECT(6, 6, 9, 9), kSteps);
  AddProbe(IRECT());
  pHidden->Hide(true);
  editor->AssignParamNameToolTips();
  EXPECT_STREQ(pKnob->GetTooltip(), "Gain");
  editor->UpdateTooltips();
  EXPECT_TRUE(editor->TooltipAreas().empty());
  editor->EnableTooltips(true);
  editor->UpdateTooltips();
  EXPECT_EQ(editor->TooltipAreas(), (std::vector<IRECT>{IRECT(1, 1, 5, 5)}));

  editor->CloseWindow();
  EXPECT_EQ(editor->GetWindow(), nullptr);
  EXPECT_STREQ(editor->GetGUIAPI(), "Headless GUI");
}

TEST_F(HeadlessHost, PathsFollowTheModuleAndTheXdgUserDirectories)
{
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  WDL_String path;
  editor->HostPath(&path);
  EXPECT_STREQ(path.Get(), self);
  editor->PluginPath(&path);
  const std::string folder = std::string(self).substr(0, std::string(self).rfind('/') + 1);
  EXPECT_STREQ(path.Get(), folder.c_str());

  TempFolder home;
  ScopedEnv homeEnv("HOME", home.Path());
  ScopedEnv configEnv("XDG_CONFIG_HOME", home.Path() + "/cfg");
  ScopedEnv dataEnv("XDG_DATA_HOME", "relative/is/ignored");
  editor->DesktopPath(&path);
  EXPECT_EQ(path.Get(), home.Path() + "/Desktop");
  mkdir((home.Path() + "/cfg").c_str(), 0700);
  std::ofstream(home.Path() + "/cfg/user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  editor->DesktopPath(&path);
  EXPECT_EQ(path.Get(), home.Path() + "/Schreibtisch");
  editor->AppSupportPath(&path, false);
  EXPECT_EQ(path.Get(), home.Path() + "/.local/share");
  editor->AppSupportPath(&path, true);
  EXPECT_STREQ(path.Get(), "/usr/local/share");
  editor->SandboxSafeAppSupportPath(&path);
  EXPECT_EQ(path.Get(), home.Path() + "/Music");
  {
    ScopedEnv absoluteData("XDG_DATA_HOME", "/srv/data");
    editor->AppSupportPath(&path, false);
    EXPECT_STREQ(path.Get(), "/srv/data");
  }
}

} // namespace
} // namespace editor_test
