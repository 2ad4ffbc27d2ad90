#include "startup.h"

#include "date_rules.h"

std::unique_ptr<NoteStore> noteStore;
bool saveFailureShown = false;

namespace {

std::string InFolder(const std::string& folder, const char* name) { return folder + "\\" + name; }

// The one place where the home's choice asks whether a file is there: one that is there but
// cannot be read (held, refused) still holds a diary.
bool FileThere(FileSystem& files, const std::string& path) { return FileIsThere(files, path); }

bool HoldsDiary(FileSystem& files, const std::string& folder) {
    return FileThere(files, InFolder(folder, kDataFileName)) || FileThere(files, InFolder(folder, kBackupFileName));
}

// Whether `folder`'s diary was written after `other`'s; false when either time is unknown.
bool WrittenLater(StartupPlatform& platform, const std::string& folder, const std::string& other) {
    uint64_t time = 0, otherTime = 0;
    return platform.LastWriteTime(InFolder(folder, kDataFileName), time) &&
           platform.LastWriteTime(InFolder(other, kDataFileName), otherTime) && time > otherTime;
}

// Why the user's own folder becomes the home, for the box that says so once.
enum class MoveReason { FirstUse, InUseElsewhere, TwoDiaries };

enum class Moved { Home, NoFolder, GaveUp };

// Makes the user's own folder the home: made, locked, and given the diary of `source` where
// it has none and the user wants it (it may be another account's). Recorded with the answer,
// so neither question comes back.
Moved MoveToUserFolder(StartupPlatform& platform, const std::string& source, MoveReason reason,
                       std::string& dataDirectory) {
    std::string folder;
    if (!platform.EnterUserDataFolder(folder)) return Moved::NoFolder;
    if (platform.ClaimDataDirectory() == DataDirectoryClaim::InUse) {
        platform.ShowMessage(AlreadyRunningMessage());  // this account's Tolvek in another session
        return Moved::GaveUp;
    }
    FileSystem& files = platform.Files();
    const bool hasOwnDiary = FileThere(files, kDataFileName) || FileThere(files, kBackupFileName);
    if (!hasOwnDiary && HoldsDiary(files, source)) {
        if (platform.ShowMessage(CarryOverQuestion(platform.SystemCodePage(), source)) == kAnswerYes)
            while (!CarryOverDiary(files, source))
                if (platform.ShowMessage(CannotCreateDataFileMessage()) != kAnswerRetry) return Moved::GaveUp;
    }
    WriteDataHome(platform.InstallRegistry(), folder);
    dataDirectory = folder;
    const CodePage& ansi = platform.SystemCodePage();
    if (reason == MoveReason::InUseElsewhere) platform.ShowMessage(DiaryMovedMessage(ansi, source, folder));
    if (reason == MoveReason::TwoDiaries) platform.ShowMessage(TwoDiariesMessage(ansi, folder, source));
    return Moved::Home;
}

// The user's own folder where another session or account holds `taken`: without a folder of
// its own the program may not fall back on that one, so the user may retry or give up.
bool MoveAwayFrom(StartupPlatform& platform, const std::string& taken, MoveReason reason,
                  std::string& dataDirectory) {
    for (;;) {
        const Moved moved = MoveToUserFolder(platform, taken, reason, dataDirectory);
        if (moved != Moved::NoFolder) return moved == Moved::Home;
        if (platform.ShowMessage(CannotCreateDataFileMessage()) != kAnswerRetry) return false;
    }
}

// The recorded home, entered and locked: true when it serves; false with `giveUp` set when
// the user gave up. A recorded folder that is gone is no longer the home.
bool EnterRecordedHome(StartupPlatform& platform, const std::string& recorded, std::string& dataDirectory,
                       bool& giveUp) {
    for (;;) {
        const long entered = platform.EnterDirectory(recorded);
        if (entered == kErrorSuccess) break;
        if (entered == kErrorFileNotFound || entered == kErrorPathNotFound) return false;
        if (platform.ShowMessage(DataFolderUnreachableMessage(platform.SystemCodePage(), recorded)) != kAnswerRetry) {
            giveUp = true;
            return false;
        }
    }
    const DataDirectoryClaim claim = platform.ClaimDataDirectory();
    std::string userFolder;
    if (claim == DataDirectoryClaim::Ours ||
        (platform.FindUserDataFolder(userFolder) && SamePath(recorded, userFolder))) {
        if (claim == DataDirectoryClaim::InUse) {
            platform.ShowMessage(AlreadyRunningMessage());  // this account's Tolvek in another session
            giveUp = true;
            return false;
        }
        dataDirectory = recorded;
        return true;
    }
    // Another session or account has it now: this user's diary moves to the user's folder.
    giveUp = !MoveAwayFrom(platform, recorded, MoveReason::InUseElsewhere, dataDirectory);
    return !giveUp;
}

}  // namespace

bool EnterDataDirectory(StartupPlatform& platform, const std::string& installDirectory,
                        std::string& dataDirectory) {
    std::string recorded;
    if (ReadDataHome(platform.InstallRegistry(), recorded) == kErrorSuccess) {
        bool giveUp = false;
        if (EnterRecordedHome(platform, recorded, dataDirectory, giveUp)) return true;
        if (giveUp) return false;
        if (platform.EnterDirectory(installDirectory) != kErrorSuccess) return false;
    }

    FileSystem& files = platform.Files();
    std::string userFolder;
    const bool userHasDiary = platform.FindUserDataFolder(userFolder) && HoldsDiary(files, userFolder);
    // A diary in both places is left by an earlier version that went back and forth: the
    // one written last is the home.
    const bool twoDiaries = userHasDiary && HoldsDiary(files, installDirectory);
    MoveReason reason = twoDiaries ? MoveReason::TwoDiaries : MoveReason::FirstUse;
    if ((!userHasDiary || WrittenLater(platform, installDirectory, userFolder)) && !platform.WritingRefusedHere()) {
        const DataDirectoryClaim claim = platform.ClaimDataDirectory();
        if (claim == DataDirectoryClaim::Ours) {
            WriteDataHome(platform.InstallRegistry(), installDirectory);
            dataDirectory = installDirectory;
            if (twoDiaries)
                platform.ShowMessage(TwoDiariesMessage(platform.SystemCodePage(), installDirectory, userFolder));
            return true;
        }
        if (claim == DataDirectoryClaim::InUse && !twoDiaries) reason = MoveReason::InUseElsewhere;
        return MoveAwayFrom(platform, installDirectory, reason, dataDirectory);
    }
    const Moved moved = MoveToUserFolder(platform, installDirectory, reason, dataDirectory);
    // Without a folder of its own the program stays, and the load says it cannot create the file.
    if (moved == Moved::NoFolder) dataDirectory = installDirectory;
    return moved != Moved::GaveUp;
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
                if (!RecoverMissingDataFile(files, platform.ShowMessage(NoDataFileQuestion()) == kAnswerYes) &&
                    platform.ShowMessage(CannotCreateDataFileMessage()) != kAnswerRetry)
                    return nullptr;
                break;
            case LoadCannotCreate:
                if (platform.ShowMessage(CannotCreateDataFileMessage()) != kAnswerRetry) return nullptr;
                break;
            case LoadUnreadable:
                // The seam has waited a moment already; now the user decides. Cancel changes nothing.
                if (platform.ShowMessage(UnreadableDataFileMessage(platform.SystemCodePage(), dataDirectory,
                                                                   unreadable.name, unreadable.reason)) != kAnswerRetry)
                    return nullptr;
                break;
            default: {  // LoadCorrupt
                std::string blocking;
                if (SetCorruptDataFileAside(files, &blocking)) {
                    platform.ShowMessage(CorruptDataFileMessage());
                    break;
                }
                // The same file would fail the same way again: say so once and leave it be.
                platform.ShowMessage(CorruptDataFileKeptMessage(platform.SystemCodePage(), dataDirectory, blocking));
                return nullptr;
            }
        }
    }
}

int RunTolvek(StartupPlatform& platform) {
    if (!platform.TakeSingleInstanceLock()) {
        platform.ShowMessage(AlreadyRunningMessage());
        return 0;
    }
    std::string directory;
    long result = ReadInstallPath(platform.InstallRegistry(), directory);
    // A recorded directory that is gone is no installation either: nothing may be created
    // wherever the program happened to be started.
    if (result == kErrorSuccess) result = platform.EnterDirectory(directory);
    if (result != kErrorSuccess) {
        platform.ShowMessage(NotInstalledMessage(result));
        return 0;
    }
    // The start at logon is the machine's now: an earlier version's own would start it twice.
    RetireUserAutostart(platform.InstallRegistry());
    std::string dataDirectory;
    if (!EnterDataDirectory(platform, directory, dataDirectory)) return 0;
    SeedTagsFromClock();
    platform.PrepareControls();
    std::unique_ptr<NoteStore> store = LoadDiary(platform, dataDirectory);
    if (!store) return 0;
    noteStore = std::move(store);  // shut-down saves and frees it
    saveFailureShown = false;
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
    if (saved) {
        saveFailureShown = false;
        return;
    }
    if (saveFailureShown) return;
    saveFailureShown = true;
    showMessage(SaveFailedMessage());
}
