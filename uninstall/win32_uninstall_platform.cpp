#include "win32_uninstall_platform.h"

#include <windows.h>

#include "registry.h"

int Win32UninstallPlatform::ShowMessage(const MessageBoxText& box) {
    return MessageBoxA(nullptr, box.text, box.title, box.style);
}

bool Win32UninstallPlatform::EnterDirectory(const std::string& directory) {
    return SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

bool Win32UninstallPlatform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32UninstallPlatform::IsTolvekRunning() {
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "TolvekDiaryMutex");
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

Registry& Win32UninstallPlatform::InstallRegistry() { return SystemRegistry(); }
