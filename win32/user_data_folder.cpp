#include "user_data_folder.h"

#include <windows.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>

#include "product.h"
#include "text_conversions.h"

std::wstring UserDataFolder() {
    PWSTR base = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &base)) && base)
        folder = std::wstring(base) + L"\\" TOLVEK_DATA_FOLDER_NAME;
    CoTaskMemFree(base);
    return folder;
}

std::string UserDataFolderText() {
    return AnsiFromWide(UserDataFolder());
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
