// The tray program's entry: no arguments, one run of the start-up and the message loop.
#include <windows.h>

#include "system_dlls.h"
#include "win32_startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem();
    SetTodaySource(LocalTimeToday);
    Win32StartupPlatform platform;
    return RunTolvek(platform);
}
