// A fixed message box as the programs show it, without an owner window: its text, title
// and style. Portable, so every program's flows and their host tests share it; box styles
// and answers carry their Win32 values.
#pragma once

constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxOkCancel = 0x1;
constexpr unsigned kBoxYesNo = 0x4;
constexpr unsigned kBoxRetryCancel = 0x5;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;

constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerRetry = 4;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct MessageBoxText {
    const char* text;
    const char* title;
    unsigned style;
};
