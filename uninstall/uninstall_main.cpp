// The uninstaller's entry: no arguments, one run of the removal, exit code 0.
#include <windows.h>

#include "system_dlls.h"
#include "win32_uninstall_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem();
    Win32UninstallPlatform platform;
    return RunUninstall(platform);
}
