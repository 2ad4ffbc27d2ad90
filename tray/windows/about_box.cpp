// The about box: the about text of the current language and an OK button.
#include "about_box.h"

#include "modal.h"
#include "resource_ids.h"
#include "ui_text.h"
#include "win32_text.h"

namespace {

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            NoteDialogOpened(dialog);
            SetDlgItemTextW(dialog, IDC_ABOUT_TEXT, Wide(aboutText));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != IDC_ACCEPT) return FALSE;  // Escape does nothing
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int ShowAbout(HWND owner) { return static_cast<int>(RunModalDialog(IDD_ABOUT, owner, AboutDialogProc, 0)); }
