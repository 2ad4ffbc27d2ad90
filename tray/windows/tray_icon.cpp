#include "tray_icon.h"

#include <shellapi.h>

#include "display_scale.h"
#include "main_window.h"
#include "resource_ids.h"
#include "ui_text.h"

namespace {

constexpr UINT kTrayIconId = 101;
// The oldest layout of the icon data; kept from the first add, so that adding it again
// after a shell restart shows the same tip, in the start-up language.
NOTIFYICONDATAW iconData;
bool iconDataReady = false;
UINT taskbarCreated = 0;

// The small-icon size of the scale: a blurred 16-pixel picture stretched by the shell
// otherwise.
HICON TrayIconAt(UINT dpi) { return IconAtSide(IDI_TRAY, SmallIconSide(dpi)); }

}  // namespace

void AddTrayIcon() {
    if (!iconDataReady) {
        iconData = NOTIFYICONDATAW{};
        iconData.cbSize = NOTIFYICONDATAW_V1_SIZE;
        iconData.hWnd = tray.mainWindow;
        iconData.uID = kTrayIconId;
        iconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        iconData.uCallbackMessage = UM_TRAY_CALLBACK;
        const std::u16string& tip = Text(Txt::TrayTip);
        const std::size_t length = tip.size() < 63 ? tip.size() : 63;
        tip.copy(reinterpret_cast<char16_t*>(iconData.szTip), length);
        iconData.szTip[length] = L'\0';
        taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
        iconDataReady = true;
    }
    iconData.hIcon = TrayIconAt(WindowDpi(tray.mainWindow));  // the scale of this moment
    Shell_NotifyIconW(NIM_ADD, &iconData);
}

void RescaleTrayIcon(UINT dpi) {
    if (!iconDataReady) return;
    iconData.hIcon = TrayIconAt(dpi);
    Shell_NotifyIconW(NIM_MODIFY, &iconData);
}

void RemoveTrayIcon() {
    NOTIFYICONDATAW removal = {};
    removal.cbSize = NOTIFYICONDATAW_V1_SIZE;
    removal.hWnd = tray.mainWindow;
    removal.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &removal);
    iconDataReady = false;
}

UINT TaskbarCreatedMessage() { return taskbarCreated; }

std::wstring TrayIconTip() { return iconData.szTip; }

HICON TrayIconImage() { return iconDataReady ? iconData.hIcon : nullptr; }
