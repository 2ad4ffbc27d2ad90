// The start-up sequence and the recovery dialogue against a scripted stand-in that
// records every step and answers message boxes as told.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "../core/diary_builders.h"
#include "../core/memory_file_system.h"
#include "../core/memory_registry.h"
#include "../core/test_support.h"
#include "startup.h"

using namespace test_support;

namespace {

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
    Registry& InstallRegistry() override { return registry; }
    long EnterDirectory(const std::string& directory) override {
        steps.push_back("cd:" + directory);
        return missingDirectory ? 3 : 0;  // ERROR_PATH_NOT_FOUND
    }
    bool WritingRefusedHere() override { return writingRefused; }
    bool EnterUserDataFolder(std::string& path) override {
        steps.push_back("userfolder");
        path = "C:\\Users\\me\\AppData\\Local\\Tolvek Diary";
        return userFolderAvailable;
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
    std::deque<int> answers;
    std::vector<std::string> steps, titles;
    std::vector<unsigned> styles;
    MemoryRegistry registry;
    MemoryFileSystem disk;
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
    EXPECT_EQ("box:" + std::string(kCorruptDataFile.text), platform.steps[3]);
    EXPECT_EQ("box:" + std::string(kNoDataFile.text), platform.steps[4]);
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
                                        "box:" + std::string(kCannotCreateDataFile.text), "texts:0",
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
                                        "box:" + std::string(kCannotCreateDataFile.text)}),
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
    platform.writingRefused = true;
    platform.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    platform.disk.Put(kDataFileName, own);
    platform.disk.unreadable.insert(kDataFileName);
    platform.answers = {kAnswerCancel};
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ(own, platform.disk.Get(kDataFileName));
    EXPECT_EQ(0u, platform.steps.back().rfind("box:A data file could not be read:", 0));
    EXPECT_EQ(nullptr, noteStore);

    ScriptedPlatform fresh;
    WriteInstallationRecord(fresh.registry, "C:\\Tolvek");
    fresh.writingRefused = true;
    fresh.disk.Put("C:\\Tolvek\\tolvek.dat", earlier);
    fresh.disk.Put("C:\\Tolvek\\backup.dat", earlier);
    fresh.disk.unreadable.insert("C:\\Tolvek\\tolvek.dat");
    fresh.answers = {kAnswerCancel};
    EXPECT_EQ(0, RunTolvek(fresh));
    EXPECT_EQ("box:" + std::string(kCannotCreateDataFile.text), fresh.steps.back());
    EXPECT_FALSE(fresh.disk.Has(kDataFileName));
    EXPECT_FALSE(fresh.disk.Has(kBackupFileName));
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
    EXPECT_EQ("box:" + std::string(kSaveFailed.text), platform.steps.back());
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
            EXPECT_EQ("box:" + std::string(kCorruptDataFile.text), fresh.steps.at(3));
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
        EXPECT_EQ("box:" + std::string(kCannotCreateDataFile.text), fresh.steps.back());
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
    EXPECT_EQ(0, RunTolvek(platform));
    EXPECT_EQ("userfolder", platform.steps.at(2));
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
        fresh.answers = {kAnswerCancel};
        EXPECT_EQ(0, RunTolvek(fresh));
        EXPECT_EQ(std::vector<std::string>({"lock", "cd:C:\\Tolvek", "userfolder",
                                            "box:" + std::string(kCannotCreateDataFile.text)}),
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
    platform.answers = {kAnswerRetry};
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

}  // namespace
