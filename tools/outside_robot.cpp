// Drives a running Tolvek.exe from outside its process, as a user would: waits for its
// windows and message boxes, prints what they say, and presses their buttons.
//   outside_robot box TITLE BUTTON_ID   wait for a message box titled TITLE, print its text, press
//   outside_robot main                  wait for the main window to exist
//   outside_robot title                 print the main window's title
//   outside_robot click CONTROL_ID      click a control of the main window and wait for its effect
//   outside_robot press CONTROL_ID      press a main window button that opens a dialog
//   outside_robot shutdown              choose "Shut down" from the tray menu
//   outside_robot none TITLE MS         fail if a message box titled TITLE shows within MS
//   outside_robot dialog TITLE BUTTON_ID wait for a dialog titled TITLE (a reminder, an obsolete
//                                       prompt, a confirmation), print its kind and text, press
//   outside_robot quiet MS              fail if any dialog but the main window shows within MS
//   outside_robot browse                in the folder browser, choose the first folder (the
//                                       desktop) and press OK
//   outside_robot edit TEXT             in the note editor, type TEXT and press Accept
// Texts are UTF-8 on the command line and in the output. Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <string>

#include "text_conversions.h"

namespace {

constexpr DWORD kWaitMs = 15000;
constexpr UINT kTrayCallback = 0xDD00;
constexpr int kMessageBoxText = 0xFFFF;

// Sent, not GetWindowText: that does not ask the controls of another process.
std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

enum class Kind { MessageBox, MainWindow, Dialog };

struct Search {
    std::wstring title;
    Kind kind;
    bool anyTitle;
    HWND found;
};

bool IsMainWindow(HWND window) { return GetDlgItem(window, 1001) && GetDlgItem(window, 1020); }
// A message box's text control is 0xFFFF, the identifier the reminder's icons have too.
bool IsMessageBox(HWND window) {
    return GetDlgItem(window, kMessageBoxText) && !GetDlgItem(window, 1011) && !GetDlgItem(window, 1012);
}

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770") return TRUE;
    const bool titled = search->anyTitle || TextOf(window) == search->title;
    switch (search->kind) {
        case Kind::MessageBox:
            if (!IsWindowVisible(window) || !titled || !IsMessageBox(window)) return TRUE;
            break;
        case Kind::MainWindow:
            // Not yet initialised while it has no title.
            if (!IsMainWindow(window) || TextOf(window).empty()) return TRUE;
            break;
        case Kind::Dialog:
            if (!IsWindowVisible(window) || !titled || IsMainWindow(window) || IsMessageBox(window))
                return TRUE;
            break;
    }
    search->found = window;
    return FALSE;
}

HWND WaitFor(const std::wstring& title, Kind kind, DWORD timeoutMs, bool anyTitle = false) {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{title, kind, anyTitle, nullptr};
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
        const HWND box = WaitFor(WideFromUtf8(argv[2]), Kind::MessageBox, kWaitMs);
        if (!box) return Fail("no such message box");
        std::printf("%s\n", Utf8FromWide(TextOf(GetDlgItem(box, kMessageBoxText))).c_str());
        const int button = std::atoi(argv[3]);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return 0;
    }
    if (command == "none" && argc == 4) {
        return WaitFor(WideFromUtf8(argv[2]), Kind::MessageBox, static_cast<DWORD>(std::atoi(argv[3])))
                   ? Fail("unexpected box")
                   : 0;
    }
    if (command == "dialog" && argc == 4) {
        const HWND dialog = WaitFor(WideFromUtf8(argv[2]), Kind::Dialog, kWaitMs);
        if (!dialog) return Fail("no such dialog");
        Sleep(100);  // let its initialisation finish
        const char* kind = GetDlgItem(dialog, 1023) ? "reminder" : GetDlgItem(dialog, 1022) ? "obsolete" : "confirm";
        const int textControl = GetDlgItem(dialog, 1015) ? 1015 : 1018;
        std::string text = Utf8FromWide(TextOf(GetDlgItem(dialog, textControl)));
        // One line per window: the line breaks of the text shown as "|".
        std::string flat;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            flat += text[i] == '\r' || text[i] == '\n' ? '|' : text[i];
        }
        std::printf("%s %s\n", kind, flat.c_str());
        const int button = std::atoi(argv[3]);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        // Return only once it has gone, so the next command sees the next window; "Remove"
        // keeps a reminder open under its confirmation.
        for (int i = 0; button != 1004 && i < 200 && IsWindow(dialog) && IsWindowVisible(dialog); ++i) Sleep(25);
        return 0;
    }
    if (command == "browse") {
        HWND browser = nullptr;
        for (int i = 0; i < 300 && !browser; ++i) {
            browser = FindWindowW(L"#32770", nullptr);
            while (browser && !FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr))
                browser = FindWindowExW(nullptr, browser, L"#32770", nullptr);
            if (!browser) Sleep(50);
        }
        if (!browser) return Fail("no folder browser");
        const HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
        Sleep(300);  // the tree fills itself after it shows
        PostMessageW(tree, WM_KEYDOWN, VK_HOME, 0);
        Sleep(300);
        PostMessageW(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
        return 0;
    }
    if (command == "edit" && argc == 3) {
        HWND editor = nullptr;
        for (int i = 0; i < 300 && !editor; ++i) {
            editor = FindWindowW(L"#32770", nullptr);
            while (editor && !(GetDlgItem(editor, 1008) && GetDlgItem(editor, 1010) && IsWindowVisible(editor)))
                editor = FindWindowExW(nullptr, editor, L"#32770", nullptr);
            if (!editor) Sleep(50);
        }
        if (!editor) return Fail("no note editor");
        const std::wstring text = WideFromUtf8(argv[2]);
        SendMessageW(GetDlgItem(editor, 1004), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(1012, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(editor, 1012)));
        for (int i = 0; i < 200 && IsWindow(editor); ++i) Sleep(25);
        return 0;
    }
    if (command == "quiet" && argc == 3) {
        return WaitFor(L"", Kind::Dialog, static_cast<DWORD>(std::atoi(argv[2])), true) ? Fail("unexpected dialog") : 0;
    }
    const HWND main = WaitFor(L"", Kind::MainWindow, kWaitMs);
    if (!main) return Fail("no main window");
    if (command == "main") return 0;
    if (command == "title") {
        std::printf("%s\n", Utf8FromWide(TextOf(main)).c_str());
        return 0;
    }
    if (command == "press" && argc == 3) {  // a button whose command opens a dialog: posted
        const int control = std::atoi(argv[2]);
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, control)));
        return 0;
    }
    if (command == "click" && argc == 3) {
        SendMessageW(GetDlgItem(main, std::atoi(argv[2])), BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "shutdown") {
        // The keys wait in the queue behind the right click; the menu's loop reads them.
        // "Shut down" is the fourth item (Restore, Export, Import, Shut down; separators skipped).
        PostMessageW(main, kTrayCallback, 101, WM_RBUTTONDOWN);
        for (int item = 0; item < 4; ++item) PostMessageW(main, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(main, WM_KEYDOWN, VK_RETURN, 0);
        return 0;
    }
    return Fail("unknown command");
}
