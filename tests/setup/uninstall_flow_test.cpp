// The uninstaller's flow against a scripted stand-in: a disk of Windows-style paths, the
// in-memory registry and a script that answers the boxes.
#include <gtest/gtest.h>

#include <functional>

#include "install_fakes.h"
#include "uninstall_flow.h"

using namespace install_fakes;

namespace {

const char kTitle[] = "Tolvek Diary Uninstaller:";
const Box kNotFound = {"The Tolvek Diary was not found on your system...", kTitle, kError};
const Box kConfirm = {"Are you sure you want to uninstall the Tolvek Diary?", kTitle, kOkCancelQuestion};
const Box kCannotDelete = {"Could not delete files.\nIf the program is running, please shut it down and try again",
                           kTitle, kError};
const Box kRecordNotDeleted = {
    "The installation record could not be deleted.\nPlease run the uninstaller with administrator rights.", kTitle,
    kError};
const Box kRunning = {"Could not delete files.\nIf the program is running, please shut it down and try again\n"
                      "Tolvek may be running in another user's session.",
                      kTitle, kError};
Box Done(const std::string& directory) {
    return {"Uninstallation successful!\n\nYour data files are stored in\n" + directory +
                "\nand in the folder Tolvek Diary in each user's local application data"
                "\nDo whatever you wanna do with it...",
            kTitle, kOk};
}

const std::string kInstalled = "D:\\Apps\\Tolvek Diary";
const std::string kStart = "C:\\Start";  // where the uninstaller was started

class ScriptedUninstall : public UninstallPlatform {
public:
    ScriptedUninstall() {
        disk.directories = {"C:", kStart};
        disk.files[kStart + "\\Tolvek.exe"] = "not ours";
        disk.currentDirectory = kStart;
    }

    int ShowMessage(const MessageBoxText& box) override { return boxes.Show(box, steps); }
    const CodePage& SystemCodePage() override { return Windows1250CodePage(); }
    bool EnterDirectory(const std::string& directory) override {
        return Step("cd " + directory, !unenterable.count(directory) && disk.Enter(directory));
    }
    bool RemoveFile(const std::string& path) override {
        const bool removed = Step("delete " + path, disk.Remove(path));
        if (afterDelete) afterDelete();
        return removed;
    }
    bool Exists(const std::string& path) override {
        return !unenterable.count(path) ? disk.Exists(disk.Resolve(path)) : true;
    }
    bool IsTolvekRunning() override {
        steps.push_back("running?");
        return tolvekRunning;
    }
    bool RemoveStartMenuShortcut() override {
        steps.push_back("remove shortcut");
        shortcut = false;
        return true;
    }
    Registry& InstallRegistry() override { return *registryInUse; }

    bool Step(const std::string& step, bool done) {
        steps.push_back(step + (done ? "" : " FAILED"));
        return done;
    }

    BoxScript boxes;
    std::vector<std::string> steps;
    bool tolvekRunning = false;
    bool shortcut = true;  // the Start-menu entry Setup made
    std::set<std::string> unenterable;  // directories that exist but refuse this user
    std::function<void()> afterDelete;  // what happens elsewhere meanwhile
    FakeDisk disk;
    MemoryRegistry registry;
    Registry* registryInUse = &registry;
};

// An installation in `directory` as Setup leaves it, with the user's data files and defaults.
void Install(ScriptedUninstall& platform, const std::string& directory = kInstalled) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(platform.registry, directory));
    ASSERT_EQ(kErrorSuccess, AddAutostart(platform.registry, directory));
    AddEarlierUserAutostart(platform.registry, directory);  // left by an earlier version
    SetDefaults(platform.registry, 1, 2);
    platform.disk.directories.insert("D:");
    platform.disk.directories.insert("D:\\Apps");
    platform.disk.directories.insert(directory);
    for (const char* name : {"Tolvek.exe", "Uninstall.exe", "History.txt", "tolvek.dat", "backup.dat",
                             "CORRUPT_DATA.dat", "my notes.txt"})
        platform.disk.files[directory + "\\" + name] = name;
}

void RunChecked(ScriptedUninstall& platform) {
    EXPECT_EQ(0, RunUninstall(platform));
    EXPECT_TRUE(platform.boxes.answers.empty()) << platform.boxes.answers.size() << " answers unused";
    EXPECT_EQ(0u, platform.registry.OpenKeys());
}

const std::string kNoAutostart = "<missing>";

TEST(Uninstall, RemovesProgramHistoryRecordAndAutostartAndTellsWhereTheDataStays) {
    ScriptedUninstall platform;
    Install(platform);
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kConfirm, Done(kInstalled)}), platform.boxes.shown);
    EXPECT_EQ("Uninstallation successful!\n\nYour data files are stored in\nD:\\Apps\\Tolvek Diary\n"
              "and in the folder Tolvek Diary in each user's local application data\n"
              "Do whatever you wanna do with it...",
              platform.boxes.shown.back().text);
    EXPECT_EQ(std::vector<std::string>({"box Tolvek Diary Uninstaller:", "running?", "cd " + kInstalled,
                                        "delete Tolvek.exe", "delete History.txt", "remove shortcut",
                                        "box Tolvek Diary Uninstaller:"}),
              platform.steps);
    EXPECT_FALSE(platform.shortcut);
    EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
    std::set<std::string> left;
    for (const auto& file : platform.disk.files) left.insert(file.first);
    EXPECT_EQ(std::set<std::string>({kStart + "\\Tolvek.exe", kInstalled + "\\Uninstall.exe",
                                     kInstalled + "\\tolvek.dat", kInstalled + "\\backup.dat",
                                     kInstalled + "\\CORRUPT_DATA.dat", kInstalled + "\\my notes.txt"}),
              left);
    EXPECT_TRUE(platform.disk.directories.count(kInstalled)) << "the directory stays";
    EXPECT_FALSE(platform.registry.HasKey(Hive::LocalMachine, kRecordKeyPath)) << "defaults go with the record";
    EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
    EXPECT_TRUE(platform.registry.HasKey(Hive::LocalMachine, kUninstallListPath)) << "only our own key goes";
}

TEST(Uninstall, MissingHistoryDoesNotStopTheRemoval) {
    ScriptedUninstall platform;
    Install(platform);
    platform.disk.files.erase(kInstalled + "\\History.txt");
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(Done(kInstalled), platform.boxes.shown.back());
    EXPECT_FALSE(platform.registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
}

TEST(Uninstall, SecondRunFindsNothing) {
    ScriptedUninstall platform;
    Install(platform);
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    platform.boxes.answers = {kOkButton};
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kConfirm, Done(kInstalled), kNotFound}), platform.boxes.shown);
}

TEST(Uninstall, UnreadablePathIsNotFoundAndTheKeyIsDeletedButTheAutostartKept) {
    // How the record is broken: no key at all, a key without "Path", a "Path" too long to read.
    struct Case {
        const char* name;
        bool key;
        std::string path;  // "" for no "Path" value
    };
    const Case cases[] = {{"no key", false, ""}, {"no Path", true, ""}, {"Path of 999", true, std::string(999, 'p')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUninstall platform;
        Install(platform);
        if (!c.key) {
            RemoveInstallationRecord(platform.registry);
        } else if (c.path.empty()) {
            platform.registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath)->erase("path");
        } else {
            WriteInstallationRecord(platform.registry, c.path);
        }
        const std::string disk = platform.disk.Listing();
        platform.boxes.answers = {kOkButton};
        RunChecked(platform);
        EXPECT_EQ(std::vector<Box>({kNotFound}), platform.boxes.shown);
        EXPECT_FALSE(platform.registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
        EXPECT_EQ("\"" + kInstalled + "\\Tolvek.exe\"" + std::string(1, '\0'),
                  platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
        EXPECT_EQ(disk, platform.disk.Listing());
    }
}

TEST(Uninstall, EveryRefusalLeavesTheInstallationWhole) {
    // What stands in the way, and the box that says so after Confirm (none for Cancel).
    struct Case {
        const char* name;
        std::function<void(ScriptedUninstall&)> arrange;
        int confirmAnswer;
        std::vector<Box> boxes;
    };
    const Case cases[] = {
        {"Confirm cancelled", [](ScriptedUninstall&) {}, kCancelButton, {kConfirm}},
        {"tray program running", [](ScriptedUninstall& p) { p.tolvekRunning = true; }, kOkButton,
         {kConfirm, kRunning}},
        {"tray program file in use",
         [](ScriptedUninstall& p) { p.disk.inUse.insert(kInstalled + "\\Tolvek.exe"); }, kOkButton,
         {kConfirm, kCannotDelete}},
        {"no right to delete the record", [](ScriptedUninstall& p) { p.registry.denyWrites = true; }, kOkButton,
         {kConfirm, kRecordNotDeleted}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUninstall platform;
        Install(platform);
        c.arrange(platform);
        const std::string disk = platform.disk.Listing(), record = RecordListing(platform.registry);
        platform.boxes.answers = {c.confirmAnswer};
        if (c.boxes.size() > 1) platform.boxes.answers.push_back(kOkButton);
        RunChecked(platform);
        EXPECT_EQ(c.boxes, platform.boxes.shown);
        EXPECT_EQ(disk, platform.disk.Listing());
        EXPECT_EQ(record, RecordListing(platform.registry));
    }
}

// Whatever stops a run, a second run once the obstacle is gone finishes the removal.
TEST(Uninstall, EveryFailingStepLeavesAStateASecondRunFinishes) {
    struct Case {
        const char* name;
        std::function<void(ScriptedUninstall&, FailingRegistry&)> arrange, clear;
        Box stoppedWith;
    };
    const Case cases[] = {
        {"tray program running", [](ScriptedUninstall& p, FailingRegistry&) { p.tolvekRunning = true; },
         [](ScriptedUninstall& p, FailingRegistry&) { p.tolvekRunning = false; }, kRunning},
        {"tray program file in use",
         [](ScriptedUninstall& p, FailingRegistry&) { p.disk.inUse.insert(kInstalled + "\\Tolvek.exe"); },
         [](ScriptedUninstall& p, FailingRegistry&) { p.disk.inUse.clear(); }, kCannotDelete},
        {"directory refuses this user",
         [](ScriptedUninstall& p, FailingRegistry&) { p.unenterable.insert(kInstalled); },
         [](ScriptedUninstall& p, FailingRegistry&) { p.unenterable.clear(); }, kCannotDelete},
        {"no right on the record", [](ScriptedUninstall& p, FailingRegistry&) { p.registry.denyWrites = true; },
         [](ScriptedUninstall& p, FailingRegistry&) { p.registry.denyWrites = false; }, kRecordNotDeleted},
        {"profile refuses the autostart",
         [](ScriptedUninstall& p, FailingRegistry&) { p.registry.denyUserWrites = true; },
         [](ScriptedUninstall& p, FailingRegistry&) { p.registry.denyUserWrites = false; }, kRecordNotDeleted},
        {"record deletion fails after the files went",
         [](ScriptedUninstall&, FailingRegistry& r) { r.failDeleteKey = true; },
         [](ScriptedUninstall&, FailingRegistry& r) { r.failDeleteKey = false; }, kRecordNotDeleted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUninstall platform;
        Install(platform);
        FailingRegistry failing(platform.registry);
        platform.registryInUse = &failing;
        c.arrange(platform, failing);
        platform.boxes.answers = {kOkButton, kOkButton};
        RunChecked(platform);
        EXPECT_EQ(c.stoppedWith, platform.boxes.shown.back());
        std::string read;
        EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read)) << "the record stays for the next run";

        c.clear(platform, failing);
        platform.boxes.answers = {kOkButton, kOkButton};
        RunChecked(platform);
        EXPECT_EQ(Done(kInstalled), platform.boxes.shown.back());
        EXPECT_FALSE(platform.registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
        EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
        EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue));
        EXPECT_FALSE(platform.shortcut);
        EXPECT_FALSE(platform.disk.HasFile(kInstalled + "\\Tolvek.exe"));
        EXPECT_TRUE(platform.disk.HasFile(kInstalled + "\\tolvek.dat"));
        EXPECT_TRUE(platform.disk.HasFile(kStart + "\\Tolvek.exe")) << "nothing deleted elsewhere";
    }
}

TEST(Uninstall, GoneTrayProgramOrDirectoryDoesNotStopTheRemoval) {
    for (const bool directoryGone : {false, true}) {
        SCOPED_TRACE(directoryGone ? "directory gone" : "Tolvek.exe gone");
        ScriptedUninstall platform;
        Install(platform);
        platform.disk.files.erase(kInstalled + "\\Tolvek.exe");
        if (directoryGone) {
            for (const char* name : {"Uninstall.exe", "History.txt", "tolvek.dat", "backup.dat", "CORRUPT_DATA.dat",
                                     "my notes.txt"})
                platform.disk.files.erase(kInstalled + "\\" + name);
            platform.disk.directories.erase(kInstalled);
        }
        platform.boxes.answers = {kOkButton, kOkButton};
        RunChecked(platform);
        EXPECT_EQ(std::vector<Box>({kConfirm, Done(kInstalled)}), platform.boxes.shown);
        EXPECT_FALSE(platform.registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
        EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
        EXPECT_EQ("not ours", platform.disk.files[kStart + "\\Tolvek.exe"]) << "never a tray program elsewhere";
    }
}

// Run by an administrator for a standard user, the uninstaller's own folder is not the user's:
// the closing text names where every user's folder is, and this account's key goes.
TEST(Uninstall, PerUserDefaultsGoAndEveryUsersFolderIsNamed) {
    ScriptedUninstall platform;
    Install(platform);
    ASSERT_EQ(kErrorSuccess, WriteDataHome(platform.registry, "C:\\Users\\admin\\AppData\\Local\\Tolvek Diary"));
    platform.registry.denyWrites = true;  // the user who accepted notes could not write the record
    Note accepted;
    accepted.advance = 2;
    ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(platform.registry, accepted));
    platform.registry.denyWrites = false;
    ASSERT_TRUE(platform.registry.HasKey(Hive::CurrentUser, kPerUserKeyPath));
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(Done(kInstalled), platform.boxes.shown.back());
    EXPECT_FALSE(platform.registry.HasKey(Hive::CurrentUser, kPerUserKeyPath));
    EXPECT_TRUE(platform.registry.HasKey(Hive::CurrentUser, "Software"));
}

TEST(Uninstall, RecordThatStillCannotBeDeletedIsToldInsteadOfSuccess) {
    ScriptedUninstall platform;
    Install(platform);
    FailingRegistry failing(platform.registry);
    failing.failDeleteKey = true;
    platform.registryInUse = &failing;
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kConfirm, kRecordNotDeleted}), platform.boxes.shown);
    EXPECT_EQ(0u, platform.disk.files.count(kInstalled + "\\Tolvek.exe"));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(platform.registry, read));
    EXPECT_EQ("\"" + kInstalled + "\\Tolvek.exe\"" + std::string(1, '\0'),
              platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue))
        << "the autostart goes only on the successful path";
}

TEST(Uninstall, RecordDeletedMeanwhileStillEndsDone) {
    ScriptedUninstall platform;
    Install(platform);
    platform.afterDelete = [&platform] { RemoveInstallationRecord(platform.registry); };
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(std::vector<Box>({kConfirm, Done(kInstalled)}), platform.boxes.shown);
    EXPECT_EQ(kNoAutostart, platform.registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
}

TEST(Uninstall, ClosingTextHoldsADirectoryOfAnyLength) {
    const std::string directory = "D:\\" + std::string(1997, 'x');
    ASSERT_EQ(2000u, directory.size());
    const std::string text = UninstalledText(Windows1250CodePage(), directory);
    EXPECT_EQ(2163u, text.size()) << "163 fixed characters and the directory";
    EXPECT_EQ(Done(directory).text, text);
    // A directory in the system's code page (here Windows-1250) is named in UTF-8.
    EXPECT_EQ(0u, UninstalledText(Windows1250CodePage(), "D:\\\x8elut\xfd").find("Uninstallation successful!\n\n"
                                                                               "Your data files are stored in\n"
                                                                               "D:\\\xc5\xbdlut\xc3\xbd\n"));

    // The longest directory the record gives: more than the 905 a 1000-byte text would hold.
    ScriptedUninstall platform;
    const std::string longest = "D:\\" + std::string(995, 'y');
    Install(platform, longest);
    platform.boxes.answers = {kOkButton, kOkButton};
    RunChecked(platform);
    EXPECT_EQ(Done(longest), platform.boxes.shown.back());
}

}  // namespace
