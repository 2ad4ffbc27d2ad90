#include "user_data_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

std::wstring UserDataFolder() {
    PWSTR base = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base)) && base)
        folder = std::wstring(base) + L"\\Tolvek Diary";
    CoTaskMemFree(base);
    return folder;
}

std::string UserDataFolderText() {
    const std::wstring folder = UserDataFolder();
    if (folder.empty()) return "";
    const int size = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return "";
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, &text[0], size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}
