// The installer's entry: no arguments, one run of the installation, exit code 0.
#include <windows.h>

#include "system_dlls.h"
#include "win32_setup_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem();
    Win32SetupPlatform platform;
    return RunSetup(platform);
}
