#include "messages.h"

#include "data_file.h"
#include "product.h"

namespace {
const char kErrorTitle[] = "Tolvek: ERROR";
const char kDiaryTitle[] = TOLVEK_PRODUCT_NAME;
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

MessageBoxText CarryOverQuestion(const std::string& directory, std::string& text) {
    text = "A diary from an earlier installation was found in " + directory + ". Copy it into your own folder?";
    return {text.c_str(), kDiaryTitle, kIconQuestion | kBoxYesNo};
}

MessageBoxText DiaryMovedMessage(const std::string& directory, const std::string& folder, std::string& text) {
    text = "The diary in\n" + directory +
           "\nis in use in another user's session, or you may no longer change it.\n\n"
           "Your diary is kept in your own folder from now on:\n" + folder;
    return {text.c_str(), kDiaryTitle, kBoxOk};
}

MessageBoxText TwoDiariesMessage(const std::string& home, const std::string& other, std::string& text) {
    text = "Tolvek found a diary in two places.\n\nYour diary is kept in\n" + home +
           "\n\nThe other one stays as it was in\n" + other;
    return {text.c_str(), kDiaryTitle, kBoxOk};
}

MessageBoxText DataFolderUnreachableMessage(const std::string& folder, std::string& text) {
    text = "The folder of your diary cannot be opened:\n" + folder +
           "\n\nPlease retry once it can be reached again.";
    return {text.c_str(), kErrorTitle, kIconWarning | kBoxRetryCancel};
}
