#include <gtest/gtest.h>

#include <string>

#include "graphics/IFileSelectorControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IURLControl.h"
#include "tests/graphics/ControlEditor.h"

using namespace control_pictures;
using Answer = IGraphicsHeadless::Answer;
using Prompt = IGraphicsHeadless::Prompt;

namespace
{
// The addresses the editor was asked to open, in order.
std::vector<std::string> OpenedURLs(IGraphicsHeadless* pGui)
{
  std::vector<std::string> urls;
  for (const Prompt& p : pGui->Prompts())
    if (p.kind == Prompt::kURL) urls.push_back(p.text);
  return urls;
}
} // namespace

// A click opens the address; the backup only when that fails or there is none; nothing when
// both are missing. The link has no value, tells the host nothing and draws nothing.
TEST(URLControl, OpensTheAddressOrElseTheBackup)
{
  const std::string main = "https://example.com/product/kestrune/", backup = "https://example.org/kestrune";
  struct Case
  {
    const char* url;
    const char* backupURL;
    bool mainOpens;
    std::vector<std::string> asked;
  };
  const Case cases[] = {{main.c_str(), backup.c_str(), true, {main}},
                        {main.c_str(), backup.c_str(), false, {main, backup}},
                        {main.c_str(), nullptr, false, {main}},
                        {"", backup.c_str(), false, {backup}},
                        {nullptr, "", false, {}},
                        {nullptr, nullptr, true, {}}};
  for (const Case& c : cases)
  {
    ControlEditor ed(31);
    IURLControl* pLink = ed.Add(new IURLControl(&ed.plug, IRECT(60, 80, 160, 180), c.url, c.backupURL, "No browser"));
    ed.Attach();
    ed.gui->QueueAnswer(c.mainOpens ? Answer::Choose(0) : Answer::Cancel());
    ed.gui->QueueAnswer(Answer::Choose(0));
    ed.Click(65, 99);
    EXPECT_EQ(OpenedURLs(ed.gui), c.asked);
    EXPECT_EQ(pLink->GetValue(), 0.0);
    EXPECT_TRUE(ed.plug.Events().empty());
    EXPECT_TRUE(SamePixels(ed.Render(), ed.background));
  }
}

// Texts longer than their fields are cut to the field, terminator kept.
TEST(URLControl, LongTextsAreCutToTheirFields)
{
  editor_test::EditorTestPlug plug;
  const std::string url(300, 'u'), message(2000, 'm');
  IURLControl link(&plug, IRECT(0, 0, 10, 10), url.c_str(), url.c_str(), message.c_str());
  EXPECT_EQ(std::string(link.GetURL()), url.substr(0, MAX_URL_LEN - 1));
  EXPECT_EQ(std::string(link.GetBackupURL()), url.substr(0, MAX_URL_LEN - 1));
  EXPECT_EQ(std::string(link.GetErrMsg()), message.substr(0, MAX_NET_ERR_MSG_LEN - 1));
}

namespace
{
// A host that repaints while its file dialog is up, as a windowed host's event loop does.
class RepaintingHost : public IGraphicsHeadless
{
public:
  explicit RepaintingHost(IPlugBase* pPlug) : IGraphicsHeadless(pPlug, ControlEditor::kW, ControlEditor::kH) {}
  void PromptForFile(WDL_String* pFile, EFileAction action, WDL_String* pDir, const char* extensions) override
  {
    IRECT dirty;
    if (IsDirty(&dirty)) Draw(&dirty);
    duringPrompt = PictureOf(GetDrawBitmap());
    IGraphicsHeadless::PromptForFile(pFile, action, pDir, extensions);
  }
  Picture duringPrompt;
};
} // namespace

// A click asks for a file in the start folder among the extensions; the answer is kept for the
// plug-in and each prompt flips the value, pushed inside the click's gesture. The button shows
// its image while the dialog is up and is reported dirty once more after it returned.
TEST(FileSelectorControl, PromptsForAFileAndFlipsItsValue)
{
  ControlEditor ed(33, [](IPlugBase* pPlug) -> IGraphicsHeadless* { return new RepaintingHost(pPlug); });
  const Picture image = RandomPicture(30, 30, 34);
  IBitmap bm = ed.Image(image);
  IFileSelectorControl* pSelector =
    ed.Add(new IFileSelectorControl(&ed.plug, IRECT(40, 40, 60, 55), kSwitch, &bm, kFileSave, "/music/", "wav aif"));
  ed.Attach();
  ed.Render();

  ed.gui->QueueAnswer(Answer::Text("/music/takes/one.wav"));
  ed.Click(45, 45);
  WDL_String file;
  pSelector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/music/takes/one.wav");
  EXPECT_EQ(pSelector->GetValue(), 1.0);
  const std::vector<HostEvent> gesture = {{HostEvent::kBegin, kSwitch, 0.0},
                                           {HostEvent::kAutomate, kSwitch, 1.0},
                                           {HostEvent::kEnd, kSwitch, 0.0}};
  EXPECT_EQ(ed.plug.Events(), gesture);
  ASSERT_EQ(ed.gui->Prompts().size(), 1u);
  const Prompt& asked = ed.gui->Prompts()[0];
  EXPECT_EQ(asked.kind, Prompt::kFile);
  EXPECT_EQ(asked.text, "/music/");
  EXPECT_EQ(asked.items, std::vector<std::string>{"wav aif"});
  EXPECT_EQ(asked.type, kFileSave);

  Picture pressed = ed.background;
  pressed.Over(image, 0, 0, 20, 15, 40, 40, IRECT(0, 0, ControlEditor::kW, ControlEditor::kH));
  EXPECT_TRUE(SamePixels(static_cast<RepaintingHost*>(ed.gui)->duringPrompt, pressed));

  EXPECT_TRUE(pSelector->IsDirty());
  ed.Render();
  EXPECT_TRUE(pSelector->IsDirty());
  EXPECT_FALSE(pSelector->IsDirty());
  EXPECT_TRUE(SamePixels(ed.Render(), ed.background));

  // The next prompt starts in the folder of the last answer; cancelling it empties the file.
  ed.Click(45, 45);
  pSelector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "");
  EXPECT_EQ(ed.gui->Prompts().back().text, "/music/takes/");
  EXPECT_EQ(pSelector->GetValue(), 0.0);
  EXPECT_EQ(ed.Informed(kSwitch), (std::vector<double>{1.0, 0.0}));

  pSelector->SetLastSelectedFileFromPlug("/tmp/x.aif");
  pSelector->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/tmp/x.aif");
}
