// The uninstaller on the real Win32 platform, in-process: its real message boxes answered
// by the robot, the real disk and the real registry of the Wine prefix; and the real
// Uninstall.exe started as the list of installed programs would start it.
#include <windows.h>

#include <gtest/gtest.h>

#include "launched_program.h"
#include "program_fixture.h"
#include "registry.h"
#include "robot.h"
#include "start_menu_shortcut.h"
#include "win32_uninstall_platform.h"

namespace {

constexpr int kMessageBoxIcon = 0x0440;  // the icon control of a message box

HICON IconOf(HWND box) {
    const HWND icon = GetDlgItem(box, kMessageBoxIcon);
    return icon ? reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(HKEY hive, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool AutostartExistsIn(HKEY hive) {
    HKEY run = nullptr;
    if (RegOpenKeyExA(hive, kRunKeyPath, 0, KEY_READ, &run) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExA(run, "TolvekDiary", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(run);
    return found;
}

// The machine's start at logon, and the per-user one an earlier version left: both or none.
bool AutostartExists() {
    const bool machine = AutostartExistsIn(HKEY_LOCAL_MACHINE), user = AutostartExistsIn(HKEY_CURRENT_USER);
    EXPECT_EQ(machine, user) << "one start at logon left without the other";
    return machine && user;
}

bool ShortcutExists() {
    const std::wstring link = StartMenuShortcutPath();
    return !link.empty() && GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A run that waits for a box nobody answers would never end: after a while every box of
// this thread is cancelled and the test fails.
void CALLBACK CancelForgottenBoxes(HWND, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "a box was left open";
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (Robot::ClassOf(window) == L"#32770") PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        0);
}

const wchar_t kTitle[] = L"Tolvek Diary Uninstaller:";
const std::wstring kNotFoundText = L"The Tolvek Diary was not found on your system...";
const std::wstring kConfirmText = L"Are you sure you want to uninstall the Tolvek Diary?";
const std::wstring kCannotDeleteText =
    L"Could not delete files.\nIf the program is running, please shut it down and try again";
const std::wstring kRunningText = kCannotDeleteText + L"\nTolvek may be running in another user's session.";
const std::vector<int> kOkOnly = {IDOK};
const std::vector<int> kOkCancel = {IDOK, IDCANCEL};

// Every file of an installation: the program files and the user's data files.
const char* const kProgramFiles[] = {"Tolvek.exe", "Uninstall.exe", "History.txt"};
const char* const kDataFiles[] = {"tolvek.dat", "backup.dat", "CORRUPT_DATA.dat"};

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        char previous[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, previous);
        previousDirectory = previous;
        directory = MakeTemporaryDirectory();
        for (const char* name : kProgramFiles) WriteFileBytes(directory + "\\" + name, name);
        for (const char* name : kDataFiles) WriteFileBytes(directory + "\\" + name, name);
        ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(SystemRegistry(), directory));
        ASSERT_EQ(kErrorSuccess, AddAutostart(SystemRegistry(), directory));
        // The per-user start at logon of an earlier version, which goes as well.
        HKEY run = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &run, nullptr));
        const std::string command = AutostartCommand(directory);
        RegSetValueExA(run, "TolvekDiary", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(run);
        ASSERT_TRUE(CreateStartMenuShortcut(directory + "\\Tolvek.exe"));
        Note defaults;
        defaults.advance = 1;
        defaults.period = 2;
        ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(SystemRegistry(), defaults));
    }
    void TearDown() override {
        if (HasFailure())
            for (const Robot::Seen& seen : robot.Opened())
                ADD_FAILURE() << "opened: [" << std::string(seen.title.begin(), seen.title.end()) << "] "
                              << std::string(seen.text.begin(), seen.text.end());
        // The uninstaller enters the installation directory, which cannot go while current.
        SetCurrentDirectoryA(previousDirectory.c_str());
        RemoveInstallationRecord(SystemRegistry());
        RemoveAutostart(SystemRegistry());
        RemoveUserAutostart(SystemRegistry());
        RemoveStartMenuShortcut();
        for (const char* name : kProgramFiles) DeleteFileA((directory + "\\" + name).c_str());
        for (const char* name : kDataFiles) DeleteFileA((directory + "\\" + name).c_str());
        RemoveDirectoryA(directory.c_str());
    }

    int Run() {
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 15000, CancelForgottenBoxes);
        Win32UninstallPlatform platform;
        const int exitCode = RunUninstall(platform);
        KillTimer(nullptr, watchdog);
        EXPECT_EQ(0u, robot.UnusedAnswers()) << "a box that was expected never opened";
        return exitCode;
    }
    // Forgets what an earlier run of this test saw, for the next run.
    void ResetRun() {
        robot.Reset();
        icons.clear();
        owners.clear();
    }
    void AnswerBox(int button) {
        robot.ThenAnswer([this, button](HWND box) {
            icons.push_back(IconOf(box));
            owners.push_back(GetWindow(box, GW_OWNER));
            Robot::Press(box, button);
        });
    }
    void ExpectBox(std::size_t index, const std::wstring& text, const std::vector<int>& buttons, LPCSTR icon) {
        ASSERT_LT(index, robot.Opened().size());
        const Robot::Seen& seen = robot.Opened()[index];
        EXPECT_EQ(kTitle, seen.title) << "box " << index;
        EXPECT_EQ(text, seen.text) << "box " << index;
        EXPECT_EQ(buttons, seen.buttons) << "box " << index;
        ASSERT_LT(index, icons.size());
        EXPECT_EQ(icon ? LoadIconA(nullptr, icon) : nullptr, icons[index]) << "box " << index;
        EXPECT_EQ(nullptr, owners.at(index)) << "box " << index << " has an owner";
    }
    bool Has(const char* name) const { return Exists(directory + "\\" + name); }
    void ExpectInstallationWhole() {
        for (const char* name : kProgramFiles) EXPECT_TRUE(Has(name)) << name;
        for (const char* name : kDataFiles) EXPECT_TRUE(Has(name)) << name;
        std::string recorded;
        EXPECT_EQ(kErrorSuccess, ReadInstallPath(SystemRegistry(), recorded));
        EXPECT_EQ(directory, recorded);
        EXPECT_TRUE(AutostartExists());
        EXPECT_TRUE(ShortcutExists());
    }
    // Runs the uninstaller with OK in both of its boxes and checks that it succeeded.
    void ExpectSuccessfulRun() {
        ResetRun();
        AnswerBox(IDOK);
        AnswerBox(IDOK);
        EXPECT_EQ(0, Run());
        ASSERT_EQ(2u, robot.Opened().size());
        ExpectBox(1,
                  L"Uninstallation successful!\n\nYour data files are stored in\n" + Widen(directory) +
                      L"\nand in the folder Tolvek Diary in each user's local application data"
                      L"\nDo whatever you wanna do with it...",
                  kOkOnly, nullptr);
        EXPECT_FALSE(Has("Tolvek.exe"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKeyPath));
    }

    std::string previousDirectory, directory;
    Robot robot;
    std::vector<HICON> icons;
    std::vector<HWND> owners;  // of each message box, in order
};

TEST_F(UninstallTest, RemovesProgramRecordAndAutostartAndKeepsUninstallerAndDataFiles) {
    ExpectSuccessfulRun();
    ExpectBox(0, kConfirmText, kOkCancel, IDI_QUESTION);
    EXPECT_FALSE(Has("Tolvek.exe"));
    EXPECT_FALSE(Has("History.txt"));
    EXPECT_TRUE(Has("Uninstall.exe"));
    for (const char* name : kDataFiles) EXPECT_EQ(name, ReadFileBytes(directory + "\\" + name));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKeyPath)) << "the defaults go with the record";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallListPath));
    EXPECT_FALSE(AutostartExistsIn(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(AutostartExistsIn(HKEY_CURRENT_USER));
    EXPECT_FALSE(ShortcutExists());

    // Nothing is installed any more.
    ResetRun();
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    ASSERT_EQ(1u, robot.Opened().size());
    ExpectBox(0, kNotFoundText, kOkOnly, IDI_ERROR);
    EXPECT_TRUE(Has("Uninstall.exe"));
}

TEST_F(UninstallTest, CancelChangesNothing) {
    AnswerBox(IDCANCEL);
    EXPECT_EQ(0, Run());
    ASSERT_EQ(1u, robot.Opened().size());
    ExpectInstallationWhole();
}

TEST_F(UninstallTest, RunningTrayProgramStopsItUntilShutDown) {
    // In this session, or in another user's, seen only through the global mutex.
    for (const char* name : {"TolvekDiaryMutex", "Global\\TolvekDiaryRunning"}) {
        SCOPED_TRACE(name);
        const HANDLE running = CreateMutexA(nullptr, TRUE, name);
        ResetRun();
        AnswerBox(IDOK);
        AnswerBox(IDOK);
        EXPECT_EQ(0, Run());
        ASSERT_EQ(2u, robot.Opened().size());
        ExpectBox(1, kRunningText, kOkOnly, IDI_ERROR);
        ExpectInstallationWhole();
        CloseHandle(running);
    }
    ExpectSuccessfulRun();
}

TEST_F(UninstallTest, TrayProgramFileHeldOpenStopsItUntilReleased) {
    // Held as a running program's file is: others may read it, not delete it.
    const HANDLE held = CreateFileA((directory + "\\Tolvek.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    AnswerBox(IDOK);
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, robot.Opened().size());
    ExpectBox(1, kCannotDeleteText, kOkOnly, IDI_ERROR);
    ExpectInstallationWhole();

    CloseHandle(held);
    ExpectSuccessfulRun();
}

TEST_F(UninstallTest, KeyWithoutPathIsDeletedAfterNotFoundAndTheAutostartStays) {
    HKEY record = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKeyPath, 0, KEY_SET_VALUE, &record));
    RegDeleteValueA(record, "Path");
    RegCloseKey(record);
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    ASSERT_EQ(1u, robot.Opened().size());
    ExpectBox(0, kNotFoundText, kOkOnly, IDI_ERROR);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKeyPath));
    EXPECT_TRUE(AutostartExists());
    EXPECT_TRUE(Has("Tolvek.exe"));
}

TEST(UninstallProgram, AsksForAdministratorRightsInItsManifest) {
    const std::string manifest = ManifestOf(WindowsPath(TOLVEK_UNINSTALL_EXE));
    EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""))
        << manifest;
}

TEST(UninstallProgram, WithNothingInstalledSaysNotFoundAndEndsWithZero) {
    RemoveInstallationRecord(SystemRegistry());
    const FirstBox box = AnswerFirstBox(WindowsPath(TOLVEK_UNINSTALL_EXE), IDOK);
    ASSERT_TRUE(box.started);
    ASSERT_TRUE(box.shown) << "no box from Uninstall.exe";
    EXPECT_EQ(kTitle, box.title);
    EXPECT_EQ(kNotFoundText, box.text);
    EXPECT_TRUE(box.ended);
    EXPECT_EQ(0u, box.exitCode);
}

}  // namespace
