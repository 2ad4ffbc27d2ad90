// The start-up sequence and the recovery dialogue against a scripted stand-in that
// records every step and answers message boxes as told.
#include <gtest/gtest.h>

#include <deque>

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
    void EnterDirectory(const std::string& directory) override { steps.push_back("cd:" + directory); }
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
        delete noteStore;
        noteStore = nullptr;
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

}  // namespace
