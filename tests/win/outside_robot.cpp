// Drives a running Tolvek.exe from outside its process, as a user would: waits for its
// windows and message boxes, prints what they say, and presses their buttons.
//   outside_robot box TITLE BUTTON_ID   wait for a message box titled TITLE, print its text, press
//   outside_robot main                  wait for the main window to exist
//   outside_robot title                 print the main window's title
//   outside_robot click CONTROL_ID      click a control of the main window
//   outside_robot shutdown              choose "Shut down" from the tray menu
//   outside_robot none TITLE MS         fail if a message box titled TITLE shows within MS
// Texts are UTF-8 on the command line and in the output. Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kWaitMs = 15000;
constexpr UINT kTrayCallback = 0xDD00;
constexpr int kMessageBoxText = 0xFFFF;

std::wstring FromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string ToUtf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(strlen(narrow.c_str()));
    return narrow;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

struct Search {
    std::wstring title;
    bool box;  // a message box (has its text control) or the main window (has the note list)
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770") return TRUE;
    if (search->box) {
        if (!IsWindowVisible(window) || TextOf(window) != search->title || !GetDlgItem(window, kMessageBoxText))
            return TRUE;
    } else if (!GetDlgItem(window, 1001) || !GetDlgItem(window, 1020) || TextOf(window).empty()) {
        return TRUE;  // not the main window, or not yet initialised (no title yet)
    }
    search->found = window;
    return FALSE;
}

HWND WaitFor(const std::wstring& title, bool box, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{title, box, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

int Fail(const char* what) {
    std::fprintf(stderr, "outside_robot: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Fail("no command");
    const std::string command = argv[1];
    if (command == "box" && argc == 4) {
        const HWND box = WaitFor(FromUtf8(argv[2]), true, kWaitMs);
        if (!box) return Fail("no such message box");
        std::printf("%s\n", ToUtf8(TextOf(GetDlgItem(box, kMessageBoxText))).c_str());
        const int button = std::atoi(argv[3]);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return 0;
    }
    if (command == "none" && argc == 4) {
        return WaitFor(FromUtf8(argv[2]), true, static_cast<DWORD>(std::atoi(argv[3]))) ? Fail("unexpected box") : 0;
    }
    const HWND main = WaitFor(L"", false, kWaitMs);
    if (!main) return Fail("no main window");
    if (command == "main") return 0;
    if (command == "title") {
        std::printf("%s\n", ToUtf8(TextOf(main)).c_str());
        return 0;
    }
    if (command == "click" && argc == 3) {
        SendMessageW(GetDlgItem(main, std::atoi(argv[2])), BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "shutdown") {
        // The keys wait in the queue behind the right click; the menu's loop reads them.
        PostMessageW(main, kTrayCallback, 101, WM_RBUTTONDOWN);
        PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
    return Fail("unknown command");
}
