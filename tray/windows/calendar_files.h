// "Export to calendar..." and "Import from calendar..." of the tray menu: the system's file
// dialogs, the conversion in the core, and the boxes that report it.
#pragma once

#include <windows.h>

// Asks where to save the diary as an iCalendar file, writes it whole, and says how many notes went.
void ExportToCalendar(HWND mainWindow);
// Asks for a calendar or address book, reads it whole, asks once, and adds its notes in one save.
void ImportFromCalendar(HWND mainWindow);
