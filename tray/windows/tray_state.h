// What the tray program's windows share, in one place: the main window they report to
// and the single-instance lock that start-up takes and shut-down releases. The diary
// itself is `noteStore` (startup.h), owned by the portable start-up flow.
#pragma once

#include <windows.h>

struct TrayState {
    HWND mainWindow = nullptr;
    // The single-instance mutex, released at shut-down.
    HANDLE instanceMutex = nullptr;
    // Held until the process ends: the mutex that shows other sessions that Tolvek runs,
    // and the lock on the diary's folder.
    HANDLE runningMutex = nullptr;
    HANDLE diaryLock = nullptr;
};

extern TrayState tray;
