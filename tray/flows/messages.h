// The tray program's message boxes, every text, title and style in one place: the fixed
// English boxes of start-up, recovery and saving, those that name a folder or file, and the
// boxes of the current language. Folder and file names and the system's words come in the
// system's ANSI code page, as the system gave them; the boxes hold them in UTF-8.
#pragma once

#include <string>

#include "code_page.h"
#include "message_box.h"

MessageBoxText AlreadyRunningMessage();
MessageBoxText NoDataFileQuestion();
// Retry and Cancel, so that a directory that cannot be written never traps the user.
MessageBoxText CannotCreateDataFileMessage();
MessageBoxText CorruptDataFileMessage();
MessageBoxText SaveFailedMessage();

// A damaged data file that could not be moved aside, with its full name and the name of the
// file that stood in the way: the data file itself, or the corrupt-file name.
MessageBoxText CorruptDataFileKeptMessage(const CodePage& ansi, const std::string& dataDirectory,
                                          const std::string& blocking);

// A data file that is there but could not be read, with its full name and the system's
// reason; Retry and Cancel.
MessageBoxText UnreadableDataFileMessage(const CodePage& ansi, const std::string& dataDirectory,
                                         const std::string& name, const std::string& reason);

// "Tolvek Diary is not properly installed. Please reinstall.%i" with the error code.
MessageBoxText NotInstalledMessage(long errorCode);

// Where the diary lives, told once when it is chosen.
// Asks whether the diary found in `directory` comes into the user's own folder.
MessageBoxText CarryOverQuestion(const CodePage& ansi, const std::string& directory);
// The diary of `directory` is used by another session: the user's own folder from now on.
MessageBoxText DiaryMovedMessage(const CodePage& ansi, const std::string& directory, const std::string& folder);
// Two diaries were found: `home` is used, `other` stays as it was.
MessageBoxText TwoDiariesMessage(const CodePage& ansi, const std::string& home, const std::string& other);
// The recorded folder of the diary exists but cannot be entered now.
MessageBoxText DataFolderUnreachableMessage(const CodePage& ansi, const std::string& folder);

// A box in the current language, titled with the program's name and brought to the front.
MessageBoxText CurrentLanguageBox(const std::u16string& text, unsigned style);
