#include "uninstall_flow.h"

#include "product.h"

namespace {

const char kUninstallerTitle[] = "Tolvek Diary Uninstaller:";

const MessageBoxText kNotFoundBox = {"The Tolvek Diary was not found on your system...", kUninstallerTitle,
                                     kBoxOk | kIconError};
const MessageBoxText kConfirmBox = {"Are you sure you want to uninstall the Tolvek Diary?", kUninstallerTitle,
                                    kBoxOkCancel | kIconQuestion};
const MessageBoxText kCannotDeleteBox = {
    "Could not delete files.\nIf the program is running, please shut it down and try again", kUninstallerTitle,
    kBoxOk | kIconError};
const MessageBoxText kRunningBox = {
    "Could not delete files.\nIf the program is running, please shut it down and try again\n"
    "Tolvek may be running in another user's session.",
    kUninstallerTitle, kBoxOk | kIconError};
const MessageBoxText kRecordNotDeletedBox = {
    "The installation record could not be deleted.\n"
    "Please run the uninstaller with administrator rights.",
    kUninstallerTitle, kBoxOk | kIconError};

}  // namespace

std::string UninstalledText(const std::string& directory) {
    return "Uninstallation successful!\n\nYour data files are stored in\n" + directory +
           "\nand in the folder " TOLVEK_DATA_FOLDER_NAME " in each user's local application data"
           "\nDo whatever you wanna do with it...";
}

namespace {

// The autostart values go after the record; a key that would refuse them is found before
// anything changes, since a second run could no longer reach them.
bool MayRemoveAutostart(Registry& registry) {
    for (const Hive hive : {Hive::LocalMachine, Hive::CurrentUser}) {
        const long opened = OpenKey(registry, hive, kRunKeyPath, KeyAccess::Write).result();
        if (opened != kErrorSuccess && opened != kErrorFileNotFound) return false;
    }
    return true;
}

// Deletes the program files. A directory or a "Tolvek.exe" that is already gone (a folder
// deleted by hand, an earlier run that stopped halfway) does not stop the removal, so a
// second run can always finish it; a file that is there and cannot be deleted does.
bool RemoveProgramFiles(UninstallPlatform& platform, const std::string& directory) {
    // Names are relative to the recorded directory: one that cannot be entered must not
    // let them reach a "Tolvek.exe" wherever the process happens to stand.
    if (!platform.EnterDirectory(directory)) return !platform.Exists(directory);
    if (platform.Exists(TOLVEK_PROGRAM_FILE) && !platform.RemoveFile(TOLVEK_PROGRAM_FILE)) return false;
    platform.RemoveFile(TOLVEK_HISTORY_FILE);  // may be missing; the removal goes on
    return true;
}

}  // namespace

int RunUninstall(UninstallPlatform& platform) {
    Registry& registry = platform.InstallRegistry();
    std::string directory;
    if (ReadInstallPath(registry, directory) != kErrorSuccess) {
        platform.ShowMessage(kNotFoundBox);
        RemoveInstallationRecord(registry);  // a key left without a readable "Path"
        return 0;
    }
    if (platform.ShowMessage(kConfirmBox) != kAnswerOk) return 0;

    // A running tray program and a missing right are found before anything is deleted.
    if (platform.IsTolvekRunning()) {
        platform.ShowMessage(kRunningBox);
        return 0;
    }
    if (!MayChangeInstallationRecord(registry) || !MayRemoveAutostart(registry)) {
        platform.ShowMessage(kRecordNotDeletedBox);
        return 0;
    }
    if (!RemoveProgramFiles(platform, directory)) {
        platform.ShowMessage(kCannotDeleteBox);
        return 0;
    }
    // A record that is already gone counts as deleted.
    const long removed = RemoveInstallationRecord(registry);
    if (removed != kErrorSuccess && removed != kErrorFileNotFound) {
        platform.ShowMessage(kRecordNotDeletedBox);
        return 0;
    }
    RemoveAutostart(registry);
    RemoveUserAutostart(registry);  // an earlier version's, of this account
    platform.RemoveStartMenuShortcut();
    RemovePerUserSettings(registry);  // this account's defaults and diary home
    const std::string text = UninstalledText(directory);
    platform.ShowMessage({text.c_str(), kUninstallerTitle, kBoxOk});
    return 0;
}
