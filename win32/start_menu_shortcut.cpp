#include "start_menu_shortcut.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "product.h"
#include "text_conversions.h"

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L'\\');
    return last == std::wstring::npos ? L"" : path.substr(0, last);
}

bool SaveLink(const std::wstring& program, const std::wstring& link) {
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    bool saved = SUCCEEDED(shellLink->SetPath(program.c_str())) &&
                 SUCCEEDED(shellLink->SetWorkingDirectory(FolderOf(program).c_str())) &&
                 SUCCEEDED(shellLink->SetIconLocation(program.c_str(), 0));
    IPersistFile* file = nullptr;
    if (saved && SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(link.c_str(), TRUE));
        file->Release();
    } else {
        saved = false;
    }
    shellLink->Release();
    return saved;
}

}  // namespace

std::wstring StartMenuShortcutPath() {
    PWSTR programs = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_CommonPrograms, KF_FLAG_CREATE, nullptr, &programs)) && programs)
        path = std::wstring(programs) + L"\\" TOLVEK_PRODUCT_NAME ".lnk";
    CoTaskMemFree(programs);
    return path;
}

bool CreateStartMenuShortcut(const std::string& program) {
    const std::wstring link = StartMenuShortcutPath();
    if (link.empty()) return false;
    // The link object wants COM on this thread; balanced here, so callers need not know.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool saved = SaveLink(WideFromAnsi(program), link);
    if (SUCCEEDED(com)) CoUninitialize();
    return saved;
}

bool RemoveStartMenuShortcut() {
    const std::wstring link = StartMenuShortcutPath();
    if (link.empty()) return false;
    return DeleteFileW(link.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}
