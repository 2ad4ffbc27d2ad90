#include "user_data_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <sddl.h>
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

std::string CurrentAccountSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    std::string sid;
    union {
        TOKEN_USER user;
        unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    char* text = nullptr;
    if (GetTokenInformation(token, TokenUser, &buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(buffer.user.User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}
