// The tray program's single-instance mutex: taken by the tray program, looked for by the
// installer and the uninstaller before they change anything.
#pragma once

#include <windows.h>

extern const char kInstanceMutexName[];  // "TolvekDiaryMutex"

// Creates the mutex owned by this process; nullptr when another copy already holds it.
HANDLE TakeInstanceMutex();

// True while a tray program holds the mutex, also when it exists but this user may not
// open it (a copy run by another account or at a higher integrity level).
bool IsTolvekRunning();
