#include "uninstall_flow.h"

#include <utility>

#include "product.h"

namespace {

// Every box of the uninstaller has one title; its troubles end it with a box of one kind.
MessageBoxText UninstallerBox(std::string text, unsigned style) {
    return {std::move(text), "Tolvek Diary Uninstaller:", style};
}
MessageBoxText UninstallerError(std::string text) { return UninstallerBox(std::move(text), kBoxOk | kIconError); }

const char kNotFoundText[] = "The Tolvek Diary was not found on your system...";
const char kConfirmText[] = "Are you sure you want to uninstall the Tolvek Diary?";
const char kCannotDeleteText[] =
    "Could not delete files.\nIf the program is running, please shut it down and try again";
// The check for a running tray program sees one in another user's session too, where the
// user who runs Uninstall cannot shut it down: the box says so.
const char kOtherSessionLine[] = "\nTolvek may be running in another user's session.";
const char kRecordNotDeletedText[] =
    "The installation record could not be deleted.\n"
    "Please run the uninstaller with administrator rights.";

}  // namespace

std::string UninstalledText(const CodePage& ansi, const std::string& directory) {
    return "Uninstallation successful!\n\nYour data files are stored in\n" + ansi.ToUtf8(directory) +
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
        platform.ShowMessage(UninstallerError(kNotFoundText));
        RemoveInstallationRecord(registry);  // a key left without a readable "Path"
        return 0;
    }
    if (platform.ShowMessage(UninstallerBox(kConfirmText, kBoxOkCancel | kIconQuestion)) != kAnswerOk) return 0;

    // A running tray program and a missing right are found before anything is deleted.
    if (platform.IsTolvekRunning()) {
        platform.ShowMessage(UninstallerError(kCannotDeleteText + std::string(kOtherSessionLine)));
        return 0;
    }
    if (!MayChangeInstallationRecord(registry) || !MayRemoveAutostart(registry)) {
        platform.ShowMessage(UninstallerError(kRecordNotDeletedText));
        return 0;
    }
    if (!RemoveProgramFiles(platform, directory)) {
        platform.ShowMessage(UninstallerError(kCannotDeleteText));
        return 0;
    }
    // A record that is already gone counts as deleted.
    const long removed = RemoveInstallationRecord(registry);
    if (removed != kErrorSuccess && removed != kErrorFileNotFound) {
        platform.ShowMessage(UninstallerError(kRecordNotDeletedText));
        return 0;
    }
    RemoveAutostart(registry);
    RemoveUserAutostart(registry);  // an earlier version's, of this account
    platform.RemoveStartMenuShortcut();
    RemovePerUserSettings(registry);  // this account's defaults and diary home
    platform.ShowMessage(UninstallerBox(UninstalledText(platform.SystemCodePage(), directory), kBoxOk));
    return 0;
}
