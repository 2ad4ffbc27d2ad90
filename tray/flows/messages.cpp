#include "messages.h"

#include <utility>

#include "data_file.h"
#include "product.h"
#include "ui_text.h"

namespace {

// Start-up's and saving's troubles, all under one title.
MessageBoxText ErrorBox(std::string text, unsigned style) { return {std::move(text), "Tolvek: ERROR", style}; }

// Where the diary lives.
MessageBoxText DiaryBox(std::string text, unsigned style) { return {std::move(text), TOLVEK_PRODUCT_NAME, style}; }

}  // namespace

MessageBoxText AlreadyRunningMessage() { return {"Tolvek is already running", "", kBoxOk}; }

MessageBoxText NoDataFileQuestion() {
    return ErrorBox("No data file found!\n\n"
                    "You can either restore a backed up data file\n"
                    "or start with an empty one.\n\n"
                    "Do you wish to restore the backup?",
                    kIconQuestion | kBoxYesNo);
}

MessageBoxText CannotCreateDataFileMessage() {
    return ErrorBox("The data file could not be created!\n"
                    "Please check your write permissions.",
                    kIconWarning | kBoxRetryCancel);
}

MessageBoxText CorruptDataFileMessage() {
    return ErrorBox("The data file is corrupt! It has been removed.\n\n"
                    "A copy of the corrupt file was saved to disk,\n"
                    "so can try to dig out what you can from there...",
                    kIconWarning | kBoxOk);
}

MessageBoxText SaveFailedMessage() {
    return ErrorBox("The diary could not be saved!\n\n"
                    "The data file was left as it was before this change.\n"
                    "Please check the disk and your write permissions.",
                    kIconWarning | kBoxOk);
}

MessageBoxText CorruptDataFileKeptMessage(const CodePage& ansi, const std::string& dataDirectory,
                                          const std::string& blocking) {
    const std::string directory = ansi.ToUtf8(dataDirectory);
    std::string text = "The data file is corrupt!\n\n"
                       "It could not be moved aside, so it has been kept as it is:\n" +
                       directory + "\\" + kDataFileName + "\n\n";
    if (blocking == kCorruptFileName)
        text += std::string(kCorruptFileName) + " could not be replaced:\n" + directory + "\\" + kCorruptFileName +
                "\n\nPlease move that file away (it may be read-only, a folder, or held by another "
                "program), then start Tolvek again.";
    else
        text += "Please move it away (or close the program that holds it), then start Tolvek again.";
    return ErrorBox(std::move(text), kIconWarning | kBoxOk);
}

MessageBoxText UnreadableDataFileMessage(const CodePage& ansi, const std::string& dataDirectory,
                                         const std::string& name, const std::string& reason) {
    return ErrorBox("A data file could not be read:\n" + ansi.ToUtf8(dataDirectory) + "\\" + ansi.ToUtf8(name) +
                        "\n" + ansi.ToUtf8(reason) +
                        "\n\nAnother program may be using it (a backup, sync or virus scan, an editor), or you "
                        "may not be allowed to read it. Nothing has been changed.\n\n"
                        "Press Retry once it is free, or Cancel to end Tolvek.",
                    kIconWarning | kBoxRetryCancel);
}

MessageBoxText NotInstalledMessage(long errorCode) {
    return {"Tolvek Diary is not properly installed. Please reinstall." + std::to_string(errorCode), "Error",
            kIconError | kBoxOk};
}

MessageBoxText CarryOverQuestion(const CodePage& ansi, const std::string& directory) {
    return DiaryBox("A diary from an earlier installation was found in " + ansi.ToUtf8(directory) +
                        ". Copy it into your own folder?",
                    kIconQuestion | kBoxYesNo);
}

MessageBoxText DiaryMovedMessage(const CodePage& ansi, const std::string& directory, const std::string& folder) {
    return DiaryBox("The diary in\n" + ansi.ToUtf8(directory) +
                        "\nis in use in another user's session, or you may no longer change it.\n\n"
                        "Your diary is kept in your own folder from now on:\n" +
                        ansi.ToUtf8(folder),
                    kBoxOk);
}

MessageBoxText TwoDiariesMessage(const CodePage& ansi, const std::string& home, const std::string& other) {
    return DiaryBox("Tolvek found a diary in two places.\n\nYour diary is kept in\n" + ansi.ToUtf8(home) +
                        "\n\nThe other one stays as it was in\n" + ansi.ToUtf8(other),
                    kBoxOk);
}

MessageBoxText DataFolderUnreachableMessage(const CodePage& ansi, const std::string& folder) {
    return ErrorBox("The folder of your diary cannot be opened:\n" + ansi.ToUtf8(folder) +
                        "\n\nPlease retry once it can be reached again.",
                    kIconWarning | kBoxRetryCancel);
}

MessageBoxText CurrentLanguageBox(const std::u16string& text, unsigned style) {
    return {Utf8FromUtf16(text), Utf8FromUtf16(Text(Txt::TrayTip)), style | kBoxToForeground};
}
