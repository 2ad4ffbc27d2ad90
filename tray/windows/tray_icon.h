// The notification-area icon: added at start-up with the tip of the start-up language,
// added again when the shell restarts, removed at shut-down. Its picture is always the
// small-icon size of the display scale of that moment.
#pragma once

#include <windows.h>

#include <string>

void AddTrayIcon();
void RemoveTrayIcon();
// Shows the picture at the size of a new display scale.
void RescaleTrayIcon(UINT dpi);
// The tip the icon was added with.
std::wstring TrayIconTip();
// The picture the icon shows now; nullptr when it is not added.
HICON TrayIconImage();
// The message the shell broadcasts when it has restarted; 0 until registered.
UINT TaskbarCreatedMessage();
