// How Setup and Uninstall show a message box: without an owner, its UTF-8 text converted
// once to UTF-16 for the wide function, so that the system's ANSI code page never decides
// what a name looks like. The tray program shows its boxes through ShowTrayMessageBox
// (tray/windows/modal.h), which its modal loop counts, and which calls this one.
#pragma once

#include "message_box.h"

// Gives the button pressed (kAnswerOk, kAnswerCancel, ...).
int ShowMessageBox(const MessageBoxText& box);
