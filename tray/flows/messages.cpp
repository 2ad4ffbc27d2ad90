#include "messages.h"

#include "data_file.h"

namespace {
const char kErrorTitle[] = "Tolvek: ERROR";
}

const MessageBoxText kAlreadyRunning = {"Tolvek is already running", "", kBoxOk};

const MessageBoxText kNoDataFile = {
    "No data file found!\n\n"
    "You can either restore a backed up data file\n"
    "or start with an empty one.\n\n"
    "Do you wish to restore the backup?",
    kErrorTitle, kIconQuestion | kBoxYesNo};

// Retry and Cancel, so that a directory that cannot be written never traps the user.
const MessageBoxText kCannotCreateDataFile = {
    "The data file could not be created!\n"
    "Please check your write permissions.",
    kErrorTitle, kIconWarning | kBoxRetryCancel};

const MessageBoxText kCorruptDataFile = {
    "The data file is corrupt! It has been removed.\n\n"
    "A copy of the corrupt file was saved to disk,\n"
    "so can try to dig out what you can from there...",
    kErrorTitle, kIconWarning | kBoxOk};

const MessageBoxText kSaveFailed = {
    "The diary could not be saved!\n\n"
    "The data file was left as it was before this change.\n"
    "Please check the disk and your write permissions.",
    kErrorTitle, kIconWarning | kBoxOk};

MessageBoxText CorruptDataFileKeptMessage(const std::string& dataDirectory, std::string& text,
                                          const std::string& blocking) {
    text = "The data file is corrupt!\n\n"
           "It could not be moved aside, so it has been kept as it is:\n" +
           dataDirectory + "\\" + kDataFileName + "\n\n";
    if (blocking == kCorruptFileName)
        text += std::string(kCorruptFileName) + " could not be replaced:\n" + dataDirectory + "\\" +
                kCorruptFileName +
                "\n\nPlease move that file away (it may be read-only, a folder, or held by another "
                "program), then start Tolvek again.";
    else
        text += "Please move it away (or close the program that holds it), then start Tolvek again.";
    return {text.c_str(), kErrorTitle, kIconWarning | kBoxOk};
}

MessageBoxText UnreadableDataFileMessage(const std::string& dataDirectory, const std::string& name,
                                         const std::string& reason, std::string& text) {
    text = "A data file could not be read:\n" + dataDirectory + "\\" + name + "\n" + reason +
           "\n\nAnother program may be using it (a backup, sync or virus scan, an editor), or you may "
           "not be allowed to read it. Nothing has been changed.\n\n"
           "Press Retry once it is free, or Cancel to end Tolvek.";
    return {text.c_str(), kErrorTitle, kIconWarning | kBoxRetryCancel};
}

MessageBoxText NotInstalledMessage(long errorCode, std::string& text) {
    text = "Tolvek Diary is not properly installed. Please reinstall." + std::to_string(errorCode);
    return {text.c_str(), "Error", kIconError | kBoxOk};
}
