// The fixed English message boxes of start-up, recovery and saving: every text, title
// and style in one place. Box styles and answers carry their Win32 values.
#pragma once

#include <string>

constexpr unsigned kBoxOk = 0x0;
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

extern const MessageBoxText kAlreadyRunning;
extern const MessageBoxText kNoDataFile;
extern const MessageBoxText kCannotCreateDataFile;
extern const MessageBoxText kCorruptDataFile;
extern const MessageBoxText kSaveFailed;

// "Tolvek Diary is not properly installed. Please reinstall.%i" with the error code.
MessageBoxText NotInstalledMessage(long errorCode, std::string& text);
