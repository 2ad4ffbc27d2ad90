// The remove confirmation: Yes removes the note, No (the default) keeps it.
#include "confirm_remove.h"

#include "modal.h"
#include "resource_ids.h"
#include "startup.h"
#include "ui_text.h"
#include "win32_text.h"

namespace {

INT_PTR CALLBACK ConfirmRemoveDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            NoteDialogOpened(dialog);
            SetDlgItemTextW(dialog, IDC_ACCEPT, Wide(Text(Txt::Yes)));
            SetDlgItemTextW(dialog, IDC_CANCEL, Wide(Text(Txt::No)));
            SetDlgItemTextW(dialog, IDC_CONFIRM_QUESTION, Wide(Text(Txt::RemoveQuestion)));
            return TRUE;  // the focus goes to No, the first control: Enter answers No
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_CANCEL: EndDialog(dialog, 0); return TRUE;
                case IDC_ACCEPT: EndDialog(dialog, 1); return TRUE;
                default: return FALSE;  // Escape's cancel command included
            }
        default:
            return FALSE;
    }
}

}  // namespace

int ConfirmRemove(HWND owner, NoteId id) {
    if (RunModalDialog(IDD_CONFIRM_REMOVE, owner, ConfirmRemoveDialogProc, 0) != 1) return 0;
    // The identity, not a position: a reminder pass may have removed notes meanwhile.
    uint32_t position = 0;
    if (!noteStore || !noteStore->Find(id, position)) return 0;
    ReportSave(noteStore->RemoveAt(position), ShowTrayMessageBox);
    return 1;
}
