#include "win32_startup.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "text_conversions.h"
#include "date_rules.h"
#include "diary_lock.h"
#include "main_window.h"
#include "modal.h"
#include "registry.h"
#include "reminders.h"
#include "resource_ids.h"
#include "single_instance.h"
#include "system_dlls.h"
#include "tray_icon.h"
#include "ui_text.h"
#include "user_data_folder.h"

Today LocalTimeToday() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Today{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek};
}

namespace {

constexpr UINT_PTR kHourlyTimerId = 0xCC00;
constexpr UINT kHourMilliseconds = 3600000;

TextResource LockText(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "STRINGFILE");
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return TextResource{"", 0};
    return TextResource{static_cast<const char*>(bytes), SizeofResource(module, found)};
}

}  // namespace

bool Win32StartupPlatform::TakeSingleInstanceLock() {
    tray.instanceMutex = TakeInstanceMutex();
    if (!tray.instanceMutex) return false;
    if (!tray.runningMutex) tray.runningMutex = HoldRunningMutex();
    return true;
}

int Win32StartupPlatform::ShowMessage(const MessageBoxText& box) { return ShowTrayMessageBox(box); }

const CodePage& Win32StartupPlatform::SystemCodePage() { return AnsiCodePage(); }

Registry& Win32StartupPlatform::InstallRegistry() { return SystemRegistry(); }

long Win32StartupPlatform::EnterDirectory(const std::string& directory) {
    return SetCurrentDirectoryA(directory.c_str()) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

bool Win32StartupPlatform::WritingRefusedHere() {
    // A name of this process's own, gone again when the probe is closed: the data files'
    // names may be taken by anything (a folder of that name must not count as a refusal).
    const std::string name = "~tolvek-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const HANDLE probe = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

bool Win32StartupPlatform::FindUserDataFolder(std::string& path) {
    path = UserDataFolderText();
    return !path.empty();
}

DataDirectoryClaim Win32StartupPlatform::ClaimDataDirectory() {
    HANDLE lock = nullptr;
    const DiaryLock taken = TakeDiaryLock(CurrentAccountSid(), lock);
    if (taken != DiaryLock::Taken) return taken == DiaryLock::Held ? DataDirectoryClaim::InUse : DataDirectoryClaim::OtherAccount;
    if (tray.diaryLock) CloseHandle(tray.diaryLock);  // the folder first tried is left
    tray.diaryLock = lock;
    return DataDirectoryClaim::Ours;
}

bool Win32StartupPlatform::LastWriteTime(const std::string& path, uint64_t& time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool Win32StartupPlatform::EnterUserDataFolder(std::string& path) {
    const std::wstring folder = UserDataFolder();
    if (folder.empty()) return false;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (!SetCurrentDirectoryW(folder.c_str())) return false;
    path = UserDataFolderText();
    return true;
}

void Win32StartupPlatform::PrepareControls() {
    // comctl32 is not among the DLLs Windows always takes from the system directory, so it
    // is loaded from there here rather than imported.
    using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const HMODULE commonControls = LoadSystemLibrary("comctl32.dll");
    const auto initCommonControlsEx = reinterpret_cast<InitCommonControlsExFunction>(reinterpret_cast<void*>(
        commonControls ? GetProcAddress(commonControls, "InitCommonControlsEx") : nullptr));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    if (initCommonControlsEx) initCommonControlsEx(&controls);
    LoadSystemLibrary("RichEd32.dll");  // stays loaded: the reminder windows use its class
}

FileSystem& Win32StartupPlatform::Files() { return DiskFileSystem(); }

void Win32StartupPlatform::LoadTexts() {
    ClearUiText();
    const TextResource tables[3] = {LockText(IDS_TABLE_ENGLISH), LockText(IDS_TABLE_CZECH),
                                    LockText(IDS_TABLE_SLOVAK)};
    const TextResource abouts[3] = {LockText(IDS_ABOUT_ENGLISH), LockText(IDS_ABOUT_CZECH),
                                    LockText(IDS_ABOUT_SLOVAK)};
    SetTextResources(tables, abouts);
    ApplyLanguage(languageIndex);
}

void Win32StartupPlatform::CreateMainWindow() { ::CreateMainWindow(); }

void Win32StartupPlatform::AddTrayIcon() { ::AddTrayIcon(); }

void Win32StartupPlatform::ObsoleteSweep() { ::ObsoleteSweep(); }

void Win32StartupPlatform::ReminderPass() { ::ReminderPass(); }

void Win32StartupPlatform::StartHourlyTimer() {
    SetTimer(tray.mainWindow, kHourlyTimerId, kHourMilliseconds, HourlyTimerProc);
}

int PumpMessages(MessageSource getMessage) {
    MSG message = {};
    for (;;) {
        const BOOL got = getMessage(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) {
            // The loop cannot go on: leave as a shut-down would, with the diary saved.
            if (tray.mainWindow) RequestShutDown(tray.mainWindow);
            return 0;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int Win32StartupPlatform::RunMessageLoop() { return PumpMessages(GetMessageW); }
