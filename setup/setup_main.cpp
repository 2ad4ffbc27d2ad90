// The installer's entry: no arguments, one run of the installation, exit code 0.
#include <windows.h>

#include "win32_setup_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32SetupPlatform platform;
    return RunSetup(platform);
}
