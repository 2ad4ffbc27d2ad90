// The start-up sequence and the recovery dialogue against a scripted stand-in that
// records every step and answers message boxes as told.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>

#include "../core/diary_builders.h"
#include "../core/memory_file_system.h"
#include "../core/memory_registry.h"
#include "../core/test_support.h"
#include "startup.h"

using namespace test_support;

namespace {

const std::string kInstalled = "C:\\Tolvek";
const std::string kUserFolder = "C:\\Users\\me\\AppData\\Local\\Tolvek Diary";

// The in-memory disk as the program sees it from its current directory: the files of the
// current directory go by their bare names, as the tests name what they arrange there, the
// others by their full paths; a change of directory renames them accordingly. Locked names
// stay bare: they lock that name in whatever directory is current.
class DirectoryDisk : public MemoryFileSystem {
public:
    std::string current = kInstalled;

    void ChangeTo(const std::string& directory) {
        std::map<std::string, Bytes> renamed;
        for (const auto& file : Snapshot()) renamed[Local(Full(file.first), directory)] = file.second;
        Restore(renamed);
        current = directory;
    }
    // The tests' access: by a full path, or a bare name in the current directory.
    bool Has(const std::string& name) const { return MemoryFileSystem::Has(Local(name, current)); }
    Bytes Get(const std::string& name) const { return MemoryFileSystem::Get(Local(name, current)); }
    void Put(const std::string& name, const Bytes& bytes) { MemoryFileSystem::Put(Local(name, current), bytes); }

    std::unique_ptr<ReadableFile> OpenForReading(const std::string& name, OpenFailure& failure) override {
        return MemoryFileSystem::OpenForReading(Local(name, current), failure);
    }
    std::unique_ptr<WritableFile> CreateForWriting(const std::string& name) override {
        return MemoryFileSystem::CreateForWriting(Local(name, current));
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return MemoryFileSystem::Replace(Local(from, current), Local(to, current));
    }
    bool ReplaceAtOnce(const std::string& from, const std::string& to) override {
        return MemoryFileSystem::ReplaceAtOnce(Local(from, current), Local(to, current));
    }
    bool MoveWithoutReplacing(const std::string& from, const std::string& to) override {
        return MemoryFileSystem::MoveWithoutReplacing(Local(from, current), Local(to, current));
    }
    bool Remove(const std::string& name) override { return MemoryFileSystem::Remove(Local(name, current)); }

private:
    std::string Full(const std::string& name) const {
        return name.find('\\') == std::string::npos ? current + "\\" + name : name;
    }
    static std::string Local(const std::string& path, const std::string& directory) {
        const std::string prefix = directory + "\\";
        if (path.compare(0, prefix.size(), prefix) != 0) return path;
        const std::string rest = path.substr(prefix.size());
        return rest.find('\\') == std::string::npos ? rest : path;
    }
};

class ScriptedPlatform : public StartupPlatform {
public:
    bool TakeSingleInstanceLock() override {
        steps.push_back("lock");
        return !otherCopyRunning;
    }
    int ShowMessage(const MessageBoxText& box) override {
        steps.push_back(std::string("box:") + box.text);
        titles.push_back(box.title);
        styles.push_back(box.style);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected box: " << box.text;
            return kAnswerCancel;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    const CodePage& SystemCodePage() override { return Windows1250CodePage(); }
    Registry& InstallRegistry() override { return registry; }
    long EnterDirectory(const std::string& directory) override {
        steps.push_back("cd:" + directory);
        if (missingDirectory) return 3;  // ERROR_PATH_NOT_FOUND
        const auto refused = enterFailures.find(directory);
        if (refused != enterFailures.end()) return refused->second;
        disk.ChangeTo(directory);
        return 0;
    }
    bool WritingRefusedHere() override { return writingRefused && disk.current == kInstalled; }
    bool FindUserDataFolder(std::string& path) override {
        path = kUserFolder;
        return userFolderAvailable;
    }
    bool EnterUserDataFolder(std::string& path) override {
        steps.push_back("userfolder");
        path = kUserFolder;
        if (!userFolderAvailable) return false;
        disk.ChangeTo(kUserFolder);
        return true;
    }
    DataDirectoryClaim ClaimDataDirectory() override {
        if (inUseElsewhere.count(disk.current)) return DataDirectoryClaim::InUse;
        std::string& owner = owners[disk.current];
        if (owner.empty()) owner = account;
        return owner == account ? DataDirectoryClaim::Ours : DataDirectoryClaim::OtherAccount;
    }
    bool LastWriteTime(const std::string& path, uint64_t& time) override {
        const auto found = writtenAt.find(path);
        if (found == writtenAt.end()) return false;
        time = found->second;
        return true;
    }
    void PrepareControls() override { steps.push_back("controls"); }
    FileSystem& Files() override { return disk; }
    void LoadTexts() override { steps.push_back("texts:" + std::to_string(languageIndex)); }
    void CreateMainWindow() override { steps.push_back("window"); }
    void AddTrayIcon() override { steps.push_back("icon"); }
    void ObsoleteSweep() override { steps.push_back("sweep:" + std::to_string(isStartupPass)); }
    void ReminderPass() override { steps.push_back("pass:" + std::to_string(isStartupPass)); }
    void StartHourlyTimer() override { steps.push_back("timer:" + std::to_string(isStartupPass)); }
    int RunMessageLoop() override {
        steps.push_back("loop:" + std::to_string(isStartupPass));
        return 0;
    }

    bool otherCopyRunning = false;
    bool missingDirectory = false;
    bool writingRefused = false;
    bool userFolderAvailable = true;
    std::map<std::string, long> enterFailures;  // directories that cannot be entered, and why
    std::set<std::string> inUseElsewhere;       // folders whose lock another session holds
    std::map<std::string, std::string> owners;  // the account each folder's lock names
    std::map<std::string, uint64_t> writtenAt;  // last write times by full path
    std::string account = "S-1-5-21-me";
    std::deque<int> answers;
    std::vector<std::string> steps, titles;
    std::vector<unsigned> styles;
    MemoryRegistry registry;
    DirectoryDisk disk;
};

class StartupTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        languageIndex = 0;
        WriteInstallationRecord(platform.registry, "C:\\Tolvek");
    }
    void TearDown() override {
        noteStore.reset();
        CoreTest::TearDown();
    }
    ScriptedPlatform platform;
};

TEST_F(StartupTest, RunsEveryStepInOrderWithTheStartupFlagUntilTheTimer) {
    platform.disk.Put(kDataFileName, DiaryFile({MakeNote(0, 1, 1)}, 2));
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek", "controls", "texts:2", "window", "icon",
                                        "sweep:1", "pass:1", "timer:1", "loop:0"}),
              platform.steps);
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ(1u, noteStore->Count());
}

TEST_F(StartupTest, SecondCopySaysSoAndStopsBeforeTouchingAnything) {
    platform.otherCopyRunning = true;
    platform.answers = {kAnswerOk};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(std::vector<std::string>({"lock", "box:Tolvek is already running"}), platform.steps);
    EXPECT_EQ("", platform.titles[0]);
    EXPECT_EQ(kBoxOk, platform.styles[0]);
    EXPECT_TRUE(platform.disk.Names().empty());
}

TEST_F(StartupTest, MissingRecordOrPathStopsWithTheRegistryErrorCode) {
    struct Case {
        std::string path;  // "" removes the value, "<nokey>" the key
        std::string text;
    };
    const Case cases[] = {
        {"", "Tolvek Diary is not properly installed. Please reinstall.2"},
        {std::string(999, 'x'), "Tolvek Diary is not properly installed. Please reinstall.234"},
        {"<nokey>", "Tolvek Diary is not properly installed. Please reinstall.2"},
    };
    for (const Case& c : cases) {
        ScriptedPlatform fresh;
        if (c.path != "<nokey>") {
            WriteInstallationRecord(fresh.registry, c.path.empty() ? "x" : c.path);
            if (c.path.empty()) fresh.registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath)->erase("path");
        }
        fresh.answers = {kAnswerOk};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(std::vector<std::string>({"lock", "box:" + c.text}), fresh.steps);
        EXPECT_EQ("Error", fresh.titles.at(0));
        EXPECT_EQ(kIconError, fresh.styles.at(0));
    }
}

TEST_F(StartupTest, CorruptFileIsSetAsideAndTheBackupRestoredOnYes) {
    const Bytes backup = DiaryFile({MakeNote(0, 1, 1, 0, 0, "saved")}, 1, 5);
    const Bytes damaged = DiaryFile({MakeNote(0, 1, 1)}, 0, 3, 4);
    platform.disk.Put(kDataFileName, damaged);
    platform.disk.Put(kBackupFileName, backup);
    platform.answers = {kAnswerOk, kAnswerYes};
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_EQ(2u, platform.titles.size());
    EXPECT_EQ("box:" + CorruptDataFileMessage().text, platform.steps[3]);
    EXPECT_EQ("box:" + NoDataFileQuestion().text, platform.steps[4]);
    EXPECT_EQ("Tolvek: ERROR", platform.titles[0]);
    EXPECT_EQ(kIconWarning, platform.styles[0]);
    EXPECT_EQ(kIconQuestion | kBoxYesNo, platform.styles[1]);
    EXPECT_EQ(damaged, platform.disk.Get(kCorruptFileName));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ("saved", NoteText(noteStore->At(0)));
    EXPECT_EQ(1, languageIndex);
}

TEST_F(StartupTest, DecliningTheBackupStartsAnEmptyDiary) {
    platform.disk.Put(kBackupFileName, DiaryFile({MakeNote(0, 1, 1)}));
    platform.answers = {kAnswerNo};
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ(0u, noteStore->Count());
    EXPECT_EQ(16u, platform.disk.Get(kDataFileName).size());
}

TEST_F(StartupTest, RetryTriesToCreateTheDataFileAgain) {
    platform.disk.failing = FileStep::Create;  // fails once, then the disk works
    platform.answers = {kAnswerRetry};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek", "controls",
                                        "box:" + CannotCreateDataFileMessage().text, "texts:0",
                                        "window", "icon", "sweep:1", "pass:1", "timer:1", "loop:0"}),
              platform.steps);
    EXPECT_EQ(kIconWarning | kBoxRetryCancel, platform.styles[0]);
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ(16u, platform.disk.Get(kDataFileName).size());
}

TEST_F(StartupTest, CancelWhileTheFileCannotBeCreatedEndsTheProgram) {
    platform.disk.failing = FileStep::Create;
    platform.answers = {kAnswerCancel};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(nullptr, noteStore);
    EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek", "controls",
                                        "box:" + CannotCreateDataFileMessage().text}),
              platform.steps);
    EXPECT_TRUE(platform.disk.Names().empty());
}

// A data file that is there but cannot be read gets a box of its own, naming the file and
// the reason: Retry loads it once it is free, Cancel ends with nothing changed.
TEST_F(StartupTest, UnreadableDataFileIsToldAndNeverReplaced) {
    const Bytes diary = DiaryFile({MakeNote(0, 1, 1, 0, 0, "one"), MakeNote(0, 2, 2, 0, 0, "two")}, 1, 12);
    const std::string box =
        "box:A data file could not be read:\nC:\\Tolvek\\tolvek.dat\n"
        "The process cannot access the file because it is being used by another process.\n\n"
        "Another program may be using it (a backup, sync or virus scan, an editor), or you may not be allowed "
        "to read it. Nothing has been changed.\n\nPress Retry once it is free, or Cancel to end Tolvek.";
    for (const bool retry : {true, false}) {
        SCOPED_TRACE(retry ? "retry once it is free" : "cancel");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
        fresh.disk.Put(kDataFileName, diary);
        fresh.disk.Put(kBackupFileName, diary);
        if (retry)
            fresh.disk.failing = FileStep::OpenForReading;  // held for the first read only
        else
            fresh.disk.unreadable.insert(kDataFileName);
        const auto before = fresh.disk.Snapshot();
        fresh.answers = {retry ? kAnswerRetry : kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        ASSERT_LE(4u, fresh.steps.size());
        EXPECT_EQ(box, fresh.steps[3]);
        EXPECT_EQ("Tolvek: ERROR", fresh.titles.at(0));
        EXPECT_EQ(kIconWarning | kBoxRetryCancel, fresh.styles.at(0));
        EXPECT_EQ(before, fresh.disk.Snapshot());
        if (retry) {
            ASSERT_NE(nullptr, noteStore);
            EXPECT_EQ(2u, noteStore->Count());
            noteStore.reset();
        } else {
            EXPECT_EQ(4u, fresh.steps.size()) << "Cancel ends Tolvek";
            EXPECT_EQ(nullptr, noteStore);
        }
    }
}

// A held diary in the user's folder is the user's, and a held original in the installation
// directory is not skipped: neither is ever copied over or lost.
TEST_F(StartupTest, CarryOverNeverCopiesOverOrSkipsAHeldDiary) {
    const Bytes earlier = DiaryFile({MakeNote(0, 1, 1, 0, 0, "earlier")}, 0, 5);
    const Bytes own = DiaryFile({MakeNote(0, 2, 2, 0, 0, "own")}, 0, 6);
    const std::string ownDiary = kUserFolder + "\\tolvek.dat";
    platform.writingRefused = true;
    platform.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    platform.disk.Put(ownDiary, own);
    // Held by another program: looked at by its full path, and by its bare name once the
    // user's folder is the current directory.
    platform.disk.unreadable.insert(ownDiary);
    platform.disk.unreadable.insert(kDataFileName);
    platform.answers = {kAnswerOk, kAnswerCancel};  // the box that names the other diary, then Cancel
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(own, platform.disk.Get(ownDiary));
    EXPECT_EQ(earlier, platform.disk.Get("C:\\Tolvek\\tolvek.dat"));
    EXPECT_EQ(0u, platform.steps.back().rfind("box:A data file could not be read:", 0));
    EXPECT_EQ(nullptr, noteStore);

    ScriptedPlatform fresh;
    WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
    fresh.writingRefused = true;
    fresh.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    fresh.disk.Put("C:\\Tolvek\\backup.dat", earlier);
    fresh.disk.unreadable.insert("C:\\Tolvek\\tolvek.dat");
    fresh.answers = {kAnswerYes, kAnswerCancel};
    EXPECT_EQ(0, RunTolvek(fresh));
    EXPECT_EQ("box:" + CannotCreateDataFileMessage().text, fresh.steps.back());
    EXPECT_FALSE(fresh.disk.Has(kUserFolder + "\\tolvek.dat"));
    EXPECT_FALSE(fresh.disk.Has(kUserFolder + "\\backup.dat"));
    EXPECT_EQ(nullptr, noteStore);
}

TEST_F(StartupTest, FailedSaveIsToldOnceUntilASaveSucceeds) {
    const auto show = [this](const MessageBoxText& box) { return platform.ShowMessage(box); };
    ReportSave(true, show);
    platform.answers = {kAnswerOk, kAnswerOk};
    ReportSave(false, show);
    ReportSave(false, show);
    EXPECT_EQ(1u, platform.titles.size());
    ReportSave(true, show);
    ReportSave(false, show);
    EXPECT_EQ(2u, platform.titles.size());
    EXPECT_EQ("box:" + SaveFailedMessage().text, platform.steps.back());
}

// Where a damaged file cannot be set aside the user is told the truth once and nothing is
// lost or looped over; where only the move fails, a whole copy stands in for it.
TEST_F(StartupTest, CorruptFileThatCannotBeMovedIsKeptAndToldOnce) {
    // What the box asks of the user where the file is kept: the file that stands in the way.
    const std::string moveCorruptAway =
        "CORRUPT_DATA.dat could not be replaced:\nC:\\Tolvek\\CORRUPT_DATA.dat\n\nPlease move that file away "
        "(it may be read-only, a folder, or held by another program), then start Tolvek again.";
    const std::string moveDataFileAway =
        "Please move it away (or close the program that holds it), then start Tolvek again.";
    struct Case {
        const char* name;
        std::function<void(MemoryFileSystem&)> arrange;
        bool setAside;  // the damaged file ends up only under the corrupt-file name
        std::string request;
    };
    const Case cases[] = {
        {"corrupt-file name read-only or a directory", [](MemoryFileSystem& d) { d.locked.insert(kCorruptFileName); },
         false, moveCorruptAway},
        {"data file held by another program", [](MemoryFileSystem& d) { d.locked.insert(kDataFileName); }, false,
         moveDataFileAway},
        {"one move fails, the copy works", [](MemoryFileSystem& d) { d.failing = FileStep::Replace; }, true, ""},
    };
    const Bytes damaged = DiaryFile({MakeNote(0, 1, 1)}, 0, 3, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
        fresh.disk.Put(kDataFileName, damaged);
        fresh.disk.Put(kBackupFileName, DiaryFile({MakeNote(0, 1, 1, 0, 0, "saved")}));
        c.arrange(fresh.disk);
        fresh.answers = {kAnswerOk, kAnswerYes};
        EXPECT_EQ(0, RunTolvek(fresh));
        if (c.setAside) {
            EXPECT_EQ("box:" + CorruptDataFileMessage().text, fresh.steps.at(3));
            EXPECT_FALSE(fresh.disk.Has(kDataFileName) && fresh.disk.Get(kDataFileName) == damaged);
            EXPECT_EQ(damaged, fresh.disk.Get(kCorruptFileName));
            ASSERT_NE(nullptr, noteStore);
            EXPECT_EQ("saved", NoteText(noteStore->At(0)));
            noteStore.reset();
            continue;
        }
        ASSERT_EQ(4u, fresh.steps.size()) << "one box, then the end";
        EXPECT_EQ("box:The data file is corrupt!\n\nIt could not be moved aside, so it has been kept as it is:\n"
                  "C:\\Tolvek\\tolvek.dat\n\n" + c.request,
                  fresh.steps[3]);
        EXPECT_LE(fresh.disk.waitedReplaces, 1) << "one wait for a held file before saying so, not one a step";
        EXPECT_EQ(kIconWarning | kBoxOk, fresh.styles.at(0));
        EXPECT_EQ(damaged, fresh.disk.Get(kDataFileName)) << "kept where it was";
        EXPECT_EQ(nullptr, noteStore);
    }
}

TEST_F(StartupTest, RecordedDirectoryThatCannotBeEnteredIsNotAnInstallation) {
    platform.missingDirectory = true;
    platform.answers = {kAnswerOk};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek",
                                        "box:Tolvek Diary is not properly installed. Please reinstall.3"}),
              platform.steps);
    EXPECT_EQ("Error", platform.titles.at(0));
    EXPECT_TRUE(platform.disk.Names().empty()) << "no diary created wherever the program stood";
}

TEST_F(StartupTest, BackupThatCannotBeRestoredOrDeletedOffersAWayOut) {
    for (const bool restore : {true, false}) {
        SCOPED_TRACE(restore ? "restore" : "start empty");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
        fresh.disk.Put(kBackupFileName, DiaryFile({MakeNote(0, 1, 1)}));
        fresh.disk.locked = {restore ? kDataFileName : kBackupFileName};
        fresh.answers = {restore ? kAnswerYes : kAnswerNo, kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ("box:" + CannotCreateDataFileMessage().text, fresh.steps.back());
        EXPECT_EQ(2u, fresh.titles.size());
        EXPECT_EQ(nullptr, noteStore);
    }
}

// A user who may not write the installation directory keeps the diary in a folder of
// their own; the diary already in the installation directory comes along on first use.
TEST_F(StartupTest, RefusedInstallationDirectoryMovesTheDiaryToTheUserFolderOnce) {
    const Bytes earlier = DiaryFile({MakeNote(0, 1, 1, 0, 0, "earlier")}, 1, 6);
    const Bytes earlierBackup = DiaryFile({}, 1, 7);
    platform.writingRefused = true;
    platform.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    platform.disk.Put("C:\\Tolvek\\backup.dat", earlierBackup);
    platform.answers = {kAnswerYes};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ("userfolder", platform.steps.at(2));
    EXPECT_EQ("box:A diary from an earlier installation was found in C:\\Tolvek. Copy it into your own folder?",
              platform.steps.at(3));
    EXPECT_EQ("Tolvek Diary", platform.titles.at(0));
    EXPECT_EQ(kIconQuestion | kBoxYesNo, platform.styles.at(0));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ("earlier", NoteText(noteStore->At(0)));
    EXPECT_EQ(1, languageIndex);
    EXPECT_EQ(earlier, platform.disk.Get("C:\\Tolvek\\tolvek.dat")) << "the originals stay";
    EXPECT_EQ(earlierBackup, platform.disk.Get("C:\\Tolvek\\backup.dat"));

    // Used once, the folder's own diary is never overwritten from the installation directory.
    noteStore->Add(MakeNote(0, 2, 2, 0, 0, "later"));
    noteStore.reset();
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ(2u, noteStore->Count());
}

TEST_F(StartupTest, EveryFailedCarryOverLeavesTheFolderUnusedAndOffersRetry) {
    // How a copy fails: any step of the diary's copy, or the backup's copy after the diary's.
    struct Case {
        const char* name;
        FileStep failing;
        const char* locked;
    };
    const Case cases[] = {
        {"diary create", FileStep::Create, ""},     {"diary write", FileStep::Write, ""},
        {"diary short write", FileStep::ShortWrite, ""}, {"diary flush", FileStep::Flush, ""},
        {"diary close", FileStep::Close, ""},       {"diary replace", FileStep::Replace, ""},
        {"backup create", FileStep::None, "backup.dat.new"}, {"backup replace", FileStep::None, "backup.dat"},
    };
    const Bytes earlier = DiaryFile({MakeNote(0, 1, 1, 0, 0, "earlier")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
        fresh.writingRefused = true;
        fresh.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
        fresh.disk.Put("C:\\Tolvek\\backup.dat", earlier);
        fresh.disk.failing = c.failing;
        if (*c.locked) fresh.disk.locked.insert(c.locked);
        fresh.answers = {kAnswerYes, kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(std::vector<std::string>(
                      {"lock", "cd:C:\\Tolvek", "userfolder",
                       "box:A diary from an earlier installation was found in C:\\Tolvek. Copy it into your own folder?",
                       "box:" + CannotCreateDataFileMessage().text}),
                  fresh.steps);
        EXPECT_FALSE(fresh.disk.Has(kDataFileName));
        EXPECT_FALSE(fresh.disk.Has(kBackupFileName));
        EXPECT_EQ(earlier, fresh.disk.Get("C:\\Tolvek\\tolvek.dat"));
        EXPECT_EQ(earlier, fresh.disk.Get("C:\\Tolvek\\backup.dat"));
        EXPECT_EQ(nullptr, noteStore);
    }
    // Retry after a failed copy carries the diary over.
    platform.writingRefused = true;
    platform.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    platform.disk.failing = FileStep::Create;
    platform.answers = {kAnswerYes, kAnswerRetry};
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ("earlier", NoteText(noteStore->At(0)));
}

TEST_F(StartupTest, WritableInstallationDirectoryKeepsTheDataAndAMissingUserFolderChangesNothing) {
    for (const bool refused : {false, true}) {
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
        fresh.writingRefused = refused;
        fresh.userFolderAvailable = false;
        fresh.disk.Put(kDataFileName, DiaryFile({MakeNote(0, 1, 1)}));
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(refused ? "userfolder" : "controls", fresh.steps.at(2));
        ASSERT_NE(nullptr, noteStore);
        noteStore.reset();
    }
}

// The fault of the flipping home: once a standard user's diary lives in the user's folder,
// a start that may write the installation directory (elevated once, rights changed) keeps
// to it, and writes nothing in the installation directory.
TEST_F(StartupTest, RecordedHomeIsKeptWhateverTheInstallationDirectoryAllows) {
    const Bytes earlier = DiaryFile({MakeNote(0, 1, 1, 0, 0, "earlier")});
    platform.writingRefused = true;
    platform.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    platform.answers = {kAnswerYes};
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_NE(nullptr, noteStore);
    noteStore->Add(MakeNote(0, 2, 2, 0, 0, "added"));
    noteStore.reset();
    std::string home;
    EXPECT_EQ(kErrorSuccess, ReadDataHome(platform.registry, home));
    EXPECT_EQ(kUserFolder, home);

    platform.writingRefused = false;
    platform.steps.clear();
    EXPECT_EQ(0, RunTolvek(platform));
    ASSERT_NE(nullptr, noteStore);
    EXPECT_EQ(2u, noteStore->Count()) << "the note added since is there";
    EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek", "cd:" + kUserFolder, "controls", "texts:0"}),
              std::vector<std::string>(platform.steps.begin(), platform.steps.begin() + 5))
        << "no question, no box";
    EXPECT_EQ(earlier, platform.disk.Get("C:\\Tolvek\\tolvek.dat"));
    EXPECT_FALSE(platform.disk.Has("C:\\Tolvek\\backup.dat")) << "nothing written in the installation directory";
}

// With nothing recorded, the home is chosen once: each row arranges both places and says
// where the diary is loaded from and which boxes tell the user about it.
TEST_F(StartupTest, HomeIsChosenOnceFromWhatBothPlacesHold) {
    struct Case {
        const char* name;
        const char* installNote;  // the installation directory's diary, "" for none
        const char* userNote;     // the user folder's diary, "" for none
        std::function<void(ScriptedPlatform&)> arrange;
        std::deque<int> answers;
        const char* loaded;  // the text of the note loaded, "" for an empty diary
        std::string home;
        std::vector<std::string> boxes;  // the first words of each box shown
    };
    const auto refused = [](ScriptedPlatform& p) { p.writingRefused = true; };
    const auto otherAccount = [](ScriptedPlatform& p) { p.owners[kInstalled] = "S-1-5-21-other"; };
    const auto otherSession = [](ScriptedPlatform& p) { p.inUseElsewhere.insert(kInstalled); };
    const auto installNewer = [](ScriptedPlatform& p) {
        p.writtenAt["C:\\Tolvek\\tolvek.dat"] = 20;
        p.writtenAt[kUserFolder + "\\tolvek.dat"] = 10;
    };
    const auto userNewer = [](ScriptedPlatform& p) {
        p.writtenAt["C:\\Tolvek\\tolvek.dat"] = 10;
        p.writtenAt[kUserFolder + "\\tolvek.dat"] = 20;
    };
    const std::string question = "A diary from an earlier installation";
    const std::string moved = "The diary in\nC:\\Tolvek\nis in use";
    const std::string two = "Tolvek found a diary in two places.\n\nYour diary is kept in\n";
    const Case cases[] = {
        {"writable installation directory", "inst", "", [](ScriptedPlatform&) {}, {}, "inst", kInstalled, {}},
        {"refused, copied", "inst", "", refused, {kAnswerYes}, "inst", kUserFolder, {question}},
        {"refused, not copied", "inst", "", refused, {kAnswerNo}, "", kUserFolder, {question}},
        {"refused, nothing to copy", "", "", refused, {}, "", kUserFolder, {}},
        {"the user folder's own diary", "inst", "user", [](ScriptedPlatform&) {}, {}, "user", kUserFolder, {two}},
        {"another account's", "inst", "", otherAccount, {kAnswerNo}, "", kUserFolder, {question}},
        {"another session's", "inst", "", otherSession, {kAnswerYes, kAnswerOk}, "inst", kUserFolder,
         {question, moved}},
        {"both, installation newer", "inst", "user", installNewer, {kAnswerOk}, "inst", kInstalled,
         {two + kInstalled}},
        {"both, user folder newer", "inst", "user", userNewer, {kAnswerOk}, "user", kUserFolder,
         {two + kUserFolder}},
        {"both, installation newer but refused",
         "inst", "user", [&](ScriptedPlatform& p) { installNewer(p);
             p.writingRefused = true; }, {kAnswerOk},
         "user", kUserFolder, {two + kUserFolder}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        if (*c.installNote) fresh.disk.Put("C:\\Tolvek\\tolvek.dat", DiaryFile({MakeNote(0, 1, 1, 0, 0, c.installNote)}));
        if (*c.userNote) fresh.disk.Put(kUserFolder + "\\tolvek.dat", DiaryFile({MakeNote(0, 1, 1, 0, 0, c.userNote)}));
        c.arrange(fresh);
        fresh.answers = c.answers;
        // Two boxes in a row (question, then the note) both answer from the script.
        if (c.boxes.size() > c.answers.size()) fresh.answers.push_back(kAnswerOk);
        EXPECT_EQ(0, RunTolvek(fresh));
        ASSERT_NE(nullptr, noteStore);
        EXPECT_EQ(*c.loaded ? 1u : 0u, noteStore->Count());
        if (*c.loaded && noteStore->Count()) {
            EXPECT_EQ(c.loaded, NoteText(noteStore->At(0)));
        }
        noteStore.reset();
        std::string home;
        EXPECT_EQ(kErrorSuccess, ReadDataHome(fresh.registry, home));
        EXPECT_EQ(c.home, home);
        std::vector<std::string> boxes;
        for (const std::string& step : fresh.steps)
            if (step.rfind("box:", 0) == 0) boxes.push_back(step.substr(4));
        ASSERT_EQ(c.boxes.size(), boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i)
            EXPECT_EQ(0u, boxes[i].find(c.boxes[i])) << boxes[i];
        if (*c.installNote && c.home == kUserFolder) {
            EXPECT_EQ(DiaryFile({MakeNote(0, 1, 1, 0, 0, c.installNote)}), fresh.disk.Get("C:\\Tolvek\\tolvek.dat"))
                << "the installation directory's diary is never changed";
        }

        // Chosen once: the next start asks nothing and loads the same diary.
        fresh.steps.clear();
        EXPECT_EQ(0, RunTolvek(fresh));
        ASSERT_NE(nullptr, noteStore);
        EXPECT_EQ(*c.loaded ? 1u : 0u, noteStore->Count());
        for (const std::string& step : fresh.steps) EXPECT_NE(0u, step.rfind("box:", 0)) << step;
        noteStore.reset();
    }
}

// A recorded home that another session or account has taken meanwhile sends this user to
// the user's own folder, said once; one that is gone is chosen afresh; one that cannot be
// entered now is neither replaced nor left without a word.
TEST_F(StartupTest, RecordedHomeThatCannotServeIsToldOrChosenAfresh) {
    const Bytes diary = DiaryFile({MakeNote(0, 1, 1, 0, 0, "mine")});
    {
        SCOPED_TRACE("taken by another session");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        WriteDataHome(fresh.registry, kInstalled);
        fresh.disk.Put(kDataFileName, diary);
        fresh.inUseElsewhere.insert(kInstalled);
        fresh.answers = {kAnswerYes, kAnswerOk};
        EXPECT_EQ(0, RunTolvek(fresh));
        ASSERT_NE(nullptr, noteStore);
        EXPECT_EQ("mine", NoteText(noteStore->At(0))) << "carried over";
        noteStore.reset();
        EXPECT_EQ("box:The diary in\nC:\\Tolvek\nis in use in another user's session, or you may no longer change "
                  "it.\n\nYour diary is kept in your own folder from now on:\n" + kUserFolder,
                  fresh.steps.at(fresh.steps.size() - 9));
        std::string home;
        ReadDataHome(fresh.registry, home);
        EXPECT_EQ(kUserFolder, home);
    }
    {
        SCOPED_TRACE("taken by another session, and no folder of the user's own");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        fresh.disk.Put(kDataFileName, diary);
        fresh.inUseElsewhere.insert(kInstalled);
        fresh.userFolderAvailable = false;
        fresh.answers = {kAnswerRetry, kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(nullptr, noteStore) << "never a second writer of the other session's diary";
        EXPECT_EQ("box:" + CannotCreateDataFileMessage().text, fresh.steps.back());
        EXPECT_EQ(std::vector<std::string>({kDataFileName}), fresh.disk.Names());
        std::string home;
        EXPECT_EQ(kErrorFileNotFound, ReadDataHome(fresh.registry, home)) << "nothing chosen";
    }
    {
        SCOPED_TRACE("the user's own folder in use: this account's Tolvek in another session");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        WriteDataHome(fresh.registry, kUserFolder);
        fresh.inUseElsewhere.insert(kUserFolder);
        fresh.answers = {kAnswerOk};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(nullptr, noteStore);
        EXPECT_EQ("box:Tolvek is already running", fresh.steps.back());
        EXPECT_TRUE(fresh.disk.Names().empty());
    }
    {
        SCOPED_TRACE("gone");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        WriteDataHome(fresh.registry, "E:\\Old");
        fresh.enterFailures["E:\\Old"] = kErrorPathNotFound;
        fresh.disk.Put(kDataFileName, diary);
        EXPECT_EQ(0, RunTolvek(fresh));
        ASSERT_NE(nullptr, noteStore);
        EXPECT_EQ("mine", NoteText(noteStore->At(0)));
        noteStore.reset();
        std::string home;
        ReadDataHome(fresh.registry, home);
        EXPECT_EQ(kInstalled, home);
    }
    {
        SCOPED_TRACE("refused for now");
        ScriptedPlatform fresh;
        WriteInstallationRecord(fresh.registry, kInstalled);
        WriteDataHome(fresh.registry, "\\\\server\\home\\Tolvek");
        fresh.enterFailures["\\\\server\\home\\Tolvek"] = 53;  // ERROR_BAD_NETPATH
        fresh.disk.Put(kDataFileName, diary);
        fresh.answers = {kAnswerRetry, kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(nullptr, noteStore);
        EXPECT_EQ("box:The folder of your diary cannot be opened:\n\\\\server\\home\\Tolvek\n\n"
                  "Please retry once it can be reached again.",
                  fresh.steps.back());
        EXPECT_EQ(kIconWarning | kBoxRetryCancel, fresh.styles.back());
        EXPECT_EQ(diary, fresh.disk.Get("C:\\Tolvek\\tolvek.dat"));
        EXPECT_EQ(1u, fresh.disk.Names().size()) << "nothing created anywhere";
        std::string home;
        ReadDataHome(fresh.registry, home);
        EXPECT_EQ("\\\\server\\home\\Tolvek", home);
    }
}

// A per-user start at logon left by an earlier version would start a second copy beside the
// machine's; the program retires it at its start.
TEST_F(StartupTest, PerUserAutostartBesideTheMachineValueIsRetired) {
    {
        const OpenedKey key = CreateKeyPath(platform.registry, Hive::CurrentUser, kRunKeyPath);
        ASSERT_EQ(kErrorSuccess, key.result());
        platform.registry.SetString(key.handle(), kAutostartValue, AutostartCommand(kInstalled));
    }
    ASSERT_EQ(kErrorSuccess, AddAutostart(platform.registry, kInstalled));
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ("<missing>", platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
    EXPECT_EQ(AutostartCommand(kInstalled) + std::string(1, '\0'),
              platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
}

}  // namespace
