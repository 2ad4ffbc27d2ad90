#include "modal.h"

#include <algorithm>
#include <vector>

#include "display_scale.h"
#include "show_message.h"
#include "system_dlls.h"

namespace {

int openModals = 0;                 // dialogs and message boxes now running
std::vector<HWND> openDialogs;      // the dialogs among them, innermost last
int openFileDialogs = 0;
bool shutDownPending = false;
bool shutDownBegun = false;
HWND shutDownTarget = nullptr;

void ModalEnded() {
    --openModals;
    // Shut down from the main message loop, after every flow around the modal window has
    // returned: posted, not sent.
    if (openModals == 0 && shutDownPending) PostMessageW(shutDownTarget, WM_DESTROY, 0, 0);
}

// The system's file dialog belongs to the system: it is found as a dialog window of this
// thread, owned by the main window, that is none of ours, and cancelled like a click on Cancel.
BOOL CALLBACK CancelFileDialog(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    const bool ours = std::find(openDialogs.begin(), openDialogs.end(), window) != openDialogs.end();
    if (!ours && GetWindow(window, GW_OWNER) == shutDownTarget && lstrcmpW(className, L"#32770") == 0)
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

}  // namespace

INT_PTR RunModalDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM parameter) {
    if (shutDownPending) return -1;
    ++openModals;
    const std::size_t depth = openDialogs.size();
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, procedure, parameter);
    openDialogs.resize(depth);
    ModalEnded();
    return result;
}

void NoteDialogOpened(HWND dialog) {
    openDialogs.push_back(dialog);
    SetProgramIcons(dialog, WindowDpi(dialog));
    if (shutDownPending) EndDialog(dialog, 0);
}

int ShowTrayMessageBox(const MessageBoxText& box) {
    ++openModals;
    const int answer = ShowMessageBox(box);
    ModalEnded();
    return answer;
}

bool RunFileDialog(OPENFILENAMEW& dialog, bool save) {
    if (shutDownPending) return false;
    // The common dialogs' library is loaded at the first export or import, not at every
    // start: it brings in several megabytes that a tray program rarely needs.
    using FileDialog = BOOL(WINAPI*)(OPENFILENAMEW*);
    const HMODULE library = LoadSystemLibrary("comdlg32.dll");
    const auto run = library ? reinterpret_cast<FileDialog>(reinterpret_cast<void*>(
                                   GetProcAddress(library, save ? "GetSaveFileNameW" : "GetOpenFileNameW")))
                             : nullptr;
    if (!run) return false;
    ++openModals;
    ++openFileDialogs;
    const BOOL chosen = run(&dialog);
    --openFileDialogs;
    const bool useIt = chosen && !shutDownPending;
    ModalEnded();
    return useIt;
}

bool ModalWindowOpen() { return openModals > 0; }

bool ShutDownPending() { return shutDownPending; }

void RequestShutDown(HWND mainWindow) {
    if (openModals == 0) {
        SendMessageW(mainWindow, WM_DESTROY, 0, 0);
        return;
    }
    shutDownPending = true;
    shutDownTarget = mainWindow;
    // A dialog ends when its loop next looks, the innermost first; a file dialog ends as if
    // cancelled. Message boxes cannot be ended from outside; the shut-down waits for the
    // user to answer them.
    for (HWND dialog : openDialogs) EndDialog(dialog, 0);
    if (openFileDialogs > 0) EnumThreadWindows(GetCurrentThreadId(), CancelFileDialog, 0);
}

bool BeginShutDown() {
    if (shutDownBegun) return false;
    shutDownBegun = true;
    return true;
}

void ResetModalState() {
    shutDownBegun = false;
    openModals = 0;
    openDialogs.clear();
    openFileDialogs = 0;
    shutDownPending = false;
    shutDownTarget = nullptr;
}
