#pragma once

// Message boxes and file prompts through the desktop's dialog tools: zenity when it is installed,
// else kdialog. With neither, a message box answers its default button and a file prompt answers
// as cancelled.

#include <functional>
#include <string>

#include "graphics/IGraphicsStructs.h"

// The results of a message box, by the button pressed.
enum EMessageBoxResult
{
  kMessageBoxNone = 0,
  kMessageBoxDefault = 1, // OK, or Yes
  kMessageBoxCancel = 2,
  kMessageBoxNo = 7
};

// The dialog tools a desktop may have, in the order they are preferred.
enum EDialogTool
{
  kDialogNone,
  kDialogZenity,
  kDialogKdialog
};

// The tool found along $PATH now.
EDialogTool FindDialogTool();

// Shows text under caption with the buttons of type: 4 Yes and No, 3 Yes, No and Cancel, 1 OK and
// Cancel, any other OK only. Returns the button pressed: kMessageBoxDefault for OK and Yes,
// kMessageBoxNo, kMessageBoxCancel; closing the dialog otherwise counts as Cancel (as No for type 4,
// which has no Cancel). Without a tool, kMessageBoxDefault. whileWaiting runs now and then while
// the dialog is up.
int RunMessageBox(EDialogTool tool, const char* text, const char* caption, int type,
                  const std::function<void()>& whileWaiting);

// Asks for a file to open (kFileOpen) or save (kFileSave), starting in folder dir with the name
// startName, offering the files whose extensions are in the blank-separated list extensions (all
// files when it is empty). Returns the chosen path, or "" when cancelled or without a tool.
std::string RunFilePrompt(EDialogTool tool, EFileAction action, const std::string& dir, const std::string& startName,
                          const char* extensions, const std::function<void()>& whileWaiting);
