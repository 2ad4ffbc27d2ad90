// The bare tray program that the tray program's memory and start-up are measured against:
// a hidden window, one notification icon, an hourly timer and a message loop, nothing more.
// WM_CLOSE ends it, so a measurement can stop it tidily.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kTrayIconId = 101;  // the tray program's own: measure_tray looks for it
NOTIFYICONDATAW icon;

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Shell_NotifyIconW(NIM_DELETE, &icon);
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BareTray";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowW(L"BareTray", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    lstrcpyW(icon.szTip, L"bare");
    Shell_NotifyIconW(NIM_ADD, &icon);
    SetTimer(window, 1, 3600000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
