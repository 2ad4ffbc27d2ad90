#include "win32_startup.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <ctime>

#include "date_rules.h"
#include "main_window.h"
#include "modal.h"
#include "registry.h"
#include "reminders.h"
#include "resource_ids.h"
#include "system_dlls.h"
#include "tray_icon.h"
#include "ui_text.h"

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
    instanceMutex = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
        return false;
    }
    return true;
}

int Win32StartupPlatform::ShowMessage(const MessageBoxText& box) { return ShowMessageBox(box); }

Registry& Win32StartupPlatform::InstallRegistry() { return SystemRegistry(); }

void Win32StartupPlatform::EnterDirectory(const std::string& directory) {
    SetCurrentDirectoryA(directory.c_str());
}

void Win32StartupPlatform::PrepareControls() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
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
    SetTimer(mainWindow, kHourlyTimerId, kHourMilliseconds, HourlyTimerProc);
}

int Win32StartupPlatform::RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
