// The installer and uninstaller as a user starts them: their manifests, and their first
// message box answered from this process.
#pragma once

#include <windows.h>

#include <string>

#include "robot.h"

// A Windows path for a file the build made.
inline std::string WindowsPath(const char* unixPath) {
    std::string path = "Z:" + std::string(unixPath);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The program's application manifest, or "" when it has none.
inline std::string ManifestOf(const std::string& program) {
    const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    std::string manifest;
    if (found)
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found));
    FreeLibrary(module);
    return manifest;
}

// A dialog or message box that another process shows, or none yet.
inline HWND ShownDialogOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search = {processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || Robot::ClassOf(window) != L"#32770" || !IsWindowVisible(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct FirstBox {
    bool started = false, shown = false, ended = false;
    std::wstring title, text;
    DWORD exitCode = 99;
};

// Starts the program, reads its first box, answers it with `button` and waits for the end.
inline FirstBox AnswerFirstBox(const std::string& program, int button) {
    FirstBox result;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\"";
    result.started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
    if (!result.started) return result;
    HWND box = nullptr;
    result.shown = Robot::PumpUntil([&] { return (box = ShownDialogOf(process.dwProcessId)) != nullptr; }, 20000);
    if (result.shown) {
        result.title = Robot::TextOf(box);
        wchar_t buffer[512] = {};
        SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
        result.text = buffer;
        PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    }
    result.ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
    if (!result.ended) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}
