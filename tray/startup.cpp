#include "startup.h"

#include "date_rules.h"

NoteStore* noteStore = nullptr;

std::unique_ptr<NoteStore> LoadDiary(StartupPlatform& platform) {
    FileSystem& files = platform.Files();
    for (;;) {
        auto store = std::make_unique<NoteStore>(files);
        const LoadResult result = store->Result();
        if (result == LoadOk) return store;
        store->Clear();
        store.reset();  // a store that did not load whole is never saved
        switch (result) {
            case LoadNoFileBackupExists:
                RecoverMissingDataFile(files, platform.ShowMessage(kNoDataFile) == kAnswerYes);
                break;
            case LoadCannotCreate:
                if (platform.ShowMessage(kCannotCreateDataFile) != kAnswerRetry) return nullptr;
                break;
            default:  // LoadCorrupt
                SetCorruptDataFileAside(files);
                platform.ShowMessage(kCorruptDataFile);
                break;
        }
    }
}

int RunTolvek(StartupPlatform& platform) {
    if (!platform.TakeSingleInstanceLock()) {
        platform.ShowMessage(kAlreadyRunning);
        return 0;
    }
    std::string directory;
    const long readResult = ReadInstallPath(platform.InstallRegistry(), directory);
    if (readResult != kErrorSuccess) {
        std::string text;
        platform.ShowMessage(NotInstalledMessage(readResult, text));
        return 0;
    }
    platform.EnterDirectory(directory);
    platform.PrepareControls();
    std::unique_ptr<NoteStore> store = LoadDiary(platform);
    if (!store) return 0;
    noteStore = store.release();  // shut-down saves and frees it
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
