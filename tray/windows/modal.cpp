#include "modal.h"

#include <vector>

#include "display_scale.h"
#include "show_message.h"

namespace {

int openModals = 0;                 // dialogs and message boxes now running
std::vector<HWND> openDialogs;      // the dialogs among them, innermost last
bool shutDownPending = false;
bool shutDownBegun = false;
HWND shutDownTarget = nullptr;

void ModalEnded() {
    --openModals;
    // Shut down from the main message loop, after every flow around the modal window has
    // returned: posted, not sent.
    if (openModals == 0 && shutDownPending) PostMessageW(shutDownTarget, WM_DESTROY, 0, 0);
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

int ShowMessageBox(const MessageBoxText& box) {
    ++openModals;
    const int answer = ShowFixedMessageBox(box);
    ModalEnded();
    return answer;
}

bool ShutDownPending() { return shutDownPending; }

void RequestShutDown(HWND mainWindow) {
    if (openModals == 0) {
        SendMessageW(mainWindow, WM_DESTROY, 0, 0);
        return;
    }
    shutDownPending = true;
    shutDownTarget = mainWindow;
    // A dialog ends when its loop next looks, the innermost first. Message boxes cannot be
    // ended from outside; the shut-down waits for the user to answer them.
    for (HWND dialog : openDialogs) EndDialog(dialog, 0);
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
    shutDownPending = false;
    shutDownTarget = nullptr;
}
