#include "setup_flow.h"

namespace {

// The folder appended to the chosen one in a fresh installation.
const char kInstallFolderName[] = "Tolvek Diary";

const char kInstallerTitle[] = "Tolvek Diary Installer";
const char kInstallerColonTitle[] = "Tolvek Diary Installer:";
const char kInstallerErrorTitle[] = "Tolvek Diary Installer Error:";

const MessageBoxText kOverwriteBox = {
    "The Tolvek Diary is already installed.\nDo you wish to overwrite the existing installation?",
    kInstallerColonTitle, kBoxOkCancel | kIconQuestion};
const MessageBoxText kWelcomeBox = {
    "This program will install the Tolvek Diary to your computer.\nDo you wish to continue?",
    kInstallerTitle, kBoxOkCancel};
const MessageBoxText kCopyFailedBox = {
    "Failed to copy files.\nIf the program is already installed and running,\nplease shut it down and try again.",
    kInstallerErrorTitle, kBoxOk | kIconError};
const MessageBoxText kRecordFailedBox = {
    "The installation record could not be written.\n"
    "Please run the installer with administrator rights.",
    kInstallerErrorTitle, kBoxOk | kIconError};
const MessageBoxText kDoneBox = {"The Tolvek Diary was successfully installed", kInstallerColonTitle, kBoxOk};

// Where this run puts the files, and what it did there, so a failure can undo exactly that.
struct Installation {
    std::string directory;
    bool reinstalling = false;
    bool directoryCreated = false;
    std::string tolvekExe, uninstallExe, history;
    bool historyCopied = false;
};

void RemoveDirectoryIfCreated(SetupPlatform& platform, const Installation& installation) {
    if (installation.directoryCreated) platform.RemoveEmptyDirectory(installation.directory);
}

// Takes back this run's copies and, in a fresh installation, whatever part of the record
// got written, so the machine is left as it was found.
void UndoInstallation(SetupPlatform& platform, const Installation& installation) {
    platform.RemoveFile(installation.tolvekExe);
    platform.RemoveFile(installation.uninstallExe);
    if (installation.historyCopied) platform.RemoveFile(installation.history);
    if (!installation.reinstalling) RemoveInstallationRecord(platform.InstallRegistry());
    RemoveDirectoryIfCreated(platform, installation);
}

// The Confirm box for the install path; `text` keeps its text while the box is up.
MessageBoxText ConfirmInstallMessage(const std::string& installPath, std::string& text) {
    text = "The Tolvek Diary will be installed to\n" + installPath + "\n\nDo you wish to continue?";
    return {text.c_str(), kInstallerTitle, kBoxOkCancel};
}

// Chooses the directory with the user; false when the user stops.
bool AgreeOnDirectory(SetupPlatform& platform, Installation& installation) {
    std::string recorded;
    if (ReadInstallPath(platform.InstallRegistry(), recorded) == kErrorSuccess) {
        if (platform.ShowMessage(kOverwriteBox) != kAnswerOk) return false;
        installation.directory = recorded;  // used exactly: nothing is appended again
        installation.reinstalling = true;
    }
    if (platform.ShowMessage(kWelcomeBox) != kAnswerOk) return false;
    if (!installation.reinstalling) {
        std::string chosen;
        if (!platform.BrowseForFolder(chosen)) return false;
        installation.directory = chosen + "\\" + kInstallFolderName;
    }
    std::string confirmText;
    return platform.ShowMessage(ConfirmInstallMessage(installation.directory, confirmText)) == kAnswerOk;
}

}  // namespace

int RunSetup(SetupPlatform& platform) {
    Installation installation;
    if (!AgreeOnDirectory(platform, installation)) return 0;

    // A running tray program and a missing right are found before anything changes.
    if (platform.IsTolvekRunning()) {
        platform.ShowMessage(kCopyFailedBox);
        return 0;
    }
    Registry& registry = platform.InstallRegistry();
    if (!MayChangeInstallationRecord(registry)) {
        platform.ShowMessage(kRecordFailedBox);
        return 0;
    }

    // Only the last level is created; an existing directory is used and never removed.
    installation.directoryCreated = platform.MakeDirectory(installation.directory);
    installation.tolvekExe = installation.directory + "\\Tolvek.exe";
    installation.uninstallExe = installation.directory + "\\Uninstall.exe";
    installation.history = installation.directory + "\\History.txt";

    if (!platform.CopyFileReplacing("Tolvek.ex1", installation.tolvekExe)) {
        platform.ShowMessage(kCopyFailedBox);
        RemoveDirectoryIfCreated(platform, installation);
        return 0;
    }
    if (!platform.CopyFileReplacing("Uninstall.ex1", installation.uninstallExe)) {
        platform.ShowMessage(kCopyFailedBox);
        platform.RemoveFile(installation.tolvekExe);
        RemoveDirectoryIfCreated(platform, installation);
        return 0;
    }
    installation.historyCopied = platform.CopyFileReplacing("History.txt", installation.history);

    long result = WriteInstallationRecord(registry, installation.directory);
    if (result == kErrorSuccess) result = AddAutostart(registry, installation.directory);
    if (result != kErrorSuccess) {
        UndoInstallation(platform, installation);
        platform.ShowMessage(kRecordFailedBox);
        return 0;
    }
    platform.ShowMessage(kDoneBox);
    return 0;
}
