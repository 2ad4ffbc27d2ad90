// Pictures of the tray program's windows for the documentation: runs the real program
// in-process on a private install with a sample diary, opens each window in turn and
// saves what the screen shows of it as a 24-bit BMP file.
//
//   showcase.exe OUTPUT-FOLDER LANGUAGE      (LANGUAGE: 0 English, 1 Czech, 2 Slovak)
//
// Writes NAME-en.bmp, NAME-cs.bmp or NAME-sk.bmp per scene; gives 0 only when every
// picture of the run was saved.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "data_file.h"
#include "date_rules.h"
#include "dialogs.h"
#include "install_record.h"
#include "main_window.h"
#include "messages.h"
#include "modal.h"
#include "registry.h"
#include "resource_ids.h"
#include "robot.h"
#include "startup.h"
#include "win32_startup.h"

namespace {

// The sample diary's note whose row is selected for the editor and the remove question.
constexpr int kSelectedRow = 1;

std::string notInstalledText;  // the text NotInstalledMessage points into

// One window to show. A modal window runs inside `open` until its `closeButton` is
// pressed after the picture; a scene without one pictures the main window.
struct Scene {
    const char* name;
    bool perLanguage;  // false: fixed English text, pictured in the English run only
    std::function<void()> open;
    int closeButton;
};

void SelectRow(int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(noteListView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(noteListView, LVM_SETSELECTIONMARK, 0, row);
}

void Click(int control) { SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), 0); }

const std::vector<Scene>& Scenes() {
    static const std::vector<Scene> scenes = {
        {"main", true, [] { SendMessageW(mainWindow, UM_TRAY_CALLBACK, 101, WM_LBUTTONDOWN); SelectRow(kSelectedRow); }, 0},
        // Modify rather than Add: the same editor, with a note in it.
        {"editor", true, [] { Click(IDC_MODIFY); }, IDC_CANCEL},
        {"confirm", true, [] { Click(IDC_REMOVE); }, IDC_CANCEL},
        {"about", true, [] { Click(IDC_INFO); }, IDC_ACCEPT},
        {"box-already-running", false, [] { ShowMessageBox(kAlreadyRunning); }, IDOK},
        {"box-not-installed", false, [] { ShowMessageBox(NotInstalledMessage(kErrorFileNotFound, notInstalledText)); }, IDOK},
        {"box-no-data-file", false, [] { ShowMessageBox(kNoDataFile); }, IDNO},
        {"box-cannot-create", false, [] { ShowMessageBox(kCannotCreateDataFile); }, IDCANCEL},
        {"box-corrupt", false, [] { ShowMessageBox(kCorruptDataFile); }, IDOK},
        {"box-save-failed", false, [] { ShowMessageBox(kSaveFailed); }, IDOK},
    };
    return scenes;
}

// The date `days` after today.
SYSTEMTIME DaysFromToday(int days) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME time;
    SystemTimeToFileTime(&now, &time);
    ULARGE_INTEGER ticks = {{time.dwLowDateTime, time.dwHighDateTime}};
    ticks.QuadPart += static_cast<ULONGLONG>(days) * 24 * 3600 * 10000000ULL;
    time = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME later;
    FileTimeToSystemTime(&time, &later);
    return later;
}

Note MakeNote(int year, int month, int day, int advance, int period, const char* text) {
    Note note;
    note.year = year;
    note.month = month;
    note.day = day;
    note.advance = advance;
    note.period = period;
    SetNoteText(note, text);
    return note;
}

// A dozen notes of every kind, dated from today so that none has passed and no reminder
// is due at start-up: the pictures then show the same windows on any day.
std::vector<Note> SampleNotes() {
    const Today today = ReadToday();
    const int nextYear = today.year + 1;
    // Every month: 10 to 27 days ahead, within the 28 days every month has.
    auto monthlyDay = [](int daysAhead) { return std::min<int>(DaysFromToday(daysAhead).wDay, 28); };
    // Every year: two months on or more, so even "a month in advance" is still ahead.
    auto yearlyMonth = [&](int monthsAhead) { return (today.month - 1 + monthsAhead) % 12 + 1; };
    return {
        MakeNote(0, 0, monthlyDay(10), 2, 1, "Pay the rent and the electricity bill"),
        MakeNote(0, 0, monthlyDay(16), 4, 2, "Water the balcony plants"),
        MakeNote(0, 0, monthlyDay(24), 3, 0, "Back up the photos to the external disk"),
        MakeNote(0, yearlyMonth(2), 17, 1, 1, "Mum's birthday - order flowers"),
        MakeNote(0, yearlyMonth(4), 3, 0, 0, "Car insurance renewal"),
        MakeNote(0, yearlyMonth(6), 22, 1, 1, "Wedding anniversary: book a table"),
        MakeNote(0, yearlyMonth(9), 30, 0, 0, "File the tax return"),
        MakeNote(0, yearlyMonth(11), 8, 2, 1, "Chimney sweep inspection"),
        MakeNote(nextYear, 3, 14, 3, 2, "Dentist at 9:30, Dr. Novak"),
        MakeNote(nextYear, 7, 2, 1, 1, "Flight to Lisbon - check in online"),
        MakeNote(nextYear, 11, 26, 4, 1, "Return the library books"),
        MakeNote(nextYear + 1, 0, 15, 2, 1, "Pay the kitchen loan instalment"),
    };
}

bool WriteSampleDiary(const std::string& directory, int32_t language) {
    const std::vector<Note> notes = SampleNotes();
    std::vector<const Note*> pointers;
    for (const Note& note : notes) {
        if (IsObsolete(note) || IsDue(note)) {
            std::fprintf(stderr, "showcase: sample note \"%s\" has passed or is due today\n", note.text);
            return false;
        }
        pointers.push_back(&note);
    }
    const std::vector<unsigned char> bytes = EncodeDataFile(pointers, language, 1234);
    std::ofstream file(directory + "\\" + kDataFileName, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file.good();
}

// Copies what the screen shows of the window, title bar included, into a BMP file.
bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT frame;
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // rows bottom-up, as the file stores them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied = bitmap && BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();

    const DWORD pixelBytes = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);  // rows padded to 4 bytes
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + pixelBytes;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (copied) {
        file.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
        file.write(reinterpret_cast<const char*>(&header), sizeof header);
        file.write(static_cast<const char*>(pixels), pixelBytes);
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied && file.good();
}

// The dialog or message box a scene opened: the one visible top-level dialog of this
// thread besides the main window.
HWND OpenedWindow() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM list) {
        if (window != mainWindow && IsWindowVisible(window) && Robot::ClassOf(window) == L"#32770")
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found.size() == 1 ? found[0] : nullptr;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

std::string MakeTemporaryDirectory() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const std::string directory = std::string(base) + "tolvek-showcase-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || argv[2][0] < '0' || argv[2][0] > '2' || argv[2][1] != '\0') {
        std::fprintf(stderr, "usage: showcase OUTPUT-FOLDER LANGUAGE (0 English, 1 Czech, 2 Slovak)\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string output = argv[1];
    const int language = argv[2][0] - '0';
    const char* const suffixes[] = {"en", "cs", "sk"};

    // The program finds its diary through the machine-wide installation record: never
    // take over the record of a real installation.
    std::string installed;
    if (ReadInstallPath(SystemRegistry(), installed) == kErrorSuccess) {
        std::fprintf(stderr, "showcase: Tolvek is installed in %s; run this on a machine without it\n", installed.c_str());
        return 2;
    }
    const std::string directory = MakeTemporaryDirectory();
    if (WriteInstallationRecord(SystemRegistry(), directory) != kErrorSuccess || !WriteSampleDiary(directory, language)) {
        std::fprintf(stderr, "showcase: cannot prepare the install in %s\n", directory.c_str());
        RemoveInstallationRecord(SystemRegistry());
        return 1;
    }

    // Each scene takes three steps a little apart: open the window, let it paint, take
    // its picture and close it.
    Robot robot;
    int saved = 0, expected = 0;
    for (const Scene& scene : Scenes()) {
        if (!scene.perLanguage && language != 0) continue;
        ++expected;
        const std::string path = output + "\\" + scene.name + "-" + suffixes[language] + ".bmp";
        robot.ThenDo([&scene] { std::fprintf(stderr, "DEBUG open %s\n", scene.name); scene.open(); std::fprintf(stderr, "DEBUG opened %s\n", scene.name); });
        robot.ThenDo([] {});
        robot.ThenDo([&scene, &saved, path] {
            const HWND window = scene.closeButton ? OpenedWindow() : mainWindow;
            if (!window) {
                std::fprintf(stderr, "showcase: %s: no window opened\n", scene.name);
                return;
            }
            RECT frame;
            GetWindowRect(window, &frame);
            if (SaveWindowPicture(window, path)) {
                ++saved;
                std::printf("%s  %ldx%ld  \"%s\"\n", path.c_str(), frame.right - frame.left, frame.bottom - frame.top,
                            Utf8(Robot::TextOf(window)).c_str());
            } else {
                std::fprintf(stderr, "showcase: %s: cannot save the picture\n", path.c_str());
            }
            if (scene.closeButton) Robot::Press(window, scene.closeButton);
        });
    }
    robot.ThenDo([] { RequestShutDown(mainWindow); });
    robot.StartSteps(150);
    // A window that never closes must not hang the run.
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) {
        std::fprintf(stderr, "showcase: the program did not shut down\n");
        ExitProcess(1);
    });
    Win32StartupPlatform platform;
    const int exitCode = RunTolvek(platform);

    RemoveInstallationRecord(SystemRegistry());
    for (const char* name : {kDataFileName, kBackupFileName})
        DeleteFileA((directory + "\\" + name).c_str());
    RemoveDirectoryA(directory.c_str());
    std::printf("showcase: %d of %d pictures saved\n", saved, expected);
    return exitCode == 0 && saved == expected ? 0 : 1;
}
