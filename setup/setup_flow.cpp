#include "setup_flow.h"

#include <utility>

#include "product.h"

namespace {

const char kInstallerTitle[] = "Tolvek Diary Installer";
const char kInstallerColonTitle[] = "Tolvek Diary Installer:";

// Every trouble ends the installer with a box of one kind.
MessageBoxText InstallerError(std::string text) {
    return {std::move(text), "Tolvek Diary Installer Error:", kBoxOk | kIconError};
}

const char kOverwriteText[] =
    "The Tolvek Diary is already installed.\nDo you wish to overwrite the existing installation?";
const char kWelcomeText[] = "This program will install the Tolvek Diary to your computer.\nDo you wish to continue?";
const char kCopyFailedText[] =
    "Failed to copy files.\nIf the program is already installed and running,\nplease shut it down and try again.";
const char kRecordFailedText[] =
    "The installation record could not be written.\n"
    "Please run the installer with administrator rights.";
// The check for a running tray program sees one in another user's session too, where the
// user who runs Setup cannot shut it down: the box says so.
const char kOtherSessionLine[] = "\nTolvek may be running in another user's session.";
const char kDoneText[] = "The Tolvek Diary was successfully installed";
// Lines of the Done box for what could not be made: the installation stands without them.
const char kNoAutostartLine[] =
    "\nIt could not be set to start at logon: please start " TOLVEK_PROGRAM_FILE " from the installation directory.";
const char kNoShortcutLine[] = "\nThe Start menu entry could not be made.";

// One file this run installs, and whether it was there before: a failure deletes only
// what this run created, so a failed reinstallation keeps the earlier programs working.
struct InstalledFile {
    std::string path;
    bool existedBefore = false;
    bool copied = false;
};

// Where this run puts the files, and what it did there, so a failure can undo exactly that.
struct Installation {
    std::string directory;
    bool reinstalling = false;
    bool directoryCreated = false;
    InstalledFile tolvekExe, uninstallExe, history;
};

void RemoveDirectoryIfCreated(SetupPlatform& platform, const Installation& installation) {
    if (installation.directoryCreated) platform.RemoveEmptyDirectory(installation.directory);
}

void RemoveIfCreated(SetupPlatform& platform, const InstalledFile& file) {
    if (file.copied && !file.existedBefore) platform.RemoveFile(file.path);
}

// Takes back the files and the directory that this run created.
void UndoCopies(SetupPlatform& platform, const Installation& installation) {
    RemoveIfCreated(platform, installation.tolvekExe);
    RemoveIfCreated(platform, installation.uninstallExe);
    RemoveIfCreated(platform, installation.history);
    RemoveDirectoryIfCreated(platform, installation);
}

bool CopyInto(SetupPlatform& platform, const char* source, InstalledFile& file) {
    file.existedBefore = platform.FileExists(file.path);
    file.copied = platform.CopyFileReplacing(source, file.path);
    return file.copied;
}

// What the installed files take, in KiB rounded up, for the list of installed programs.
uint32_t InstalledKiB(SetupPlatform& platform, const Installation& installation) {
    uint64_t bytes = 0;
    for (const InstalledFile* file : {&installation.tolvekExe, &installation.uninstallExe, &installation.history})
        if (file->copied) bytes += platform.FileSize(file->path);
    return static_cast<uint32_t>((bytes + 1023) / 1024);
}

// The Confirm box for the install path, which comes in the system's code page.
MessageBoxText ConfirmInstallMessage(const CodePage& ansi, const std::string& installPath) {
    return {"The Tolvek Diary will be installed to\n" + ansi.ToUtf8(installPath) + "\n\nDo you wish to continue?",
            kInstallerTitle, kBoxOkCancel};
}

// Chooses the directory with the user; false when the user stops.
bool AgreeOnDirectory(SetupPlatform& platform, Installation& installation) {
    std::string recorded;
    if (ReadInstallPath(platform.InstallRegistry(), recorded) == kErrorSuccess) {
        if (platform.ShowMessage({kOverwriteText, kInstallerColonTitle, kBoxOkCancel | kIconQuestion}) != kAnswerOk)
            return false;
        installation.directory = recorded;  // used exactly: nothing is appended again
        installation.reinstalling = true;
    }
    if (platform.ShowMessage({kWelcomeText, kInstallerTitle, kBoxOkCancel}) != kAnswerOk) return false;
    if (!installation.reinstalling) {
        std::string chosen;
        if (!platform.BrowseForFolder(chosen)) return false;
        installation.directory = chosen + "\\" TOLVEK_INSTALL_FOLDER_NAME;
    }
    return platform.ShowMessage(ConfirmInstallMessage(platform.SystemCodePage(), installation.directory)) == kAnswerOk;
}

}  // namespace

int RunSetup(SetupPlatform& platform) {
    Installation installation;
    if (!AgreeOnDirectory(platform, installation)) return 0;

    // A running tray program and a missing right are found before anything changes.
    if (platform.IsTolvekRunning()) {
        platform.ShowMessage(InstallerError(kCopyFailedText + std::string(kOtherSessionLine)));
        return 0;
    }
    Registry& registry = platform.InstallRegistry();
    if (!MayChangeInstallationRecord(registry)) {
        platform.ShowMessage(InstallerError(kRecordFailedText));
        return 0;
    }

    // Only the last level is created; an existing directory is used and never removed.
    installation.directoryCreated = platform.MakeDirectory(installation.directory);
    installation.tolvekExe.path = installation.directory + "\\" TOLVEK_PROGRAM_FILE;
    installation.uninstallExe.path = installation.directory + "\\" TOLVEK_UNINSTALLER_FILE;
    installation.history.path = installation.directory + "\\" TOLVEK_HISTORY_FILE;

    if (!CopyInto(platform, TOLVEK_SHIPPED_PROGRAM_FILE, installation.tolvekExe) ||
        !CopyInto(platform, TOLVEK_SHIPPED_UNINSTALLER_FILE, installation.uninstallExe)) {
        platform.ShowMessage(InstallerError(kCopyFailedText));
        UndoCopies(platform, installation);
        return 0;
    }
    CopyInto(platform, TOLVEK_HISTORY_FILE, installation.history);  // optional

    if (WriteInstallationRecord(registry, installation.directory, InstalledKiB(platform, installation)) !=
        kErrorSuccess) {
        // In a fresh installation whatever part of the record got written goes too.
        if (!installation.reinstalling) RemoveInstallationRecord(registry);
        UndoCopies(platform, installation);
        platform.ShowMessage(InstallerError(kRecordFailedText));
        return 0;
    }
    // Without the start at logon or the menu entry the installation still works: say so
    // instead of undoing it.
    std::string done = kDoneText;
    if (AddAutostart(registry, installation.directory) == kErrorSuccess)
        RemoveUserAutostart(registry);  // an earlier version's, which would start it twice
    else
        done += kNoAutostartLine;
    if (!platform.CreateStartMenuShortcut(installation.tolvekExe.path)) done += kNoShortcutLine;
    platform.ShowMessage({done, kInstallerColonTitle, kBoxOk});
    return 0;
}
