#include "uninstall_flow.h"

namespace {

const char kUninstallerTitle[] = "Tolvek Diary Uninstaller:";

const MessageBoxText kNotFoundBox = {"The Tolvek Diary was not found on your system...", kUninstallerTitle,
                                     kBoxOk | kIconError};
const MessageBoxText kConfirmBox = {"Are you sure you want to uninstall the Tolvek Diary?", kUninstallerTitle,
                                    kBoxOkCancel | kIconQuestion};
const MessageBoxText kCannotDeleteBox = {
    "Could not delete files.\nIf the program is running, please shut it down and try again", kUninstallerTitle,
    kBoxOk | kIconError};
const MessageBoxText kRecordNotDeletedBox = {
    "The installation record could not be deleted.\n"
    "Please run the uninstaller with administrator rights.",
    kUninstallerTitle, kBoxOk | kIconError};

}  // namespace

std::string UninstalledText(const std::string& directory) {
    return "Uninstallation successful!\n\nYour data files are stored in\n" + directory +
           "\nDo whatever you wanna do with it...";
}

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
        platform.ShowMessage(kCannotDeleteBox);
        return 0;
    }
    if (!MayChangeInstallationRecord(registry)) {
        platform.ShowMessage(kRecordNotDeletedBox);
        return 0;
    }
    // Names are relative to the recorded directory: one that cannot be entered must not
    // let them reach a "Tolvek.exe" wherever the process happens to stand.
    if (!platform.EnterDirectory(directory) || !platform.RemoveFile("Tolvek.exe")) {
        platform.ShowMessage(kCannotDeleteBox);
        return 0;
    }
    platform.RemoveFile("History.txt");  // may be missing; the removal goes on
    // A record that is already gone counts as deleted.
    const long removed = RemoveInstallationRecord(registry);
    if (removed != kErrorSuccess && removed != kErrorFileNotFound) {
        platform.ShowMessage(kRecordNotDeletedBox);
        return 0;
    }
    RemoveAutostart(registry);
    const std::string text = UninstalledText(directory);
    platform.ShowMessage({text.c_str(), kUninstallerTitle, kBoxOk});
    return 0;
}
