// Measures a tray program under Wine from outside it:
//   measure_tray tolvek PATH  start PATH; print the milliseconds until its tray icon exists
//                             and, once it is idle, its peak working set; leave it running
//   measure_tray floor PATH   start PATH, a program that adds an icon and exits; print the
//                             milliseconds until it has exited
//   measure_tray idle PATH    start PATH, a tray program; print the milliseconds until it is
//                             idle: its icon 101 exists and messages sent to its window come
//                             back; leave it running (its peak is read from outside Wine)
//   measure_tray close-bare   end the running bare_tray.exe
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Start(const char* path, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = std::string("\"") + path + "\"";
    std::string directory(path);
    directory = directory.substr(0, directory.find_last_of("\\/"));
    return CreateProcessA(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &startup,
                          &process) != 0;
}

struct MainWindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MainWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !GetDlgItem(window, 1001) || !GetDlgItem(window, 1020)) return TRUE;
    search->found = window;
    return FALSE;
}

bool IconPresent(HWND window);

struct IconWindowSearch {
    DWORD processId;
    HWND found;
};

// Any top-level window of the process that owns the tray icon: the bare program's plain
// window or the tray program's main window.
BOOL CALLBACK FindIconWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<IconWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IconPresent(window)) return TRUE;
    search->found = window;
    return FALSE;
}

bool IconPresent(HWND window) {
    NOTIFYICONDATAW probe = {};
    probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
    probe.hWnd = window;
    probe.uID = 101;
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "close-bare") {
        const HWND bare = FindWindowW(L"BareTray", nullptr);
        if (!bare) return 4;
        SendMessageTimeoutW(bare, WM_CLOSE, 0, 0, SMTO_NORMAL, 30000, nullptr);
        return 0;
    }
    if (argc != 3) return 2;
    const std::string what = argv[1];
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!Start(argv[2], process)) return 3;
    if (what == "floor") {
        WaitForSingleObject(process.hProcess, 30000);
        QueryPerformanceCounter(&end);
        std::printf("floor_ms=%.0f\n", Milliseconds(start, end));
        return 0;
    }
    if (what == "idle") {
        IconWindowSearch search{process.dwProcessId, nullptr};
        for (int i = 0; i < 120000 && !search.found; ++i) {
            EnumWindows(FindIconWindow, reinterpret_cast<LPARAM>(&search));
            if (!search.found) Sleep(1);
        }
        if (!search.found) return 4;
        // The first idle moment of its thread; then two messages one after the other: the
        // first may come back before a message that start-up posted itself, the second comes
        // back only after that one has been handled.
        WaitForInputIdle(process.hProcess, 120000);
        for (int i = 0; i < 2; ++i)
            if (!SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 120000, nullptr)) return 5;
        QueryPerformanceCounter(&end);
        std::printf("idle_ms=%.0f\n", Milliseconds(start, end));
        return 0;
    }
    MainWindowSearch search{process.dwProcessId, nullptr};
    for (int i = 0; i < 30000 && !(search.found && IconPresent(search.found)); ++i) {
        if (!search.found) EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        Sleep(1);
    }
    QueryPerformanceCounter(&end);
    if (!search.found) return 4;
    std::printf("icon_ms=%.0f\n", Milliseconds(start, end));
    Sleep(3000);  // idle: every start-up pass has ended
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
        std::printf("peak_working_set_kb=%llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
    return 0;
}
