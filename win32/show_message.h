// The one way the programs show a fixed message box: no owner window, ANSI text.
#pragma once

#include "message_box.h"

// Gives the button pressed (kAnswerOk, kAnswerCancel, ...).
int ShowFixedMessageBox(const MessageBoxText& box);
