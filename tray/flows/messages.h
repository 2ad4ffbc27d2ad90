// The fixed English message boxes of start-up, recovery and saving: every text, title
// and style in one place.
#pragma once

#include <string>

#include "message_box.h"

extern const MessageBoxText kAlreadyRunning;
extern const MessageBoxText kNoDataFile;
extern const MessageBoxText kCannotCreateDataFile;
extern const MessageBoxText kCorruptDataFile;
extern const MessageBoxText kSaveFailed;

// A damaged data file that could not be moved aside, with its full name and the name of the
// file that stood in the way: the data file itself, or the corrupt-file name.
MessageBoxText CorruptDataFileKeptMessage(const std::string& dataDirectory, std::string& text,
                                          const std::string& blocking);

// A data file that is there but could not be read, with its full name and the system's
// reason; Retry and Cancel.
MessageBoxText UnreadableDataFileMessage(const std::string& dataDirectory, const std::string& name,
                                         const std::string& reason, std::string& text);

// "Tolvek Diary is not properly installed. Please reinstall.%i" with the error code.
MessageBoxText NotInstalledMessage(long errorCode, std::string& text);

// Where the diary lives, told once when it is chosen. Each fills `text` and shows it.
// Asks whether the diary found in `directory` comes into the user's own folder.
MessageBoxText CarryOverQuestion(const std::string& directory, std::string& text);
// The diary of `directory` is used by another session: the user's own folder from now on.
MessageBoxText DiaryMovedMessage(const std::string& directory, const std::string& folder, std::string& text);
// Two diaries were found: `home` is used, `other` stays as it was.
MessageBoxText TwoDiariesMessage(const std::string& home, const std::string& other, std::string& text);
// The recorded folder of the diary exists but cannot be entered now.
MessageBoxText DataFolderUnreachableMessage(const std::string& folder, std::string& text);
