#include "win32_uninstall_platform.h"

#include <windows.h>

#include "registry.h"
#include "show_message.h"
#include "single_instance.h"
#include "user_data_folder.h"

int Win32UninstallPlatform::ShowMessage(const MessageBoxText& box) { return ShowFixedMessageBox(box); }

bool Win32UninstallPlatform::EnterDirectory(const std::string& directory) {
    return SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

bool Win32UninstallPlatform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32UninstallPlatform::Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32UninstallPlatform::PerUserDataDirectory(std::string& path) {
    const std::wstring folder = UserDataFolder();
    if (folder.empty() || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    path = UserDataFolderText();
    return !path.empty();
}

bool Win32UninstallPlatform::IsTolvekRunning() { return ::IsTolvekRunning(); }

Registry& Win32UninstallPlatform::InstallRegistry() { return SystemRegistry(); }
