// The installer's flow against a scripted stand-in: a disk of Windows-style paths, the
// in-memory registry and a script that answers the boxes and the folder browser.
#include <gtest/gtest.h>

#include <map>

#include "install_fakes.h"
#include "setup_flow.h"

using namespace install_fakes;

namespace {

const Box kOverwrite = {
    "The Tolvek Diary is already installed.\nDo you wish to overwrite the existing installation?",
    "Tolvek Diary Installer:", kOkCancelQuestion};
const Box kWelcome = {"This program will install the Tolvek Diary to your computer.\nDo you wish to continue?",
                      "Tolvek Diary Installer", kOkCancel};
const Box kCopyFailed = {
    "Failed to copy files.\nIf the program is already installed and running,\nplease shut it down and try again.",
    "Tolvek Diary Installer Error:", kError};
const Box kRunning = {
    "Failed to copy files.\nIf the program is already installed and running,\nplease shut it down and try again.\n"
    "Tolvek may be running in another user's session.",
    "Tolvek Diary Installer Error:", kError};
const Box kDone = {"The Tolvek Diary was successfully installed", "Tolvek Diary Installer:", kOk};
const Box kDoneWithoutShortcut = {
    "The Tolvek Diary was successfully installed\nThe Start menu entry could not be made.", "Tolvek Diary Installer:",
    kOk};
const Box kDoneWithoutAutostart = {
    "The Tolvek Diary was successfully installed\n"
    "It could not be set to start at logon: please start Tolvek.exe from the installation directory.",
    "Tolvek Diary Installer:", kOk};
const Box kRecordFailed = {
    "The installation record could not be written.\nPlease run the installer with administrator rights.",
    "Tolvek Diary Installer Error:", kError};
Box Confirm(const std::string& path) {
    return {"The Tolvek Diary will be installed to\n" + path + "\n\nDo you wish to continue?",
            "Tolvek Diary Installer", kOkCancel};
}

const std::string kChosen = "D:\\Apps";
const std::string kTarget = "D:\\Apps\\Tolvek Diary";
const std::string kRecorded = "E:\\Diary";  // an earlier installation's directory

class ScriptedSetup : public SetupPlatform {
public:
    ScriptedSetup() {
        disk.directories = {"D:", "D:\\Apps", "E:", "S:", "S:\\Shipped"};
        disk.files = {{"S:\\Shipped\\Tolvek.ex1", "tray program v2"},
                      {"S:\\Shipped\\Uninstall.ex1", "uninstaller v2"},
                      {"S:\\Shipped\\History.txt", "history v2"}};
        disk.currentDirectory = "S:\\Shipped";
    }

    int ShowMessage(const MessageBoxText& box) override { return boxes.Show(box, steps); }
    const CodePage& SystemCodePage() override { return Windows1250CodePage(); }
    bool BrowseForFolder(std::string& path) override {
        steps.push_back("browse");
        if (!browserGivesPath) return false;
        path = browserPath;
        return true;
    }
    bool MakeDirectory(const std::string& path) override {
        return Step("mkdir " + path, disk.MakeDirectory(path));
    }
    bool CopyFileReplacing(const std::string& from, const std::string& to) override {
        return Step("copy " + from + " > " + to, disk.Copy(from, to));
    }
    bool RemoveFile(const std::string& path) override { return Step("delete " + path, disk.Remove(path)); }
    bool FileExists(const std::string& path) override { return disk.HasFile(path); }
    uint64_t FileSize(const std::string& path) override { return disk.HasFile(path) ? disk.files[path].size() : 0; }
    bool RemoveEmptyDirectory(const std::string& path) override {
        return Step("rmdir " + path, disk.RemoveEmptyDirectory(path));
    }
    bool IsTolvekRunning() override {
        steps.push_back("running?");
        return tolvekRunning;
    }
    bool CreateStartMenuShortcut(const std::string& program) override {
        if (shortcutSaves) shortcut = program;
        return Step("shortcut " + program, shortcutSaves);
    }
    Registry& InstallRegistry() override { return *registryInUse; }

    bool Step(const std::string& step, bool done) {
        steps.push_back(step + (done ? "" : " FAILED"));
        return done;
    }

    BoxScript boxes;
    std::vector<std::string> steps;
    bool browserGivesPath = true;
    std::string browserPath = kChosen;
    bool tolvekRunning = false;
    bool shortcutSaves = true;
    std::string shortcut;  // the program the Start-menu entry starts
    FakeDisk disk;
    MemoryRegistry registry;
    Registry* registryInUse = &registry;
};

// An earlier installation in kRecorded, with the user's diary and remembered defaults.
void InstallEarlier(ScriptedSetup& platform) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(platform.registry, kRecorded));
    AddEarlierUserAutostart(platform.registry, kRecorded);  // as versions before 1.2 did
    SetDefaults(platform.registry, 3, 2);
    platform.disk.directories.insert(kRecorded);
    platform.disk.files[kRecorded + "\\Tolvek.exe"] = "tray program v1";
    platform.disk.files[kRecorded + "\\Uninstall.exe"] = "uninstaller v1";
    platform.disk.files[kRecorded + "\\History.txt"] = "history v1";
    platform.disk.files[kRecorded + "\\tolvek.dat"] = "the diary";
    platform.disk.files[kRecorded + "\\backup.dat"] = "the backup";
}

// Runs Setup and checks what every path must: exit code 0, no answer left unused, no
// registry key left open.
void RunChecked(ScriptedSetup& platform) {
    EXPECT_EQ(0, RunSetup(platform));
    EXPECT_TRUE(platform.boxes.answers.empty()) << platform.boxes.answers.size() << " answers unused";
    EXPECT_EQ(0u, platform.registry.OpenKeys());
}

std::string FileOf(const ScriptedSetup& platform, const std::string& path) {
    auto found = platform.disk.files.find(path);
    return found == platform.disk.files.end() ? "<missing>" : found->second;
}

// OK in every box: three for a fresh installation, four for a reinstallation.
std::deque<int> AllOk(bool earlier) {
    return earlier ? std::deque<int>{kOkButton, kOkButton, kOkButton, kOkButton}
                   : std::deque<int>{kOkButton, kOkButton, kOkButton};
}

TEST(Setup, FreshInstallationAsksChoosesCopiesRecordsAndSaysDone) {
    ScriptedSetup platform;
    platform.boxes.answers = AllOk(false);
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kWelcome, Confirm(kTarget), kDone}), platform.boxes.shown);
    EXPECT_EQ(std::vector<std::string>({
                  "box Tolvek Diary Installer",
                  "browse",
                  "box Tolvek Diary Installer",
                  "running?",
                  "mkdir " + kTarget,
                  "copy Tolvek.ex1 > " + kTarget + "\\Tolvek.exe",
                  "copy Uninstall.ex1 > " + kTarget + "\\Uninstall.exe",
                  "copy History.txt > " + kTarget + "\\History.txt",
                  "shortcut " + kTarget + "\\Tolvek.exe",
                  "box Tolvek Diary Installer:",
              }),
              platform.steps);
    EXPECT_EQ(kTarget + "\\Tolvek.exe", platform.shortcut);
    EXPECT_EQ("tray program v2", FileOf(platform, kTarget + "\\Tolvek.exe"));
    EXPECT_EQ("uninstaller v2", FileOf(platform, kTarget + "\\Uninstall.exe"));
    EXPECT_EQ("history v2", FileOf(platform, kTarget + "\\History.txt"));

    // The record with the entry of the list of installed programs, strings stored with
    // their NUL; no defaults yet. The installed files are 15 + 14 + 10 bytes: 1 KiB.
    const std::string nul(1, '\0');
    const std::string dword1 = std::string(1, '\1') + std::string(3, '\0');
    const std::map<std::string, std::pair<uint32_t, std::string>> expected = {
        {"path", {1, kTarget + nul}},
        {"uninstallstring", {1, "\"" + kTarget + "\\Uninstall.exe\"" + nul}},
        {"displayname", {1, "Tolvek Diary" + nul}},
        {"displayicon", {1, kTarget + "\\Tolvek.exe" + nul}},
        {"displayversion", {1, "1.1" + nul}},
        {"publisher", {1, "the Tolvek team" + nul}},
        {"installlocation", {1, kTarget + nul}},
        {"estimatedsize", {4, dword1}},
        {"nomodify", {4, dword1}},
        {"norepair", {4, dword1}},
    };
    const MemoryRegistry::Values* record = platform.registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath);
    ASSERT_NE(nullptr, record);
    std::map<std::string, std::pair<uint32_t, std::string>> stored;
    for (const auto& value : *record)
        stored[value.first] = {value.second.type, std::string(value.second.data.begin(), value.second.data.end())};
    EXPECT_EQ(expected, stored);
    // Per machine: the start at logon reaches every user, not only the one who ran Setup.
    EXPECT_EQ("\"D:\\Apps\\Tolvek Diary\\Tolvek.exe\"" + nul,
              platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
    EXPECT_EQ("<missing>", platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
}

TEST(Setup, ConfirmTextHoldsAChosenPathOfAnyLength) {
    ScriptedSetup platform;
    platform.browserPath = "D:\\" + std::string(1500, 'f');
    platform.boxes.answers = {kOkButton, kCancelButton};
    RunChecked(platform);
    ASSERT_EQ(2u, platform.boxes.shown.size());
    EXPECT_EQ(Confirm(platform.browserPath + "\\Tolvek Diary"), platform.boxes.shown[1]);
}

// The browser gives the folder in the system's code page (here Windows-1250); the box
// holds UTF-8, so that the wide function shows the same letters.
TEST(Setup, ConfirmTextShowsAChosenPathInTheSystemCodePageAsUtf8) {
    ScriptedSetup platform;
    platform.browserPath = "D:\\Den\xedk \x8eofie";  // "Deník Žofie"
    platform.boxes.answers = {kOkButton, kCancelButton};
    RunChecked(platform);
    ASSERT_EQ(2u, platform.boxes.shown.size());
    EXPECT_EQ(Confirm("D:\\Den\xc3\xadk \xc5\xbdofie\\Tolvek Diary"), platform.boxes.shown[1]);
}

TEST(Setup, ChosenPathGetsTheFolderAppendedWithoutLookingAtItsEnd) {
    ScriptedSetup platform;
    platform.browserPath = "D:\\";
    platform.boxes.answers = {kOkButton, kCancelButton};
    RunChecked(platform);
    ASSERT_EQ(2u, platform.boxes.shown.size());
    EXPECT_EQ(Confirm("D:\\\\Tolvek Diary"), platform.boxes.shown[1]);
}

TEST(Setup, ReinstallationUsesTheRecordedDirectoryAndKeepsDataAndDefaults) {
    ScriptedSetup platform;
    InstallEarlier(platform);
    platform.boxes.answers = AllOk(true);
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kOverwrite, kWelcome, Confirm(kRecorded), kDone}), platform.boxes.shown);
    EXPECT_EQ(std::vector<std::string>({
                  "box Tolvek Diary Installer:",
                  "box Tolvek Diary Installer",
                  "box Tolvek Diary Installer",
                  "running?",
                  "mkdir " + kRecorded + " FAILED",
                  "copy Tolvek.ex1 > " + kRecorded + "\\Tolvek.exe",
                  "copy Uninstall.ex1 > " + kRecorded + "\\Uninstall.exe",
                  "copy History.txt > " + kRecorded + "\\History.txt",
                  "shortcut " + kRecorded + "\\Tolvek.exe",
                  "box Tolvek Diary Installer:",
              }),
              platform.steps)
        << "no browser in a reinstallation";
    EXPECT_EQ("tray program v2", FileOf(platform, kRecorded + "\\Tolvek.exe"));
    EXPECT_EQ("uninstaller v2", FileOf(platform, kRecorded + "\\Uninstall.exe"));
    EXPECT_EQ("history v2", FileOf(platform, kRecorded + "\\History.txt"));
    EXPECT_EQ("the diary", FileOf(platform, kRecorded + "\\tolvek.dat"));
    EXPECT_EQ("the backup", FileOf(platform, kRecorded + "\\backup.dat"));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read));
    EXPECT_EQ(kRecorded, read) << "nothing appended to the recorded directory";
    Note defaults;  // advance 0, period 0 until read
    ReadNoteDefaults(platform.registry, defaults);
    EXPECT_EQ(3, defaults.advance);
    EXPECT_EQ(2, defaults.period);
    EXPECT_EQ("\"E:\\Diary\\Tolvek.exe\"" + std::string(1, '\0'),
              platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
    EXPECT_EQ("<missing>", platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue))
        << "the earlier version's per-user start would start a second copy";
}

TEST(Setup, AnythingButOkInAnyBoxEndsWithNothingChanged) {
    // Whether an earlier installation is recorded, the answers (the last one refuses), and
    // how many boxes were shown.
    struct Case {
        const char* name;
        bool earlier;
        std::deque<int> answers;
        std::size_t boxes;
    };
    const Case cases[] = {
        {"Overwrite cancelled", true, {kCancelButton}, 1},
        {"Overwrite closed some other way", true, {0}, 1},
        {"Welcome cancelled, fresh", false, {kCancelButton}, 1},
        {"Welcome cancelled, reinstalling", true, {kOkButton, kCancelButton}, 2},
        {"Confirm cancelled, fresh", false, {kOkButton, kCancelButton}, 2},
        {"Confirm cancelled, reinstalling", true, {kOkButton, kOkButton, kCancelButton}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedSetup platform;
        if (c.earlier) InstallEarlier(platform);
        const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
        platform.boxes.answers = c.answers;
        RunChecked(platform);
        EXPECT_EQ(c.boxes, platform.boxes.shown.size());
        for (const std::string& step : platform.steps)
            EXPECT_TRUE(step.rfind("box ", 0) == 0 || step == "browse") << "ran past the boxes: " << step;
        EXPECT_EQ(disk, platform.disk.Listing());
        EXPECT_EQ(record, RecordListing(platform.registry));
    }
}

TEST(Setup, BrowserCancelledOrWithoutPathEndsWithNothingChanged) {
    ScriptedSetup platform;
    platform.browserGivesPath = false;
    const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
    platform.boxes.answers = {kOkButton};
    RunChecked(platform);
    EXPECT_EQ(std::vector<std::string>({"box Tolvek Diary Installer", "browse"}), platform.steps)
        << "no Confirm box for a made-up path";
    EXPECT_EQ(disk, platform.disk.Listing());
    EXPECT_EQ(record, RecordListing(platform.registry));
}

TEST(Setup, RunningTrayProgramIsToldBeforeAnythingChanges) {
    for (bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "reinstalling" : "fresh");
        ScriptedSetup platform;
        if (earlier) InstallEarlier(platform);
        platform.tolvekRunning = true;
        const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
        platform.boxes.answers = AllOk(earlier);
        RunChecked(platform);
        EXPECT_EQ(kRunning, platform.boxes.shown.back());
        ASSERT_LE(2u, platform.steps.size());
        EXPECT_EQ("running?", platform.steps[platform.steps.size() - 2]) << "asked right after Confirm";
        EXPECT_EQ(disk, platform.disk.Listing());
        EXPECT_EQ(record, RecordListing(platform.registry));
    }
}

TEST(Setup, TrayProgramInUseFailsTheReinstallationAndKeepsTheRecord) {
    ScriptedSetup platform;
    InstallEarlier(platform);
    platform.disk.inUse.insert(kRecorded + "\\Tolvek.exe");
    const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
    platform.boxes.answers = AllOk(true);
    RunChecked(platform);
    EXPECT_EQ(kCopyFailed, platform.boxes.shown.back());
    EXPECT_EQ(disk, platform.disk.Listing());
    EXPECT_EQ(record, RecordListing(platform.registry));
}

TEST(Setup, MissingTrayProgramRemovesTheDirectoryThisRunCreated) {
    ScriptedSetup platform;
    platform.disk.files.erase("S:\\Shipped\\Tolvek.ex1");
    const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
    platform.boxes.answers = AllOk(false);
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kWelcome, Confirm(kTarget), kCopyFailed}), platform.boxes.shown);
    const std::vector<std::string> tail(platform.steps.end() - 4, platform.steps.end());
    EXPECT_EQ(std::vector<std::string>({"mkdir " + kTarget, "copy Tolvek.ex1 > " + kTarget + "\\Tolvek.exe FAILED",
                                        "box Tolvek Diary Installer Error:", "rmdir " + kTarget}),
              tail);
    EXPECT_EQ(disk, platform.disk.Listing());
    EXPECT_EQ(record, RecordListing(platform.registry));
}

TEST(Setup, ExistingDirectoryIsNeverRemovedWhenACopyFails) {
    // Which shipped file is missing, and whether the directory holds a file of the user's.
    struct Case {
        const char* missing;
        bool empty;
    };
    const Case cases[] = {{"Tolvek.ex1", true}, {"Tolvek.ex1", false}, {"Uninstall.ex1", true}, {"Uninstall.ex1", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.missing) + (c.empty ? " missing, empty directory" : " missing, user's file"));
        ScriptedSetup platform;
        platform.disk.files.erase(std::string("S:\\Shipped\\") + c.missing);
        platform.disk.directories.insert(kTarget);
        if (!c.empty) platform.disk.files[kTarget + "\\notes.txt"] = "mine";
        const std::string disk = platform.disk.Listing();
        platform.boxes.answers = AllOk(false);
        RunChecked(platform);
        EXPECT_EQ(kCopyFailed, platform.boxes.shown.back());
        for (const std::string& step : platform.steps) EXPECT_NE(0u, step.find("rmdir")) << step;
        EXPECT_EQ(disk, platform.disk.Listing());
    }
}

TEST(Setup, FailedUninstallerCopyDeletesTheNewTrayProgram) {
    ScriptedSetup platform;
    platform.disk.files.erase("S:\\Shipped\\Uninstall.ex1");
    const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
    platform.boxes.answers = AllOk(false);
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kWelcome, Confirm(kTarget), kCopyFailed}), platform.boxes.shown);
    const std::vector<std::string> tail(platform.steps.end() - 4, platform.steps.end());
    EXPECT_EQ(std::vector<std::string>({"copy Uninstall.ex1 > " + kTarget + "\\Uninstall.exe FAILED",
                                        "box Tolvek Diary Installer Error:", "delete " + kTarget + "\\Tolvek.exe",
                                        "rmdir " + kTarget}),
              tail);
    EXPECT_EQ(disk, platform.disk.Listing());
    EXPECT_EQ(record, RecordListing(platform.registry));
}

TEST(Setup, FailedUninstallerCopyInAReinstallationKeepsAWorkingInstallation) {
    ScriptedSetup platform;
    InstallEarlier(platform);
    platform.disk.files.erase("S:\\Shipped\\Uninstall.ex1");
    const std::string record = RecordListing(platform.registry);
    platform.boxes.answers = AllOk(true);
    RunChecked(platform);
    EXPECT_EQ(kCopyFailed, platform.boxes.shown.back());
    EXPECT_EQ("tray program v2", FileOf(platform, kRecorded + "\\Tolvek.exe")) << "replaced, so it stays";
    EXPECT_EQ("uninstaller v1", FileOf(platform, kRecorded + "\\Uninstall.exe"));
    EXPECT_EQ("the diary", FileOf(platform, kRecorded + "\\tolvek.dat"));
    EXPECT_TRUE(platform.disk.directories.count(kRecorded));
    EXPECT_EQ(record, RecordListing(platform.registry));
}

TEST(Setup, MissingHistoryStillEndsDone) {
    ScriptedSetup platform;
    platform.disk.files.erase("S:\\Shipped\\History.txt");
    platform.boxes.answers = AllOk(false);
    RunChecked(platform);
    EXPECT_EQ(kDone, platform.boxes.shown.back());
    EXPECT_EQ("tray program v2", FileOf(platform, kTarget + "\\Tolvek.exe"));
    EXPECT_EQ("<missing>", FileOf(platform, kTarget + "\\History.txt"));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read));
    EXPECT_EQ(kTarget, read);
}

TEST(Setup, WithoutTheRightToWriteTheRecordNothingIsCopied) {
    for (bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "reinstalling" : "fresh");
        ScriptedSetup platform;
        if (earlier) InstallEarlier(platform);
        platform.registry.denyWrites = true;
        const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
        platform.boxes.answers = AllOk(earlier);
        RunChecked(platform);
        EXPECT_EQ(kRecordFailed, platform.boxes.shown.back());
        EXPECT_EQ(disk, platform.disk.Listing());
        EXPECT_EQ(record, RecordListing(platform.registry));
    }
}

TEST(Setup, FailedRecordTakesBackOnlyWhatThisRunCreated) {
    // The record's value whose write fails, and whether an earlier installation is recorded.
    struct Case {
        const char* failing;
        bool earlier;
    };
    const Case cases[] = {{"Path", false}, {"DisplayName", false}, {"Publisher", true}, {"DisplayName", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + (c.earlier ? " failing, reinstalling" : " failing, fresh"));
        ScriptedSetup platform;
        if (c.earlier) InstallEarlier(platform);
        FailingRegistry failing(platform.registry);
        failing.failSetStringOf = c.failing;
        platform.registryInUse = &failing;
        const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
        platform.boxes.answers = AllOk(c.earlier);
        RunChecked(platform);
        EXPECT_EQ(kRecordFailed, platform.boxes.shown.back());
        if (!c.earlier) {
            EXPECT_EQ(disk, platform.disk.Listing());
            EXPECT_EQ(record, RecordListing(platform.registry)) << "no half record";
            continue;
        }
        // The replaced program files stay, so the earlier installation keeps working.
        EXPECT_EQ("tray program v2", FileOf(platform, kRecorded + "\\Tolvek.exe"));
        EXPECT_EQ("uninstaller v2", FileOf(platform, kRecorded + "\\Uninstall.exe"));
        EXPECT_EQ("history v2", FileOf(platform, kRecorded + "\\History.txt"));
        EXPECT_EQ("the diary", FileOf(platform, kRecorded + "\\tolvek.dat"));
        std::string read;
        EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read)) << "the earlier record stays";
        EXPECT_EQ(kRecorded, read);
        EXPECT_EQ("\"E:\\Diary\\Tolvek.exe\"" + std::string(1, '\0'),
                  platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue))
            << "the earlier start at logon stays with the earlier record";
        EXPECT_EQ("<missing>", platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
        EXPECT_EQ("", platform.shortcut);
    }
}

TEST(Setup, StartMenuEntryThatCannotBeSavedIsToldAndTheInstallationStands) {
    ScriptedSetup platform;
    platform.shortcutSaves = false;
    platform.boxes.answers = AllOk(false);
    RunChecked(platform);
    EXPECT_EQ(kDoneWithoutShortcut, platform.boxes.shown.back());
    EXPECT_EQ("tray program v2", FileOf(platform, kTarget + "\\Tolvek.exe"));
    EXPECT_EQ("\"" + kTarget + "\\Tolvek.exe\"" + std::string(1, '\0'),
              platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
}

TEST(Setup, AutostartIsOptionalAndAMissingRunKeyIsCreated) {
    // A machine without the Run key gets one; one whose Run value cannot be written keeps
    // the installation, and an earlier per-user start, and is told that Tolvek will not start
    // at logon.
    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "missing Run key" : "Run value refused");
        ScriptedSetup platform;
        platform.registry.DropKey(Hive::LocalMachine, kRunKeyPath);
        AddEarlierUserAutostart(platform.registry, "E:\\Old");
        FailingRegistry failing(platform.registry);
        if (!writable) failing.failSetStringOf = kAutostartValue;
        platform.registryInUse = &failing;
        platform.boxes.answers = AllOk(false);
        RunChecked(platform);
        EXPECT_EQ(writable ? kDone : kDoneWithoutAutostart, platform.boxes.shown.back());
        EXPECT_EQ(writable ? "\"" + kTarget + "\\Tolvek.exe\"" + std::string(1, '\0') : "<missing>",
                  platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
        EXPECT_EQ(writable ? "<missing>" : "\"E:\\Old\\Tolvek.exe\"" + std::string(1, '\0'),
                  platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
        EXPECT_EQ("tray program v2", FileOf(platform, kTarget + "\\Tolvek.exe"));
        std::string read;
        EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read));
    }
}

TEST(Setup, FailedRecordKeepsAHistoryThatWasNotCopiedThisRun) {
    ScriptedSetup platform;
    InstallEarlier(platform);
    platform.disk.files.erase("S:\\Shipped\\History.txt");
    FailingRegistry failing(platform.registry);
    failing.failSetStringOf = "Path";
    platform.registryInUse = &failing;
    platform.boxes.answers = AllOk(true);
    RunChecked(platform);
    EXPECT_EQ(kRecordFailed, platform.boxes.shown.back());
    EXPECT_EQ("history v1", FileOf(platform, kRecorded + "\\History.txt"));
    EXPECT_EQ("tray program v2", FileOf(platform, kRecorded + "\\Tolvek.exe"));
}

}  // namespace
