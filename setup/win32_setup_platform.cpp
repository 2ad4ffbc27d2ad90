#include "win32_setup_platform.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "text_conversions.h"
#include "registry.h"
#include "show_message.h"
#include "single_instance.h"
#include "start_menu_shortcut.h"

int Win32SetupPlatform::ShowMessage(const MessageBoxText& box) { return ShowMessageBox(box); }

const CodePage& Win32SetupPlatform::SystemCodePage() { return AnsiCodePage(); }

bool Win32SetupPlatform::BrowseForFolder(std::string& path) {
    // The shell's browser wants COM on this thread; balanced here, so callers need not know.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = nullptr;
    browse.pidlRoot = nullptr;  // the whole namespace, from the desktop down
    browse.pszDisplayName = displayName;
    browse.lpszTitle = "Choose installation directory:";
    browse.ulFlags = 0;
    bool chosen = false;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse)) {
        char folder[MAX_PATH] = {};
        chosen = SHGetPathFromIDListA(item, folder) != FALSE;  // false for virtual folders
        if (chosen) path = folder;
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

bool Win32SetupPlatform::MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool Win32SetupPlatform::CopyFileReplacing(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool Win32SetupPlatform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool Win32SetupPlatform::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t Win32SetupPlatform::FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32SetupPlatform::RemoveEmptyDirectory(const std::string& path) {
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool Win32SetupPlatform::IsTolvekRunning() { return ::IsTolvekRunning(); }

bool Win32SetupPlatform::CreateStartMenuShortcut(const std::string& program) {
    return ::CreateStartMenuShortcut(program);
}

Registry& Win32SetupPlatform::InstallRegistry() { return SystemRegistry(); }
