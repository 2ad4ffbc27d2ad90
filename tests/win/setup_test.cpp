// The installer on the real Win32 platform, in-process: its real message boxes and folder
// browser answered by the robot, the real disk and the real registry of the Wine prefix;
// and the real Setup.exe started as a user would start it.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "launched_program.h"
#include "program_fixture.h"
#include "registry.h"
#include "robot.h"
#include "start_menu_shortcut.h"
#include "win32_setup_platform.h"

namespace {

constexpr int kMessageBoxIcon = 0x0440;  // the icon control of a message box

// The icon a message box shows, or none.
HICON IconOf(HWND box) {
    const HWND icon = GetDlgItem(box, kMessageBoxIcon);
    return icon ? reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) : nullptr;
}

HWND ChildWith(HWND parent, const std::function<bool(HWND)>& wanted) {
    struct Search {
        const std::function<bool(HWND)>* wanted;
        HWND found;
    } search = {&wanted, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!(*s->wanted)(child)) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of a registry string value as stored, its NUL included, or what is missing.
std::string StoredString(HKEY hive, const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char buffer[2048] = {};
    DWORD size = sizeof buffer, type = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "<no value>";
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return std::string(buffer, size);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The program the all-users Start-menu entry starts and its icon's file, read back through
// the shell's link object; "<none>" without the entry.
std::string ShortcutTarget() {
    const std::wstring link = StartMenuShortcutPath();
    if (link.empty() || GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) return "<none>";
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string target = "<unreadable>";
    IShellLinkA* shellLink = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shellLink))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
        char path[MAX_PATH] = {}, icon[MAX_PATH] = {};
        int iconIndex = -1;
        shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
        shellLink->GetIconLocation(icon, MAX_PATH, &iconIndex);
        target = std::string(path) + " icon " + icon + "," + std::to_string(iconIndex);
    }
    if (file) file->Release();
    if (shellLink) shellLink->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return target;
}

// Puts the per-user start at logon that versions before the per-machine installation wrote.
void AddEarlierUserAutostart(const std::string& directory) {
    HKEY run = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &run, nullptr));
    const std::string command = AutostartCommand(directory);
    RegSetValueExA(run, "TolvekDiary", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(run);
}

// Deletes a directory a test made, with everything in it.
void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory.c_str());
}

// A run that waits for a box nobody answers would never end: after a while every dialog of
// this thread is cancelled and the test fails.
void CALLBACK CancelForgottenDialogs(HWND, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "a box or the browser was left open";
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (Robot::ClassOf(window) == L"#32770") PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        0);
}

const std::wstring kWelcomeText =
    L"This program will install the Tolvek Diary to your computer.\nDo you wish to continue?";
const std::wstring kOverwriteText =
    L"The Tolvek Diary is already installed.\nDo you wish to overwrite the existing installation?";
const std::wstring kCopyFailedText =
    L"Failed to copy files.\nIf the program is already installed and running,\nplease shut it down and try again.";
const std::wstring kRunningText = kCopyFailedText + L"\nTolvek may be running in another user's session.";
const std::wstring kDoneText = L"The Tolvek Diary was successfully installed";
std::wstring ConfirmText(const std::string& path) {
    return L"The Tolvek Diary will be installed to\n" + Widen(path) + L"\n\nDo you wish to continue?";
}
const std::vector<int> kOkOnly = {IDOK};
const std::vector<int> kOkCancel = {IDOK, IDCANCEL};

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char previous[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, previous);
        previousDirectory = previous;
        RemoveInstallationRecord(SystemRegistry());
        RemoveAutostart(SystemRegistry());
        RemoveUserAutostart(SystemRegistry());
        RemoveStartMenuShortcut();
        // The shipped set in Setup's current directory, and the folder the user will choose.
        shipped = MakeTemporaryDirectory();
        WriteFileBytes(shipped + "\\Tolvek.ex1", "tray program v2");
        WriteFileBytes(shipped + "\\Uninstall.ex1", "uninstaller v2");
        WriteFileBytes(shipped + "\\History.txt", "history v2");
        ASSERT_TRUE(SetCurrentDirectoryA(shipped.c_str()));
        chosen = MakeTemporaryDirectory();
        target = chosen + "\\Tolvek Diary";
    }
    void TearDown() override {
        if (HasFailure())
            for (const Robot::Seen& seen : robot.Opened())
                ADD_FAILURE() << "opened: [" << std::string(seen.title.begin(), seen.title.end()) << "] "
                              << std::string(seen.text.begin(), seen.text.end());
        SetCurrentDirectoryA(previousDirectory.c_str());
        RemoveInstallationRecord(SystemRegistry());
        RemoveAutostart(SystemRegistry());
        RemoveUserAutostart(SystemRegistry());
        RemoveStartMenuShortcut();
        RemoveTree(shipped);
        RemoveTree(chosen);
    }

    int Run() {
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 15000, CancelForgottenDialogs);
        Win32SetupPlatform platform;
        const int exitCode = RunSetup(platform);
        KillTimer(nullptr, watchdog);
        EXPECT_EQ(0u, robot.UnusedAnswers()) << "a box that was expected never opened";
        return exitCode;
    }
    // Presses a button of the next message box, noting the icon it showed.
    void AnswerBox(int button) {
        robot.ThenAnswer([this, button](HWND box) {
            icons.push_back(IconOf(box));
            owners.push_back(GetWindow(box, GW_OWNER));
            Robot::Press(box, button);
        });
    }
    // Picks a folder in the next folder browser, as a user clicking in its tree would, and
    // presses OK; notes what the browser showed. The choice is made from the browser's own
    // message loop, once it is shown with its tree filled.
    void AnswerBrowser(std::function<void(HWND)> select) {
        robot.ThenAnswer([this, select](HWND browser) {
            icons.push_back(nullptr);
            owners.push_back(nullptr);
            browserOwner = GetWindow(browser, GW_OWNER);
            ChooseWhenReady(browser, select);
        });
    }
    void ChooseWhenReady(HWND browser, std::function<void(HWND)> select, int attemptsLeft = 40) {
        Later(50, [this, browser, select, attemptsLeft] {
            browserTree = ChildWith(browser, [](HWND child) { return Robot::ClassOf(child) == L"SysTreeView32"; });
            const bool ready = IsWindowVisible(browser) && browserTree && TreeView_GetRoot(browserTree);
            if (ready) {
                browserTitleShown = ChildWith(browser, [](HWND child) {
                    return Robot::TextOf(child) == L"Choose installation directory:";
                }) != nullptr;
                select(browser);
                browserSelection = TreeView_GetSelection(browserTree);
            }
            // Wine's browser now and then misses a folder made a moment before; asked again
            // a little later, it finds it.
            if ((!ready || !browserSelection) && attemptsLeft > 0) {
                ChooseWhenReady(browser, select, attemptsLeft - 1);
                return;
            }
            Robot::Press(browser, IDOK);
        });
    }
    void AnswerBrowserWithFolder(const std::string& folder) {
        AnswerBrowser([folder](HWND browser) {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        });
    }
    // An earlier installation in `target`, with the user's diary and remembered defaults.
    void InstallEarlier() {
        ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
        WriteFileBytes(target + "\\Tolvek.exe", "tray program v1");
        WriteFileBytes(target + "\\Uninstall.exe", "uninstaller v1");
        WriteFileBytes(target + "\\History.txt", "history v1");
        WriteFileBytes(target + "\\tolvek.dat", "the diary");
        WriteFileBytes(target + "\\backup.dat", "the backup");
        ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(SystemRegistry(), target));
        AddEarlierUserAutostart(target);  // an installation of the earlier, per-user kind
        Note defaults;
        defaults.advance = 3;
        defaults.period = 2;
        ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(SystemRegistry(), defaults));
    }
    std::string File(const std::string& name) const {
        const std::string path = target + "\\" + name;
        return Exists(path) ? ReadFileBytes(path) : "<missing>";
    }
    void ExpectBox(std::size_t index, const std::wstring& title, const std::wstring& text,
                   const std::vector<int>& buttons, LPCSTR icon) {
        ASSERT_LT(index, robot.Opened().size());
        const Robot::Seen& seen = robot.Opened()[index];
        EXPECT_EQ(title, seen.title) << "box " << index;
        EXPECT_EQ(text, seen.text) << "box " << index;
        EXPECT_EQ(buttons, seen.buttons) << "box " << index;
        ASSERT_LT(index, icons.size());
        EXPECT_EQ(icon ? LoadIconA(nullptr, icon) : nullptr, icons[index]) << "box " << index;
        EXPECT_EQ(nullptr, owners.at(index)) << "box " << index << " has an owner";
    }
    void ExpectEarlierInstallationUntouched() {
        EXPECT_EQ("tray program v1", File("Tolvek.exe"));
        EXPECT_EQ("uninstaller v1", File("Uninstall.exe"));
        EXPECT_EQ("history v1", File("History.txt"));
        EXPECT_EQ("the diary", File("tolvek.dat"));
        std::string recorded;
        EXPECT_EQ(kErrorSuccess, ReadInstallPath(SystemRegistry(), recorded));
        EXPECT_EQ(target, recorded);
        Note defaults;
        ReadNoteDefaults(SystemRegistry(), defaults);
        EXPECT_EQ(3, defaults.advance);
        EXPECT_EQ(2, defaults.period);
    }

    std::string previousDirectory, shipped, chosen, target;
    Robot robot;
    std::vector<HICON> icons;
    std::vector<HWND> owners;  // of each message box, in order
    HWND browserOwner = reinterpret_cast<HWND>(1), browserTree = nullptr;
    HTREEITEM browserSelection = nullptr;
    bool browserTitleShown = false;
};

TEST_F(SetupTest, FreshInstallationThroughTheFolderBrowser) {
    AnswerBox(IDOK);
    AnswerBrowserWithFolder(chosen);
    AnswerBox(IDOK);
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());

    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(0, L"Tolvek Diary Installer", kWelcomeText, kOkCancel, nullptr);
    EXPECT_EQ(nullptr, browserOwner) << "the browser has no owner";
    EXPECT_NE(nullptr, browserTree) << "the browser shows the folder tree";
    EXPECT_NE(nullptr, browserSelection) << "the chosen folder was selected in the tree";
    EXPECT_TRUE(browserTitleShown);
    ExpectBox(2, L"Tolvek Diary Installer", ConfirmText(target), kOkCancel, nullptr);
    ExpectBox(3, L"Tolvek Diary Installer:", kDoneText, kOkOnly, nullptr);

    EXPECT_EQ("tray program v2", File("Tolvek.exe"));
    EXPECT_EQ("uninstaller v2", File("Uninstall.exe"));
    EXPECT_EQ("history v2", File("History.txt"));
    const std::string nul(1, '\0');
    EXPECT_EQ(target + nul, StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path"));
    EXPECT_EQ("\"" + target + "\\Uninstall.exe\"" + nul,
              StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "UninstallString"));
    EXPECT_EQ(target + "\\Tolvek.exe" + nul, StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "DisplayIcon"));
    EXPECT_EQ(target + nul, StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "InstallLocation"));
    EXPECT_EQ("1.1" + nul, StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "DisplayVersion"));
    DWORD kib = 0, length = sizeof kib;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_LOCAL_MACHINE, kRecordKeyPath, "EstimatedSize", RRF_RT_REG_DWORD,
                                          nullptr, &kib, &length));
    EXPECT_EQ(1u, kib) << "39 bytes of installed files, rounded up";
    EXPECT_EQ("Tolvek Diary" + nul, StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "DisplayName"));
    // Per machine: started at every user's logon, and found in every user's Start menu.
    EXPECT_EQ("\"" + target + "\\Tolvek.exe\"" + nul, StoredString(HKEY_LOCAL_MACHINE, kRunKeyPath, "TolvekDiary"));
    EXPECT_EQ("<no value>", StoredString(HKEY_CURRENT_USER, kRunKeyPath, "TolvekDiary"));
    EXPECT_EQ(target + "\\Tolvek.exe icon " + target + "\\Tolvek.exe,0", ShortcutTarget());
    const std::wstring link = StartMenuShortcutPath();
    EXPECT_NE(std::wstring::npos, link.find(L"\\Microsoft\\Windows\\Start Menu\\Programs\\Tolvek Diary.lnk"));
}

TEST_F(SetupTest, ReinstallationReplacesTheProgramFilesAndKeepsDataAndDefaults) {
    InstallEarlier();
    for (int box = 0; box < 4; ++box) AnswerBox(IDOK);
    EXPECT_EQ(0, Run());

    ASSERT_EQ(4u, robot.Opened().size()) << "no folder browser";
    ExpectBox(0, L"Tolvek Diary Installer:", kOverwriteText, kOkCancel, IDI_QUESTION);
    ExpectBox(1, L"Tolvek Diary Installer", kWelcomeText, kOkCancel, nullptr);
    ExpectBox(2, L"Tolvek Diary Installer", ConfirmText(target), kOkCancel, nullptr);
    ExpectBox(3, L"Tolvek Diary Installer:", kDoneText, kOkOnly, nullptr);
    EXPECT_EQ("tray program v2", File("Tolvek.exe"));
    EXPECT_EQ("uninstaller v2", File("Uninstall.exe"));
    EXPECT_EQ("history v2", File("History.txt"));
    EXPECT_EQ("the diary", File("tolvek.dat"));
    EXPECT_EQ("the backup", File("backup.dat"));
    Note defaults;
    ReadNoteDefaults(SystemRegistry(), defaults);
    EXPECT_EQ(3, defaults.advance);
    EXPECT_EQ(2, defaults.period);
    EXPECT_EQ(target + '\0', StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path"));
    // Over an installation of the earlier kind: one start at logon, the machine's.
    EXPECT_EQ("\"" + target + "\\Tolvek.exe\"" + '\0', StoredString(HKEY_LOCAL_MACHINE, kRunKeyPath, "TolvekDiary"));
    EXPECT_EQ("<no value>", StoredString(HKEY_CURRENT_USER, kRunKeyPath, "TolvekDiary"));
    EXPECT_EQ(target + "\\Tolvek.exe icon " + target + "\\Tolvek.exe,0", ShortcutTarget());
}

// The record keeps the directory in the system's ANSI code page: its accented letters show
// in the boxes as the system's own conversion gives them, as the ANSI function showed them.
TEST_F(SetupTest, ReinstallationNamesADirectoryOfAccentedLettersAsTheSystemSpellsIt) {
    target = chosen + "\\Den\xedk";
    InstallEarlier();
    for (int box = 0; box < 4; ++box) AnswerBox(IDOK);
    EXPECT_EQ(0, Run());

    wchar_t wide[MAX_PATH] = {};
    ASSERT_LT(0, MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide, MAX_PATH));
    ASSERT_EQ(L"\\Den\u00edk", std::wstring(wide).substr(std::wstring(wide).size() - 6)) << "a letter beyond ASCII";
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(2, L"Tolvek Diary Installer",
              L"The Tolvek Diary will be installed to\n" + std::wstring(wide) + L"\n\nDo you wish to continue?",
              kOkCancel, nullptr);
    EXPECT_EQ("tray program v2", File("Tolvek.exe"));
}

TEST_F(SetupTest, CancelledBrowserOrAFolderWithoutPathChangesNothing) {
    AnswerBox(IDOK);
    robot.ThenAnswer([](HWND browser) { Robot::Press(browser, IDCANCEL); });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(2u, robot.Opened().size()) << "no Confirm box after Cancel";

    // "My Computer" is a folder of the shell without a place on the disk.
    robot.Reset();
    icons.clear();
    owners.clear();
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer));
    AnswerBox(IDOK);
    AnswerBrowser([computer](HWND browser) {
        SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    });
    EXPECT_EQ(0, Run());
    CoTaskMemFree(computer);
    EXPECT_NE(nullptr, browserSelection);
    EXPECT_EQ(2u, robot.Opened().size()) << "no Confirm box for a folder without a path";

    EXPECT_FALSE(Exists(target));
    EXPECT_EQ("<no key>", StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path"));
    EXPECT_EQ("<no value>", StoredString(HKEY_CURRENT_USER, kRunKeyPath, "TolvekDiary"));
}

TEST_F(SetupTest, RunningTrayProgramStopsAReinstallationBeforeAnythingChanges) {
    InstallEarlier();
    const HANDLE running = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    for (int box = 0; box < 4; ++box) AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    CloseHandle(running);
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(3, L"Tolvek Diary Installer Error:", kRunningText, kOkOnly, IDI_ERROR);
    ExpectEarlierInstallationUntouched();
}

// A Tolvek in another user's session is seen only through the global mutex.
TEST_F(SetupTest, TrayProgramOfAnotherSessionStopsTheReinstallation) {
    InstallEarlier();
    const HANDLE elsewhere = CreateMutexA(nullptr, FALSE, "Global\\TolvekDiaryRunning");
    ASSERT_NE(nullptr, elsewhere);
    for (int box = 0; box < 4; ++box) AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    CloseHandle(elsewhere);
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(3, L"Tolvek Diary Installer Error:", kRunningText, kOkOnly, IDI_ERROR);
    ExpectEarlierInstallationUntouched();
    EXPECT_EQ("<none>", ShortcutTarget());
}

TEST_F(SetupTest, RunningTrayProgramStopsAFreshInstallationBeforeTheDirectoryIsMade) {
    const HANDLE running = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    AnswerBox(IDOK);
    AnswerBrowserWithFolder(chosen);
    AnswerBox(IDOK);
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    CloseHandle(running);
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(3, L"Tolvek Diary Installer Error:", kRunningText, kOkOnly, IDI_ERROR);
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ("<no key>", StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path"));
}

TEST_F(SetupTest, TrayProgramFileHeldOpenStopsTheReinstallation) {
    InstallEarlier();
    // Held as a running program's file is: others may read it, not replace or delete it.
    const HANDLE held = CreateFileA((target + "\\Tolvek.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    for (int box = 0; box < 4; ++box) AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    CloseHandle(held);
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(3, L"Tolvek Diary Installer Error:", kCopyFailedText, kOkOnly, IDI_ERROR);
    ExpectEarlierInstallationUntouched();
    EXPECT_TRUE(Exists(target)) << "a directory this run did not make stays";
}

TEST_F(SetupTest, SetupStartedElsewhereRemovesTheDirectoryItMade) {
    ASSERT_TRUE(SetCurrentDirectoryA(chosen.c_str()));  // no shipped files here
    AnswerBox(IDOK);
    AnswerBrowserWithFolder(chosen);
    AnswerBox(IDOK);
    AnswerBox(IDOK);
    EXPECT_EQ(0, Run());
    ASSERT_EQ(4u, robot.Opened().size());
    ExpectBox(3, L"Tolvek Diary Installer Error:", kCopyFailedText, kOkOnly, IDI_ERROR);
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ("<no key>", StoredString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path"));
}

TEST(SetupProgram, AsksForAdministratorRightsInItsManifest) {
    const std::string manifest = ManifestOf(WindowsPath(TOLVEK_SETUP_EXE));
    EXPECT_NE(std::string::npos, manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""))
        << manifest;
}

TEST(SetupProgram, StartsWithTheWelcomeBoxAndEndsWithZeroOnCancel) {
    RemoveInstallationRecord(SystemRegistry());
    const FirstBox box = AnswerFirstBox(WindowsPath(TOLVEK_SETUP_EXE), IDCANCEL);
    ASSERT_TRUE(box.started);
    ASSERT_TRUE(box.shown) << "no box from Setup.exe";
    EXPECT_EQ(L"Tolvek Diary Installer", box.title);
    EXPECT_EQ(kWelcomeText, box.text);
    EXPECT_TRUE(box.ended);
    EXPECT_EQ(0u, box.exitCode);
}

}  // namespace
