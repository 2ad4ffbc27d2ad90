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
