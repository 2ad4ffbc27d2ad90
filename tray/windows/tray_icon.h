// The notification-area icon: added at start-up with the tip of the start-up language,
// added again when the shell restarts, removed at shut-down.
#pragma once

#include <windows.h>

#include <string>

void AddTrayIcon();
void RemoveTrayIcon();
// The tip the icon was added with.
std::wstring TrayIconTip();
// The message the shell broadcasts when it has restarted; 0 until registered.
UINT TaskbarCreatedMessage();
