// Placeholders until the reminder windows exist: both passes only ask the main window to
// rebuild its list, as a real pass does at its end.
#include "reminders.h"

#include "main_window.h"

void ObsoleteSweep() { SendMessageW(mainWindow, UM_REFRESH_LIST, 0, 0); }

void ReminderPass() { SendMessageW(mainWindow, UM_REFRESH_LIST, 0, 0); }

void CALLBACK HourlyTimerProc(HWND, UINT, UINT_PTR, DWORD) { ReminderPass(); }
