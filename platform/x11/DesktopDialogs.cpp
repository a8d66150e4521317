#include "platform/x11/DesktopDialogs.h"

#include <sstream>
#include <vector>

#include "platform/x11/ChildProcess.h"

namespace {

// "fxp fxb" -> "*.fxp *.fxb"; entries that are patterns already stay as they are.
std::string FilePatterns(const char* extensions)
{
  std::istringstream words(extensions ? extensions : "");
  std::string word, patterns;
  while (words >> word)
  {
    if (word.find('*') == std::string::npos) word = "*." + (word[0] == '.' ? word.substr(1) : word);
    patterns += (patterns.empty() ? "" : " ") + word;
  }
  return patterns;
}

std::string WithoutTrailingNewline(std::string text)
{
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::vector<std::string> ZenityMessageBox(const std::string& text, const std::string& caption, int type)
{
  std::vector<std::string> argv = {"zenity", type == 1 || type == 3 || type == 4 ? "--question" : "--info",
                                   "--no-markup", "--title=" + caption, "--text=" + text};
  if (type == 1)
  {
    argv.push_back("--ok-label=OK");
    argv.push_back("--cancel-label=Cancel");
  }
  else if (type == 3 || type == 4)
  {
    argv.push_back("--ok-label=Yes");
    argv.push_back("--cancel-label=No");
    if (type == 3) argv.push_back("--extra-button=Cancel");
  }
  return argv;
}

std::vector<std::string> KdialogMessageBox(const std::string& text, const std::string& caption, int type)
{
  std::vector<std::string> argv = {"kdialog", "--title", caption};
  switch (type)
  {
    case 1: argv.insert(argv.end(), {"--yesno", text, "--yes-label", "OK", "--no-label", "Cancel"}); break;
    case 3: argv.insert(argv.end(), {"--yesnocancel", text}); break;
    case 4: argv.insert(argv.end(), {"--yesno", text}); break;
    default: argv.insert(argv.end(), {"--msgbox", text}); break;
  }
  return argv;
}

} // namespace

EDialogTool FindDialogTool()
{
  if (!FindProgram("zenity").empty()) return kDialogZenity;
  if (!FindProgram("kdialog").empty()) return kDialogKdialog;
  return kDialogNone;
}

int RunMessageBox(EDialogTool tool, const char* text, const char* caption, int type,
                  const std::function<void()>& whileWaiting)
{
  const std::string message = text ? text : "", title = caption ? caption : "";
  if (tool == kDialogNone) return kMessageBoxDefault;
  const ProgramResult result = RunProgram(
    tool == kDialogZenity ? ZenityMessageBox(message, title, type) : KdialogMessageBox(message, title, type),
    whileWaiting);
  if (!result.ran) return kMessageBoxDefault;
  const bool withChoice = type == 1 || type == 3 || type == 4;
  if (!withChoice || result.exitStatus == 0) return kMessageBoxDefault;
  if (type == 1) return kMessageBoxCancel;
  if (type == 4) return kMessageBoxNo;
  // Yes, No and Cancel: zenity names its extra button on its output, kdialog answers 2.
  const bool cancelled = tool == kDialogZenity ? WithoutTrailingNewline(result.output) == "Cancel" || result.exitStatus != 1
                                               : result.exitStatus != 1;
  return cancelled ? kMessageBoxCancel : kMessageBoxNo;
}

std::string RunFilePrompt(EDialogTool tool, EFileAction action, const std::string& dir, const std::string& startName,
                          const char* extensions, const std::function<void()>& whileWaiting)
{
  if (tool == kDialogNone) return {};
  const std::string start = dir + startName;
  const std::string patterns = FilePatterns(extensions);
  std::vector<std::string> argv;
  if (tool == kDialogZenity)
  {
    argv = {"zenity", "--file-selection", "--filename=" + start};
    if (action == kFileSave) argv.insert(argv.end(), {"--save", "--confirm-overwrite"});
    if (!patterns.empty()) argv.push_back("--file-filter=" + patterns);
  }
  else
  {
    argv = {"kdialog", action == kFileSave ? "--getsavefilename" : "--getopenfilename", start};
    if (!patterns.empty()) argv.push_back(patterns);
  }
  const ProgramResult result = RunProgram(argv, whileWaiting);
  if (!result.ran || result.exitStatus != 0) return {};
  return WithoutTrailingNewline(result.output);
}
