// A fixed message box as the programs show it, without an owner window: its text, title
// and style. Portable, so every program's flows and their host tests share it; box styles
// and answers carry their Win32 values.
#pragma once

enum : unsigned { kBoxOk = 0x0, kBoxOkCancel = 0x1, kBoxYesNo = 0x4, kBoxRetryCancel = 0x5 };
enum : unsigned { kIconError = 0x10, kIconQuestion = 0x20, kIconWarning = 0x30 };
enum : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerRetry = 4, kAnswerYes = 6, kAnswerNo = 7 };

struct MessageBoxText {
    const char* text;
    const char* title;
    unsigned style;
};
