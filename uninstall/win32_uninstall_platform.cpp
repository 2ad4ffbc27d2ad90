#include "win32_uninstall_platform.h"

#include <windows.h>

#include "text_conversions.h"
#include "registry.h"
#include "show_message.h"
#include "single_instance.h"
#include "start_menu_shortcut.h"

int Win32UninstallPlatform::ShowMessage(const MessageBoxText& box) { return ShowMessageBox(box); }

const CodePage& Win32UninstallPlatform::SystemCodePage() { return AnsiCodePage(); }

bool Win32UninstallPlatform::EnterDirectory(const std::string& directory) {
    return SetCurrentDirectoryA(directory.c_str()) != FALSE;
}

bool Win32UninstallPlatform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32UninstallPlatform::Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32UninstallPlatform::IsTolvekRunning() { return ::IsTolvekRunning(); }

bool Win32UninstallPlatform::RemoveStartMenuShortcut() { return ::RemoveStartMenuShortcut(); }

Registry& Win32UninstallPlatform::InstallRegistry() { return SystemRegistry(); }
