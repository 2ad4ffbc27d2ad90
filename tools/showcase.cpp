// Pictures of the tray program's windows for the documentation: runs the real program
// in-process on a private install with a sample diary, opens each window in turn and
// saves what the screen shows of it as a 24-bit BMP file.
//
//   showcase.exe OUTPUT-FOLDER LANGUAGE      (LANGUAGE: 0 English, 1 Czech, 2 Slovak)
//
// Writes NAME-en.bmp, NAME-cs.bmp or NAME-sk.bmp for each scene below; gives 0 only when
// every picture of the run was saved.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "calendar_texts.h"
#include "data_file.h"
#include "date_rules.h"
#include "install_record.h"
#include "main_window.h"
#include "messages.h"
#include "modal.h"
#include "registry.h"
#include "reminders.h"
#include "resource_ids.h"
#include "startup.h"
#include "text_conversions.h"
#include "win32_startup.h"

namespace {

// The row of the sample diary that the editor, the remove question and the reminder show.
constexpr int kSelectedRow = 1;

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

void SelectRow(int row) {
    const HWND noteListView = GetDlgItem(tray.mainWindow, IDC_NOTE_LIST);
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(noteListView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(noteListView, LVM_SETSELECTIONMARK, 0, row);
    SetFocus(noteListView);
}

void Click(int control) { SendMessageW(tray.mainWindow, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), 0); }

// One window to picture; scripts/screenshots.sh lists the names it expects. `open` makes
// it appear; a modal window runs inside `open` until `closeButton` is pressed after its
// picture. A scene without a close button pictures the main window, which stays open for
// the scenes after it.
struct Scene {
    const char* name;
    bool perLanguage;  // false: fixed English text, pictured in the English run only
    std::function<void()> open;
    int closeButton;  // kTrayMenu: the scene pictures the tray menu, closed with Escape
};

constexpr int kTrayMenu = -1;

// A note that has passed, for the prompt that offers to remove it.
Note PassedNote() { return MakeNote(ReadToday().year - 1, 10, 12, 3, 1, "Renew the parking permit"); }

// The main window as a left click on the tray icon shows it, with a row selected.
void ShowMainWindow() {
    SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_LBUTTONDOWN);
    SelectRow(kSelectedRow);
}

const std::vector<Scene> kScenes = {
    {"main", true, ShowMainWindow, 0},
    // Modify rather than Add: the same editor, with a note in it. Each closed dialog
    // refreshes the list, which clears the selection.
    {"editor", true, [] { SelectRow(kSelectedRow); Click(IDC_MODIFY); }, IDC_CANCEL},
    {"confirm", true, [] { SelectRow(kSelectedRow); Click(IDC_REMOVE); }, IDC_CANCEL},
    {"reminder", true, [] { ShowReminder(noteStore->IdAt(kSelectedRow)); }, IDC_ACCEPT},
    {"obsolete", true, [] { AskRemoveObsolete(PassedNote()); }, IDC_CANCEL},
    {"about", true, [] { Click(IDC_INFO); }, IDC_ACCEPT},
    {"menu", true, [] { SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_RBUTTONDOWN); }, kTrayMenu},
    // The question as an address book with some birthdays already in the diary asks it.
    {"import", true,
     [] {
         ImportCounts counts;
         counts.notes = 12;
         counts.alreadyStored = 3;
         counts.passed = 1;
         counts.altered = 2;
         ShowTrayMessageBox(CurrentLanguageBox(ImportQuestionText(counts, u"C:\\Users\\Jana\\Documents\\Contacts.vcf"),
                                               MB_YESNO | MB_ICONQUESTION));
     },
     IDNO},
    {"box-already-running", false, [] { ShowTrayMessageBox(AlreadyRunningMessage()); }, IDOK},
    {"box-not-installed", false, [] { ShowTrayMessageBox(NotInstalledMessage(kErrorFileNotFound)); }, IDOK},
    {"box-no-data-file", false, [] { ShowTrayMessageBox(NoDataFileQuestion()); }, IDNO},
    {"box-cannot-create", false, [] { ShowTrayMessageBox(CannotCreateDataFileMessage()); }, IDCANCEL},
    {"box-corrupt", false, [] { ShowTrayMessageBox(CorruptDataFileMessage()); }, IDOK},
    {"box-save-failed", false, [] { ShowTrayMessageBox(SaveFailedMessage()); }, IDOK},
};

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

// A dozen notes of every kind, dated from today so that none has passed and no reminder
// is due at start-up: the program then opens no window of its own on any day.
std::vector<Note> SampleNotes() {
    const Today today = ReadToday();
    // Every month: 10 to 27 days ahead, on a day every month has; reminded 3 days ahead at most.
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
        MakeNote(0, yearlyMonth(9), 28, 0, 0, "File the tax return"),
        MakeNote(0, yearlyMonth(11), 8, 2, 1, "Chimney sweep inspection"),
        MakeNote(today.year + 1, 3, 14, 3, 2, "Dentist at 9:30, Dr. Novak"),
        MakeNote(today.year + 1, 7, 2, 1, 1, "Flight to Lisbon - check in online"),
        MakeNote(today.year + 1, 11, 26, 4, 1, "Return the library books"),
        MakeNote(today.year + 2, 0, 15, 2, 1, "Pay the kitchen loan instalment"),
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
    header.biHeight = height;  // rows bottom-up, as the file keeps them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels, nullptr, 0);
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

// Dialogs and message boxes are of one class, popup menus of another.
const wchar_t* const kDialogClass = L"#32770";
const wchar_t* const kMenuClass = L"#32768";

struct Search {
    const wchar_t* windowClass;
    std::vector<HWND> found;
};

// The dialog, message box or menu a scene opened: the one visible window of that class on
// this thread besides the main window.
HWND OpenedWindow(const wchar_t* windowClass) {
    Search search{windowClass, {}};
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM parameter) {
        auto* search = reinterpret_cast<Search*>(parameter);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (window != tray.mainWindow && IsWindowVisible(window) && std::wstring(name) == search->windowClass)
            search->found.push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found.size() == 1 ? search.found[0] : nullptr;
}

HWND OpenedWindow(const Scene& scene) {
    return OpenedWindow(scene.closeButton == kTrayMenu ? kMenuClass : kDialogClass);
}

std::string TitleOf(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return Utf8FromWide(title);
}

// The run through the scenes, moved on by a timer. A modal window's loop runs the timer
// too, so the picture is taken and the window closed while its `open` is still running.
constexpr UINT kTickMs = 100;
constexpr int kPaintTicks = 3;     // a window is pictured this long after it shows
constexpr int kAppearTicks = 30;   // a window that has not shown by then has failed

std::vector<const Scene*> scenes;  // those of this run's language
std::string outputFolder, languageSuffix;
std::size_t current = 0;
enum class Phase { Open, Picture, Close } phase = Phase::Open;
int ticks = 0;
bool opening = false;  // inside a scene's `open`
int saved = 0;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (current == scenes.size()) {
        ++current;
        RequestShutDown(tray.mainWindow);
        return;
    }
    if (current > scenes.size()) return;
    const Scene& scene = *scenes[current];
    switch (phase) {
        case Phase::Open:
            if (opening) return;  // the scene before has not returned yet
            phase = Phase::Picture;
            ticks = 0;
            opening = true;
            scene.open();
            opening = false;
            return;
        case Phase::Picture: {
            const HWND window = scene.closeButton ? OpenedWindow(scene) : tray.mainWindow;
            const bool shown = window && IsWindowVisible(window);
            ++ticks;
            if (!shown && ticks > kAppearTicks) {
                std::fprintf(stderr, "showcase: %s: its window did not open\n", scene.name);
                phase = Phase::Close;
            }
            if (!shown || ticks < kPaintTicks) return;
            const std::string path = outputFolder + "\\" + scene.name + "-" + languageSuffix + ".bmp";
            if (SaveWindowPicture(window, path)) {
                ++saved;
                std::printf("%s  \"%s\"\n", path.c_str(), TitleOf(window).c_str());
            } else {
                std::fprintf(stderr, "showcase: %s: the picture could not be saved\n", path.c_str());
            }
            if (scene.closeButton == kTrayMenu)
                PostMessageW(tray.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
            else if (scene.closeButton)
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(scene.closeButton, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, scene.closeButton)));
            phase = Phase::Close;
            return;
        }
        case Phase::Close:
            if (scene.closeButton && OpenedWindow(scene)) return;
            ++current;
            phase = Phase::Open;
            return;
    }
}

std::string installDirectory;

void Uninstall() {
    RemoveInstallationRecord(SystemRegistry());
    for (const char* name : {kDataFileName, kBackupFileName})
        DeleteFileA((installDirectory + "\\" + name).c_str());
    RemoveDirectoryA(installDirectory.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string language = argc == 3 ? argv[2] : "";
    if (language != "0" && language != "1" && language != "2") {
        std::fprintf(stderr, "usage: showcase OUTPUT-FOLDER LANGUAGE (0 English, 1 Czech, 2 Slovak)\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    outputFolder = argv[1];
    const int32_t index = language[0] - '0';
    languageSuffix = index == 0 ? "en" : index == 1 ? "cs" : "sk";
    for (const Scene& scene : kScenes)
        if (scene.perLanguage || index == 0) scenes.push_back(&scene);

    // The program finds its diary through the machine-wide installation record: never
    // take over the record of a real installation.
    std::string installed;
    if (ReadInstallPath(SystemRegistry(), installed) == kErrorSuccess) {
        std::fprintf(stderr, "showcase: Tolvek is installed in %s; run this where it is not\n", installed.c_str());
        return 2;
    }
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    installDirectory = std::string(temporary) + "tolvek-showcase-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(installDirectory.c_str(), nullptr);
    if (WriteInstallationRecord(SystemRegistry(), installDirectory) != kErrorSuccess ||
        !WriteSampleDiary(installDirectory, index)) {
        std::fprintf(stderr, "showcase: cannot prepare the install in %s\n", installDirectory.c_str());
        Uninstall();
        return 1;
    }

    SetTimer(nullptr, 0, kTickMs, Tick);
    // A window that never closes must not hang the run.
    SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) {
        std::fprintf(stderr, "showcase: the program did not shut down\n");
        Uninstall();
        ExitProcess(1);
    });
    Win32StartupPlatform platform;
    const int exitCode = RunTolvek(platform);
    Uninstall();
    std::printf("showcase: %d of %zu pictures saved\n", saved, scenes.size());
    return exitCode == 0 && saved == static_cast<int>(scenes.size()) ? 0 : 1;
}
