// The tray program's single-instance mutex: taken by the tray program, looked for by the
// installer and the uninstaller before they change anything. Beside it a mutex in the
// global namespace, which the installer and the uninstaller see from every session.
#pragma once

#include <windows.h>

// Creates the mutex owned by this process; nullptr when another copy already holds it.
HANDLE TakeInstanceMutex();

// Creates or opens the global mutex, to be held for the life of the process; every copy
// holds it and none owns it, so it never means "already running" to the tray program.
HANDLE HoldRunningMutex();

// True while a tray program holds the mutex of this session or the global one, also when
// either exists but this user may not open it (a copy run by another account or at a
// higher integrity level).
bool IsTolvekRunning();
