#include "reminders.h"

#include <richedit.h>

#include <vector>

#include "confirm_remove.h"
#include "date_rules.h"
#include "display_scale.h"
#include "main_window.h"
#include "modal.h"
#include "reminder_texts.h"
#include "resource_ids.h"
#include "startup.h"
#include "text_conversions.h"
#include "ui_text.h"
#include "win32_text.h"

namespace {

// The text controls are rich-edit 1.0 controls, which keep their text in the ANSI code
// page: a Czech or Slovak weekday would lose its accents on any other system. Setting the
// text as Unicode keeps them; a control that cannot takes it the plain way.
void SetRichText(HWND dialog, int control, const std::u16string& text) {
    SETTEXTEX how = {ST_DEFAULT, 1200};  // 1200: UTF-16
    if (SendDlgItemMessageW(dialog, control, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                            reinterpret_cast<LPARAM>(Wide(text))) == 0)
        SetDlgItemTextW(dialog, control, Wide(text));
}

// The identities of the stored notes, last first. A pass walks these, not positions: a
// pass nested in one of its windows may remove notes and move every position after them.
std::vector<NoteId> IdsFromLastToFirst() {
    std::vector<NoteId> ids;
    for (uint32_t i = noteStore->Count(); i-- > 0;) ids.push_back(noteStore->IdAt(i));
    return ids;
}

// The stored note `id`, or nothing when it has been removed meanwhile or is open in the
// editor: a pass leaves that one alone until the editor has ended.
Note* StoredNote(NoteId id) {
    uint32_t position = 0;
    if (id == tray.noteInEditor || !noteStore || !noteStore->Find(id, position)) return nullptr;
    return &noteStore->At(position);
}

INT_PTR CALLBACK ReminderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            NoteDialogOpened(dialog);
            const NoteId id = static_cast<NoteId>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, static_cast<LONG_PTR>(id));
            SetWindowTextW(dialog, Wide(Text(Txt::ReminderTitle)));
            SetDlgItemTextW(dialog, IDC_ACCEPT, Wide(Text(Txt::Thanks)));
            SetDlgItemTextW(dialog, IDC_REMINDER_REMOVE, Wide(Text(Txt::Remove)));
            SetDlgItemTextW(dialog, IDC_REMINDER_HEADING, Wide(Text(Txt::ReminderHeading)));
            FitDialogIcons(dialog);
            if (const Note* note = StoredNote(id))
                SetRichText(dialog, IDC_REMINDER_TEXT, ReminderWindowText(*note, ToU16(WideFromAnsi(NoteText(*note)))));
            return TRUE;  // the focus goes to "Thanks": Enter means Thanks
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ACCEPT: EndDialog(dialog, 0); return TRUE;
                case IDC_REMINDER_REMOVE: {
                    // This window's own note, by identity, whatever a nested pass removed.
                    const NoteId id = static_cast<NoteId>(GetWindowLongPtrW(dialog, DWLP_USER));
                    if (ConfirmRemove(dialog, id) == 1) EndDialog(dialog, 0);
                    return TRUE;
                }
                default: return FALSE;  // Escape does nothing
            }
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK ObsoleteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            NoteDialogOpened(dialog);
            const Note& note = *reinterpret_cast<const Note*>(lParam);
            SetWindowTextW(dialog, Wide(Text(Txt::ReminderTitle)));
            SetDlgItemTextW(dialog, IDC_ACCEPT, Wide(Text(Txt::Yes)));
            SetDlgItemTextW(dialog, IDC_CANCEL, Wide(Text(Txt::No)));
            SetDlgItemTextW(dialog, IDC_OBSOLETE_HEADING, Wide(Text(Txt::ObsoleteHeading)));
            SetDlgItemTextW(dialog, IDC_OBSOLETE_QUESTION, Wide(Text(Txt::ObsoleteQuestion)));
            SetRichText(dialog, IDC_OBSOLETE_TEXT, ObsoletePromptText(note, ToU16(WideFromAnsi(NoteText(note)))));
            return TRUE;  // the focus goes to "Yes": Enter means Yes
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ACCEPT: EndDialog(dialog, 1); return TRUE;
                case IDC_CANCEL: EndDialog(dialog, 0); return TRUE;
                default: return FALSE;  // Escape does nothing
            }
        default:
            return FALSE;
    }
}

}  // namespace

void ShowReminder(NoteId id) {
    RunModalDialog(IDD_REMINDER, tray.mainWindow, ReminderDialogProc, static_cast<LPARAM>(id));
}

int AskRemoveObsolete(const Note& note) {
    const INT_PTR answer =
        RunModalDialog(IDD_OBSOLETE, tray.mainWindow, ObsoleteDialogProc, reinterpret_cast<LPARAM>(&note));
    if (ShutDownPending()) return -1;  // ended by the shut-down: the user did not answer
    return answer == 1 || answer == 0 ? static_cast<int>(answer) : -1;
}

void ObsoleteSweep() {
    if (!noteStore) return;
    for (NoteId id : IdsFromLastToFirst()) {
        if (ShutDownPending()) break;
        const Note* note = StoredNote(id);
        if (!note || note->obsoleteDeclined != 0 || !IsObsolete(*note)) continue;
        const Note shown = *note;
        const int answer = AskRemoveObsolete(shown);
        uint32_t position = 0;
        if (answer < 0 || !noteStore->Find(id, position)) continue;  // not asked: nothing changes
        if (answer == 1)
            ReportSave(noteStore->RemoveAt(position), ShowTrayMessageBox);
        else
            noteStore->At(position).obsoleteDeclined = 1;  // saved with the next save
    }
    SendMessageW(tray.mainWindow, UM_REFRESH_LIST, 0, 0);
}

void ReminderPass() {
    if (!noteStore || ShutDownPending()) return;
    for (NoteId id : IdsFromLastToFirst()) {
        if (ShutDownPending()) break;
        const Note* note = StoredNote(id);
        if (note && IsDue(*note)) ShowReminder(id);
    }
    SendMessageW(tray.mainWindow, UM_REFRESH_LIST, 0, 0);
}

void CALLBACK HourlyTimerProc(HWND, UINT, UINT_PTR, DWORD) { ReminderPass(); }
