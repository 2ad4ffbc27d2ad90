#include "startup.h"

#include "date_rules.h"

std::unique_ptr<NoteStore> noteStore;

bool EnterDataDirectory(StartupPlatform& platform, const std::string& installDirectory,
                        std::string& dataDirectory) {
    dataDirectory = installDirectory;
    if (!platform.WritingRefusedHere()) return true;
    std::string folder;
    // Without a folder of its own the program stays, and the load says it cannot create the file.
    if (!platform.EnterUserDataFolder(folder)) return true;
    dataDirectory = folder;
    while (!CarryOverDiary(platform.Files(), installDirectory))
        if (platform.ShowMessage(kCannotCreateDataFile) != kAnswerRetry) return false;
    return true;
}

std::unique_ptr<NoteStore> LoadDiary(StartupPlatform& platform, const std::string& dataDirectory) {
    FileSystem& files = platform.Files();
    for (;;) {
        auto store = std::make_unique<NoteStore>(files);
        const LoadResult result = store->Result();
        if (result == LoadOk) return store;
        const UnreadableFile unreadable = store->Unreadable();
        store->Clear();
        store.reset();  // a store that did not load whole is never saved
        switch (result) {
            case LoadNoFileBackupExists:
                // A step that could not be done would only bring the same question back.
                if (!RecoverMissingDataFile(files, platform.ShowMessage(kNoDataFile) == kAnswerYes) &&
                    platform.ShowMessage(kCannotCreateDataFile) != kAnswerRetry)
                    return nullptr;
                break;
            case LoadCannotCreate:
                if (platform.ShowMessage(kCannotCreateDataFile) != kAnswerRetry) return nullptr;
                break;
            case LoadUnreadable: {
                // The seam has waited a moment already; now the user decides. Cancel changes nothing.
                std::string text;
                if (platform.ShowMessage(UnreadableDataFileMessage(dataDirectory, unreadable.name,
                                                                   unreadable.reason, text)) != kAnswerRetry)
                    return nullptr;
                break;
            }
            default: {  // LoadCorrupt
                std::string blocking;
                if (SetCorruptDataFileAside(files, &blocking)) {
                    platform.ShowMessage(kCorruptDataFile);
                    break;
                }
                // The same file would fail the same way again: say so once and leave it be.
                std::string text;
                platform.ShowMessage(CorruptDataFileKeptMessage(dataDirectory, text, blocking));
                return nullptr;
            }
        }
    }
}

int RunTolvek(StartupPlatform& platform) {
    if (!platform.TakeSingleInstanceLock()) {
        platform.ShowMessage(kAlreadyRunning);
        return 0;
    }
    std::string directory;
    long result = ReadInstallPath(platform.InstallRegistry(), directory);
    // A recorded directory that is gone is no installation either: nothing may be created
    // wherever the program happened to be started.
    if (result == kErrorSuccess) result = platform.EnterDirectory(directory);
    if (result != kErrorSuccess) {
        std::string text;
        platform.ShowMessage(NotInstalledMessage(result, text));
        return 0;
    }
    std::string dataDirectory;
    if (!EnterDataDirectory(platform, directory, dataDirectory)) return 0;
    platform.PrepareControls();
    std::unique_ptr<NoteStore> store = LoadDiary(platform, dataDirectory);
    if (!store) return 0;
    noteStore = std::move(store);  // shut-down saves and frees it
    platform.LoadTexts();
    platform.CreateMainWindow();
    platform.AddTrayIcon();
    platform.ObsoleteSweep();
    platform.ReminderPass();
    platform.StartHourlyTimer();
    isStartupPass = 0;
    return platform.RunMessageLoop();
}

void ReportSave(bool saved, const std::function<int(const MessageBoxText&)>& showMessage) {
    static bool failureShown = false;
    if (saved) {
        failureShown = false;
        return;
    }
    if (failureShown) return;
    failureShown = true;
    showMessage(kSaveFailed);
}
