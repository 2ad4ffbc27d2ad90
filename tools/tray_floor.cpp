// The floor under Wine for the start-up measurement: a Win32 program that only adds a
// notification icon and exits.
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TrayFloor";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowW(L"TrayFloor", L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    NOTIFYICONDATAW icon = {};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP;
    icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    lstrcpyW(icon.szTip, L"floor");
    const BOOL added = Shell_NotifyIconW(NIM_ADD, &icon);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return added ? 0 : 1;
}
