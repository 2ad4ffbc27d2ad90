// A message box as the three programs show it, without an owner window: its text and title,
// owned and in UTF-8 so that any file name fits, and its style (icon and buttons). Portable,
// so every program's flows build their boxes on any host and their tests read them; styles
// and answers carry their Win32 values. Each program shows a box through one function of
// its own: ShowMessageBox (win32/show_message.h) for Setup and Uninstall, ShowTrayMessageBox
// (tray/windows/modal.h) for the tray program, whose modal loop counts it.
#pragma once

#include <string>

enum : unsigned { kBoxOk = 0x0, kBoxOkCancel = 0x1, kBoxYesNo = 0x4, kBoxRetryCancel = 0x5 };
enum : unsigned { kIconError = 0x10, kIconQuestion = 0x20, kIconWarning = 0x30, kIconInformation = 0x40 };
// Brings the box to the front: the tray program's boxes of the current language open from
// its tray menu and after the system's file dialogs, with none of its windows in front.
enum : unsigned { kBoxToForeground = 0x10000 };
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerRetry = 4, kAnswerYes = 6, kAnswerNo = 7 };

struct MessageBoxText {
    std::string text;   // UTF-8
    std::string title;  // UTF-8
    unsigned style = kBoxOk;
};
