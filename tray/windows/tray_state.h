// What the tray program's windows share, in one place: the main window they report to
// and the single-instance lock that start-up takes and shut-down releases. The diary
// itself is `noteStore` (startup.h), owned by the portable start-up flow.
#pragma once

#include <windows.h>

#include "note_store.h"

struct TrayState {
    HWND mainWindow = nullptr;
    // The single-instance mutex, released at shut-down.
    HANDLE instanceMutex = nullptr;
    // The stored note open in the editor: no reminder pass shows or removes it meanwhile,
    // since accepting the editor puts it back as edited.
    NoteId noteInEditor = kNoNote;
    // Held until the process ends: the mutex that shows other sessions that Tolvek runs,
    // and the lock on the diary's folder.
    HANDLE runningMutex = nullptr;
    HANDLE diaryLock = nullptr;
};

extern TrayState tray;
