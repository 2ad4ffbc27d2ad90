// The hidden main window: the note list, the language buttons, and the program's hub
// for the tray icon, list refreshes, language changes and shut-down.
#pragma once

#include <windows.h>

#include "tray_state.h"

constexpr UINT UM_TRAY_CALLBACK = 0xDD00;
constexpr UINT UM_LANGUAGE_CHANGED = 0xDD01;
constexpr UINT UM_REFRESH_LIST = 0xDD02;
constexpr UINT IDM_RESTORE = 0xFF00;
constexpr UINT IDM_SHUTDOWN = 0xFF01;
constexpr UINT IDM_EXPORT_CALENDAR = 0xFF02;
constexpr UINT IDM_IMPORT_CALENDAR = 0xFF03;

// Creates the main window hidden.
void CreateMainWindow();
// The tray icon's menu of the current language, for the tests that read its items.
HMENU TrayMenu();
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
