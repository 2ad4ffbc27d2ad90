// The tray program's start-up, tray icon, language switch and shut-down, run in-process on
// the real Win32 platform: real registry, real files, real message boxes and windows.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "diary_lock.h"
#include "program_fixture.h"
#include "single_instance.h"

namespace {

TEST_F(TrayProgramTest, SecondCopyIsToldAndStops) {
    const HANDLE first = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());
    CloseHandle(first);
    ASSERT_EQ(1u, robot.Opened().size());
    EXPECT_EQ(L"", robot.Opened()[0].title);
    EXPECT_EQ(L"Tolvek is already running", robot.Opened()[0].text);
    EXPECT_EQ(std::vector<int>({IDOK}), robot.Opened()[0].buttons);
    EXPECT_EQ("", File("tolvek.dat")) << "the second copy touches no file";
    EXPECT_EQ(nullptr, tray.mainWindow);
}

// A copy run by another account may hold a mutex this user cannot open: that is a
// running copy too, for the tray program, the installer and the uninstaller alike.
TEST_F(TrayProgramTest, MutexThatCannotBeOpenedMeansTolvekRuns) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL emptyAcl;  // no entry: nobody may open it
    InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &emptyAcl, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    EXPECT_FALSE(IsTolvekRunning());
    const HANDLE other = CreateMutexA(&attributes, TRUE, "TolvekDiaryMutex");
    ASSERT_NE(nullptr, other);
    const HANDLE opened = OpenMutexA(SYNCHRONIZE, FALSE, "TolvekDiaryMutex");
    if (opened) {
        // Wine checks no access lists, so it cannot show the refusal Windows gives here.
        CloseHandle(opened);
        CloseHandle(other);
        GTEST_SKIP() << "the system opened a mutex whose access list refuses everybody";
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(IsTolvekRunning());
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());
    CloseHandle(other);
    ASSERT_EQ(1u, robot.Opened().size());
    EXPECT_EQ(L"Tolvek is already running", robot.Opened()[0].text);
}

// While it runs, the program is seen from every session, holds its diary's folder against
// another session, and has recorded that folder as this user's home.
TEST_F(TrayProgramTest, RunningProgramIsSeenFromOtherSessionsAndHoldsItsDiary) {
    bool seenGlobally = false, folderHeld = false;
    robot.ThenDo([&] {
        const HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, "Global\\TolvekDiaryRunning");
        seenGlobally = running != nullptr;
        if (running) CloseHandle(running);
        HANDLE second = nullptr;
        folderHeld = TakeDiaryLock("S-1-5-21-another-session", second) == DiaryLock::Held;
        if (second) CloseHandle(second);
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(seenGlobally);
    EXPECT_TRUE(folderHeld);
    std::string home;
    EXPECT_EQ(kErrorSuccess, ReadDataHome(SystemRegistry(), home));
    EXPECT_EQ(directory, home);
}

TEST_F(TrayProgramTest, MissingPathOrOverlongPathStopsWithTheErrorCode) {
    HKEY record = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKeyPath, 0, KEY_SET_VALUE, &record));
    RegDeleteValueA(record, "Path");
    RegCloseKey(record);
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());

    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(SystemRegistry(), std::string(999, 'x')));
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());

    // A recorded directory that is gone is no installation: nothing is created elsewhere.
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(SystemRegistry(), directory + "\\gone"));
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());

    ASSERT_EQ(3u, robot.Opened().size());
    EXPECT_EQ(L"Error", robot.Opened()[0].title);
    EXPECT_EQ(L"Tolvek Diary is not properly installed. Please reinstall.2", robot.Opened()[0].text);
    EXPECT_EQ(L"Tolvek Diary is not properly installed. Please reinstall.234", robot.Opened()[1].text);
    EXPECT_EQ(L"Tolvek Diary is not properly installed. Please reinstall.2", robot.Opened()[2].text);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("tolvek.dat")) << "no diary where the program stood";
}

TEST_F(TrayProgramTest, StartsInTheStoredLanguageSwitchesAndShutsDownSavingIt) {
    WriteFileBytes(directory + "\\tolvek.dat", DiaryBytes({"first", "second"}, 1));
    // Czech accents such as "ř" do not exist in this code page: text set through the ANSI
    // functions would come back wrong, so this proves the texts go through the wide ones.
    ASSERT_NE(1250u, GetACP());
    std::wstring czechTitle, czechRestore, czechAdd, englishTitle, englishShutDown, englishAdd;
    bool iconWhileRunning = false, iconAfterSwitch = false;
    robot.ThenDo([&] {
        czechTitle = Robot::TextOf(tray.mainWindow);
        czechRestore = MenuText(IDM_RESTORE);
        czechAdd = Robot::ControlText(tray.mainWindow, IDC_ADD);
        iconWhileRunning = TrayIconPresent();
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(tray.mainWindow, IDC_CZECH));
        SendDlgItemMessageW(tray.mainWindow, IDC_ENGLISH, BM_CLICK, 0, 0);
    });
    robot.ThenDo([&] {
        englishTitle = Robot::TextOf(tray.mainWindow);
        englishShutDown = MenuText(IDM_SHUTDOWN);
        englishAdd = Robot::ControlText(tray.mainWindow, IDC_ADD);
        iconAfterSwitch = TrayIconPresent();
        ChooseFromTrayMenu(IDM_SHUTDOWN);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(u"Kvorlík Tolvek v1.1", std::u16string(reinterpret_cast<const char16_t*>(czechTitle.c_str()), 19));
    EXPECT_EQ(L"Ukázat", czechRestore);
    EXPECT_EQ(L"Přidat", czechAdd);
    EXPECT_EQ(0u, englishTitle.find(L"The Tolvek Diary v1.1   "));
    EXPECT_EQ(L"Shut down", englishShutDown);
    EXPECT_EQ(L"Add", englishAdd);
    EXPECT_TRUE(iconWhileRunning);
    EXPECT_TRUE(iconAfterSwitch);
    EXPECT_FALSE(TrayIconPresent()) << "shut-down removes the icon";
    EXPECT_EQ(nullptr, noteStore);
    const std::string saved = File("tolvek.dat");
    ASSERT_EQ(16u + 2 * 124u, saved.size());
    EXPECT_EQ(0, StoredLanguage(saved)) << "the switch reached the file at shut-down";
    EXPECT_EQ(DiaryBytes({"first", "second"}, 1), File("backup.dat"));
    // The mutex is free again: a new copy may start.
    const HANDLE next = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    EXPECT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    CloseHandle(next);
}

TEST_F(TrayProgramTest, TrayTipKeepsTheStartupLanguage) {
    WriteFileBytes(directory + "\\tolvek.dat", DiaryBytes({}, 2));
    std::wstring tipBefore, tipAfter;
    robot.ThenDo([&] {
        tipBefore = TrayIconTip();
        SendDlgItemMessageW(tray.mainWindow, IDC_ENGLISH, BM_CLICK, 0, 0);
        tipAfter = TrayIconTip();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Kvorlík Tolvek", tipBefore);
    EXPECT_EQ(L"Kvorlík Tolvek", tipAfter);
}

TEST_F(TrayProgramTest, UnknownLanguageShowsEnglishAndIsKept) {
    WriteFileBytes(directory + "\\tolvek.dat", DiaryBytes({"n"}, 7));
    std::wstring add;
    bool anyRadioChecked = true;
    robot.ThenDo([&] {
        add = Robot::ControlText(tray.mainWindow, IDC_ADD);
        anyRadioChecked = IsDlgButtonChecked(tray.mainWindow, IDC_ENGLISH) || IsDlgButtonChecked(tray.mainWindow, IDC_CZECH) ||
                          IsDlgButtonChecked(tray.mainWindow, IDC_SLOVAK);
        ChooseFromTrayMenu(IDM_SHUTDOWN);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Add", add);
    EXPECT_FALSE(anyRadioChecked);
    EXPECT_EQ(7, StoredLanguage(File("tolvek.dat")));
}

// How often the main window was told it is being shown, seen by a hook on every message
// sent on this thread from before the window exists.
int mainWindowShows = 0;
LRESULT CALLBACK CountMainWindowShows(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_SHOWWINDOW && sent->wParam &&
        GetWindowLongPtrW(sent->hwnd, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(MainDialogProc))
        ++mainWindowShows;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// In front, and drawn as the active window.
bool ActiveInFront(HWND window) {
    WINDOWINFO info = {};
    info.cbSize = sizeof info;
    return GetForegroundWindow() == window && GetWindowInfo(window, &info) && info.dwWindowStatus == WS_ACTIVECAPTION;
}

TEST_F(TrayProgramTest, MainWindowIsNeverShownAtStartupAndRestoreOrLeftClickShowIt) {
    mainWindowShows = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountMainWindowShows, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    bool hiddenAtStart = false, shownByRestore = false, hiddenByClose = false, shownByClick = false;
    bool iconAtStart = false, frontAfterRestore = false, frontAfterClick = false;
    int showsAtStart = -1, showsAfterRestore = -1;
    robot.ThenDo([&] {
        hiddenAtStart = !IsWindowVisible(tray.mainWindow);
        iconAtStart = TrayIconPresent();
        showsAtStart = mainWindowShows;
        ChooseFromTrayMenu(IDM_RESTORE);
        shownByRestore = IsWindowVisible(tray.mainWindow) != FALSE;
        frontAfterRestore = ActiveInFront(tray.mainWindow);
        showsAfterRestore = mainWindowShows;
        SendDlgItemMessageW(tray.mainWindow, IDC_CLOSE, BM_CLICK, 0, 0);
        hiddenByClose = !IsWindowVisible(tray.mainWindow);
        SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_LBUTTONDOWN);
        shownByClick = IsWindowVisible(tray.mainWindow) != FALSE;
        frontAfterClick = ActiveInFront(tray.mainWindow);
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(frontAfterRestore) << "shown in front, active";
    EXPECT_TRUE(frontAfterClick);
    EXPECT_TRUE(hiddenAtStart);
    EXPECT_TRUE(iconAtStart);
    EXPECT_EQ(0, showsAtStart) << "shown (and hidden again) while the program started";
    EXPECT_TRUE(shownByRestore);
    EXPECT_EQ(1, showsAfterRestore) << "the hook sees the show that Restore makes";
    EXPECT_TRUE(hiddenByClose);
    EXPECT_TRUE(shownByClick);
    EXPECT_EQ(2, mainWindowShows);
}

// The manifest (built into this test program too) asks for common controls 6, which the
// program must get although it loads comctl32 itself. Only their buttons know their ideal size.
TEST_F(TrayProgramTest, MainWindowHasTheControlsOfCommonControlsSix) {
    LRESULT answered = 0;
    SIZE ideal = {};
    robot.ThenDo([&] {
        answered = SendDlgItemMessageW(tray.mainWindow, IDC_ADD, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(answered);
    EXPECT_GT(ideal.cx, 0);
}

TEST_F(TrayProgramTest, IconComesBackWhenTheShellRestarts) {
    bool goneAfterDelete = false, backAfterBroadcast = false;
    robot.ThenDo([&] {
        NOTIFYICONDATAW removal = {};
        removal.cbSize = NOTIFYICONDATAW_V1_SIZE;
        removal.hWnd = tray.mainWindow;
        removal.uID = 101;
        Shell_NotifyIconW(NIM_DELETE, &removal);  // what a shell restart does to every icon
        goneAfterDelete = !TrayIconPresent();
        SendMessageW(tray.mainWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        backAfterBroadcast = TrayIconPresent();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(goneAfterDelete);
    EXPECT_TRUE(backAfterBroadcast);
}

TEST_F(TrayProgramTest, EndOfSessionSavesALanguageChange) {
    WriteFileBytes(directory + "\\tolvek.dat", DiaryBytes({"kept"}, 0));
    int32_t languageAfterEndSession = -1;
    robot.ThenDo([&] {
        SendDlgItemMessageW(tray.mainWindow, IDC_SLOVAK, BM_CLICK, 0, 0);
        SendMessageW(tray.mainWindow, WM_QUERYENDSESSION, 0, 0);
        SendMessageW(tray.mainWindow, WM_ENDSESSION, TRUE, 0);
        languageAfterEndSession = StoredLanguage(File("tolvek.dat"));
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(2, languageAfterEndSession);
}

TEST_F(TrayProgramTest, CorruptFileIsSetAsideAndTheBackupRestored) {
    std::string damaged = DiaryBytes({"x"}, 0, 5);
    damaged[damaged.size() - 1] = 9;  // the tags differ
    WriteFileBytes(directory + "\\tolvek.dat", damaged);
    WriteFileBytes(directory + "\\backup.dat", DiaryBytes({"from backup"}, 2, 6));
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDYES); });
    uint32_t count = 0;
    robot.ThenDo([&] {
        count = noteStore->Count();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, robot.Opened().size());
    EXPECT_EQ(L"Tolvek: ERROR", robot.Opened()[0].title);
    EXPECT_EQ(Widen(CorruptDataFileMessage().text), robot.Opened()[0].text);
    EXPECT_EQ(std::vector<int>({IDOK}), robot.Opened()[0].buttons);
    EXPECT_EQ(Widen(NoDataFileQuestion().text), robot.Opened()[1].text);
    EXPECT_EQ(std::vector<int>({IDYES, IDNO}), robot.Opened()[1].buttons);
    EXPECT_EQ(damaged, File("CORRUPT_DATA.dat"));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(2, StoredLanguage(File("tolvek.dat")));
}

TEST_F(TrayProgramTest, UnwritableDiaryOffersRetryAndCancelEndsTheProgram) {
    // A folder where the new data file would be written makes every create fail.
    CreateDirectoryA((directory + "\\tolvek.dat.new").c_str(), nullptr);
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDRETRY); });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDCANCEL); });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, robot.Opened().size());
    EXPECT_EQ(Widen(CannotCreateDataFileMessage().text), robot.Opened()[0].text);
    EXPECT_EQ(std::vector<int>({IDRETRY, IDCANCEL}), robot.Opened()[0].buttons);
    EXPECT_EQ(nullptr, tray.mainWindow);
    EXPECT_EQ("", File("tolvek.dat"));
}

// A backup or sync tool that holds the diary past the load's short wait: the box names the
// file and the system's reason, and Retry reads the diary once the tool has let go.
TEST_F(TrayProgramTest, HeldDiaryIsToldWithItsReasonAndReadOnRetry) {
    const std::string original = DiaryBytes({"one", "two"}, 0);
    WriteFileBytes(directory + "\\tolvek.dat", original);
    HANDLE holder = CreateFileA((directory + "\\tolvek.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    robot.ThenAnswer([&](HWND box) {
        CloseHandle(holder);
        holder = INVALID_HANDLE_VALUE;
        Robot::Press(box, IDRETRY);
    });
    uint32_t loaded = 0;
    robot.ThenDo([&] {
        loaded = noteStore ? noteStore->Count() : 0;
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    ASSERT_EQ(1u, robot.Opened().size());
    EXPECT_EQ(L"Tolvek: ERROR", robot.Opened()[0].title);
    const std::wstring named = Widen("A data file could not be read:\n" + directory + "\\tolvek.dat\n");
    EXPECT_EQ(named, robot.Opened()[0].text.substr(0, named.size()));
    EXPECT_GT(robot.Opened()[0].text.size(), named.size() + 20) << "the system's reason follows";
    EXPECT_EQ(std::vector<int>({IDRETRY, IDCANCEL}), robot.Opened()[0].buttons);
    EXPECT_EQ(2u, loaded);
    EXPECT_EQ(2u, NotesOf(File("tolvek.dat")).size());
}

TEST_F(TrayProgramTest, FailedSaveAtShutDownIsToldAndTheFileKept) {
    const std::string original = DiaryBytes({"one"}, 0);
    WriteFileBytes(directory + "\\tolvek.dat", original);
    HANDLE holder = INVALID_HANDLE_VALUE;
    robot.ThenDo([&] {
        SendDlgItemMessageW(tray.mainWindow, IDC_CZECH, BM_CLICK, 0, 0);
        // Another program holds the file without letting it be replaced.
        holder = CreateFileA((directory + "\\tolvek.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        RequestShutDown(tray.mainWindow);
    });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());
    CloseHandle(holder);
    ASSERT_EQ(1u, robot.Opened().size());
    EXPECT_EQ(L"Tolvek: ERROR", robot.Opened()[0].title);
    EXPECT_EQ(Widen(SaveFailedMessage().text), robot.Opened()[0].text);
    EXPECT_EQ(original, File("tolvek.dat"));
    EXPECT_EQ("", File("tolvek.dat.new")) << "no temporary file is left";
}

TEST_F(TrayProgramTest, CorruptFileThatCannotBeSetAsideIsKeptAndToldOnce) {
    const std::string damaged = DiaryBytes({"lost?"}, 0, 5).substr(0, 100);
    WriteFileBytes(directory + "\\tolvek.dat", damaged);
    ASSERT_TRUE(CreateDirectoryA((directory + "\\CORRUPT_DATA.dat").c_str(), nullptr));
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    EXPECT_EQ(0, Run());
    RemoveDirectoryA((directory + "\\CORRUPT_DATA.dat").c_str());
    ASSERT_EQ(1u, robot.Opened().size()) << "told once, never looped";
    EXPECT_EQ(L"Tolvek: ERROR", robot.Opened()[0].title);
    // The folder in the way is named, not the data file.
    EXPECT_EQ(Widen("The data file is corrupt!\n\nIt could not be moved aside, so it has been kept as it is:\n" +
                    directory + "\\tolvek.dat\n\nCORRUPT_DATA.dat could not be replaced:\n" + directory +
                    "\\CORRUPT_DATA.dat\n\nPlease move that file away (it may be read-only, a folder, or held "
                    "by another program), then start Tolvek again."),
              robot.Opened()[0].text);
    EXPECT_EQ(damaged, File("tolvek.dat"));
    EXPECT_EQ(nullptr, tray.mainWindow);
}

BOOL WINAPI BrokenGetMessage(LPMSG, HWND, UINT, UINT) { return -1; }

TEST_F(TrayProgramTest, FailingMessageLoopSavesAndEndsWithZero) {
    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    WriteFileBytes(directory + "\\tolvek.dat", DiaryBytes({"kept"}, 0));
    noteStore = std::make_unique<NoteStore>(DiskFileSystem());
    ASSERT_EQ(LoadOk, noteStore->Result());
    languageIndex = 2;  // a change not yet saved
    tray.instanceMutex = TakeInstanceMutex();
    CreateMainWindow();
    EXPECT_EQ(0, PumpMessages(BrokenGetMessage));
    EXPECT_EQ(nullptr, noteStore) << "shut down";
    EXPECT_EQ(2, StoredLanguage(File("tolvek.dat"))) << "saved";
    EXPECT_EQ(1u, NotesOf(File("tolvek.dat")).size());
}

}  // namespace
