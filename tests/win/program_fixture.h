// Runs the real tray program in-process for a test: a private installation directory and
// record, the real Win32 platform, a robot that answers its windows, and helpers to read
// its state back.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "../core/test_support.h"
#include "data_file.h"
#include "date_rules.h"
#include "install_record.h"
#include "main_window.h"
#include "modal.h"
#include "note_store.h"
#include "registry.h"
#include "resource_ids.h"
#include "robot.h"
#include "tray_icon.h"
#include "ui_text.h"
#include "win32_startup.h"


inline std::string MakeTemporaryDirectory() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    const std::string directory =
        std::string(base) + "tolvek-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory;
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

// A diary file with the given notes' texts (every month on the 1st) and language.
inline std::string DiaryBytes(const std::vector<std::string>& texts, int32_t language, int32_t tag = 77) {
    std::vector<Note> notes(texts.size());
    std::vector<const Note*> pointers;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SetNoteText(notes[i], texts[i]);
        pointers.push_back(&notes[i]);
    }
    const std::vector<unsigned char> bytes = EncodeDataFile(pointers, language, tag);
    return std::string(bytes.begin(), bytes.end());
}

inline int32_t StoredLanguage(const std::string& file) {
    if (file.size() < 16) return -12345;
    return GetInt32(reinterpret_cast<const unsigned char*>(file.data()) + file.size() - 8);
}

inline bool TrayIconPresent() {
    NOTIFYICONDATAW probe = {};
    probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
    probe.hWnd = tray.mainWindow;
    probe.uID = 101;
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

inline std::wstring MenuText(UINT command) {
    wchar_t text[128] = {};
    GetMenuStringW(TrayMenu(), command, text, 128, MF_BYCOMMAND);
    return text;
}

// Opens the real tray menu as a right click would, and picks an item with the keyboard
// once the menu is up (its loop still runs timers).
inline UINT menuDowns = 0;
inline UINT_PTR menuTimer = 0;
inline void CALLBACK PressMenuKeys(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, menuTimer);
    for (UINT i = 0; i < menuDowns; ++i) PostMessageW(tray.mainWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(tray.mainWindow, WM_KEYDOWN, VK_RETURN, 0);
}
inline void ChooseFromTrayMenu(UINT command) {
    // The items in order, separators skipped: Restore, Export, Import, Shut down.
    menuDowns = command == IDM_RESTORE ? 1 : command == IDM_EXPORT_CALENDAR ? 2 : command == IDM_IMPORT_CALENDAR ? 3 : 4;
    menuTimer = SetTimer(nullptr, 0, 50, PressMenuKeys);
    SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_RBUTTONDOWN);
}

// Opens the real tray menu and gives the states of "Export to calendar..." and "Import from
// calendar..." as they are while it is up (MF_GRAYED or MF_ENABLED), then closes it.
inline std::vector<UINT> menuStates;
inline void CALLBACK ReadMenuStates(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, menuTimer);
    for (UINT command : {IDM_EXPORT_CALENDAR, IDM_IMPORT_CALENDAR})
        menuStates.push_back(GetMenuState(TrayMenu(), command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    PostMessageW(tray.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}
inline std::vector<UINT> CalendarItemStates() {
    menuStates.clear();
    menuTimer = SetTimer(nullptr, 0, 50, ReadMenuStates);
    SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_RBUTTONDOWN);
    return menuStates;
}

// A rich-edit control's text as Unicode (reading it the plain way would give the ANSI
// code page's version of it).
inline std::wstring RichText(HWND control) {
    wchar_t text[1024] = {};
    GETTEXTEX how = {};
    how.cb = sizeof text;
    how.flags = GT_DEFAULT;
    how.codepage = 1200;
    SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text));
    return text;
}

// A data file holding the given notes in this order.
inline std::string NotesFile(const std::vector<Note>& notes, int32_t language = 0, int32_t tag = 99) {
    std::vector<const Note*> pointers;
    for (const Note& note : notes) pointers.push_back(&note);
    const std::vector<unsigned char> bytes = EncodeDataFile(pointers, language, tag);
    return std::string(bytes.begin(), bytes.end());
}

using test_support::MakeNote;

// The notes of a data file, in file order.
inline std::vector<Note> NotesOf(const std::string& file) {
    std::vector<Note> notes;
    if (file.size() < 16) return notes;
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const uint32_t count = static_cast<uint32_t>(GetInt32(bytes + 4));
    for (uint32_t i = 0; i < count && 8 + 124 * (i + 1) <= file.size(); ++i) notes.push_back(DecodeNote(bytes + 8 + 124 * i));
    return notes;
}

// A fixed today for the date rules while a test runs.
using test_support::SetToday;

// The main window's note list, found as any caller outside the window finds a control.
inline HWND NoteList() { return GetDlgItem(tray.mainWindow, IDC_NOTE_LIST); }

// The cell texts of the main list, row by row.
inline std::vector<std::vector<std::wstring>> ListRows() {
    std::vector<std::vector<std::wstring>> rows;
    const int count = static_cast<int>(SendMessageW(NoteList(), LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < 3; ++column) {
            wchar_t text[512] = {};
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 512;
            SendMessageW(NoteList(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            cells.push_back(text);
        }
        rows.push_back(cells);
    }
    return rows;
}

// Selects a row as a click would, so that it becomes the selection mark.
inline void SelectRow(int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(NoteList(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(NoteList(), LVM_SETSELECTIONMARK, 0, row);
}

inline int Selection(HWND dialog, int list) {
    return static_cast<int>(SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0));
}

// Runs `step` from the message loop after `ms` milliseconds: an answer given inside the
// robot's hook must not open menus or dialogs itself.
inline std::map<UINT_PTR, std::function<void()>> laterSteps;
inline void CALLBACK RunLaterStep(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto found = laterSteps.find(timer);
    if (found == laterSteps.end()) return;
    std::function<void()> step = std::move(found->second);
    laterSteps.erase(found);
    step();
}
inline void Later(UINT ms, std::function<void()> step) {
    laterSteps[SetTimer(nullptr, 0, ms, RunLaterStep)] = std::move(step);
}

class TrayProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char previous[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, previous);
        previousDirectory = previous;
        directory = MakeTemporaryDirectory();
        ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(SystemRegistry(), directory));
        RemovePerUserSettings(SystemRegistry());  // no diary home recorded by an earlier test
        languageIndex = 0;
        isStartupPass = 1;
        // The main window is known by its procedure: it activates before its handle is kept.
        robot.ignore = [](HWND window) {
            return GetWindowLongPtrW(window, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(MainDialogProc);
        };
    }
    void TearDown() override {
        if (HasFailure())
            for (const Robot::Seen& seen : robot.Opened())
                ADD_FAILURE() << "opened: [" << std::string(seen.title.begin(), seen.title.end()) << "] "
                              << std::string(seen.text.begin(), seen.text.end());
        if (tray.mainWindow) DestroyWindow(tray.mainWindow);
        tray.mainWindow = nullptr;
        noteStore.reset();
        if (tray.instanceMutex) CloseHandle(tray.instanceMutex);
        tray.instanceMutex = nullptr;
        ResetModalState();
        SetCurrentDirectoryA(previousDirectory.c_str());
        RemoveInstallationRecord(SystemRegistry());
        RemovePerUserSettings(SystemRegistry());
        SetTodaySource(nullptr);
        laterSteps.clear();
        // A run whose own loop never took its quit message leaves it queued: the next test's
        // first dialog would end at once.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        for (const char* name : {"tolvek.dat", "backup.dat", "CORRUPT_DATA.dat", "tolvek.dat.new", "tolvek.lock"})
            DeleteFileA((directory + "\\" + name).c_str());
        RemoveDirectoryA((directory + "\\tolvek.dat.new").c_str());
        RemoveDirectoryA(directory.c_str());
    }
    // Ends a finished run so that the program can run again in this test.
    void Restart() {
        if (tray.mainWindow) DestroyWindow(tray.mainWindow);
        tray.mainWindow = nullptr;
        ResetModalState();
        robot.Reset();
        isStartupPass = 1;
    }
    std::string File(const char* name) const { return ReadFileBytes(directory + "\\" + name); }
    void PutNotes(const std::vector<Note>& notes, int32_t language = 0) {
        WriteFileBytes(directory + "\\tolvek.dat", NotesFile(notes, language));
    }
    std::vector<Note> SavedNotes() const { return NotesOf(File("tolvek.dat")); }

    // Runs the whole program; the robot's steps drive it once its message loop runs. A
    // program that never ends its loop is stopped after a while and fails the test.
    int Run() {
        robot.StartSteps();
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 20000, [](HWND, UINT, UINT_PTR, DWORD) {
            ADD_FAILURE() << "the program did not shut down";
            PostQuitMessage(99);
        });
        Win32StartupPlatform platform;
        const int exitCode = RunTolvek(platform);
        KillTimer(nullptr, watchdog);
        // An early exit keeps the lock, as the ending process would; free it for the next run,
        // and the diary's lock with it, which only the process's end lets go.
        if (tray.instanceMutex) CloseHandle(tray.instanceMutex);
        tray.instanceMutex = nullptr;
        for (HANDLE* held : {&tray.runningMutex, &tray.diaryLock}) {
            if (*held) CloseHandle(*held);
            *held = nullptr;
        }
        return exitCode;
    }

    std::string directory, previousDirectory;
    Robot robot;
};
