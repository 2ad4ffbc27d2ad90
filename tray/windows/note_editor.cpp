// The note editor: five drop-down lists for the date and the reminder, and the text.
#include "note_editor.h"

#include <iterator>

#include "date_rules.h"
#include "editor_fields.h"
#include "install_record.h"
#include "modal.h"
#include "registry.h"
#include "resource_ids.h"
#include "startup.h"
#include "text_conversions.h"
#include "tray_state.h"
#include "ui_text.h"
#include "win32_text.h"

namespace {

struct EditorRequest {
    Note shown;
    Note accepted;
};

constexpr int kListControls[] = {IDC_YEAR, IDC_MONTH, IDC_DAY, IDC_ADVANCE, IDC_PERIOD};

void FillList(HWND dialog, int control, const std::vector<std::u16string>& items, int selected) {
    for (const std::u16string& item : items)
        SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item)));
    SendDlgItemMessageW(dialog, control, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void SetLabel(HWND dialog, int control, const std::u16string& text) {
    SetDlgItemTextW(dialog, control, Wide(text + u":"));
}

BOOL OnInitDialog(HWND dialog, EditorRequest* request) {
    NoteDialogOpened(dialog);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(request));
    SetWindowTextW(dialog, Wide(Text(Txt::EditorTitle)));
    SetLabel(dialog, IDC_DATE_LABEL, Text(Txt::DateLabel));
    SetLabel(dialog, IDC_TEXT_LABEL, Text(Txt::TextLabel));
    SetLabel(dialog, IDC_REMINDER_LABEL, Text(Txt::ReminderLabel));
    SetDlgItemTextW(dialog, IDC_ACCEPT, Wide(Text(Txt::Accept)));
    SetDlgItemTextW(dialog, IDC_CANCEL, Wide(Text(Txt::Cancel)));
    const EditorLists lists = BuildEditorLists(ReadToday().year);
    const EditorChoice choice = ChoiceForNote(request->shown, lists);
    FillList(dialog, IDC_YEAR, lists.years, choice.year);
    FillList(dialog, IDC_MONTH, lists.months, choice.month);
    FillList(dialog, IDC_DAY, lists.days, choice.day);
    SendDlgItemMessageW(dialog, IDC_TEXT, EM_LIMITTEXT, kNoteTextSize - 1, 0);
    FillList(dialog, IDC_ADVANCE, lists.advances, choice.advance);
    FillList(dialog, IDC_PERIOD, lists.periods, choice.period);
    SetDlgItemTextW(dialog, IDC_TEXT, WideFromAnsi(NoteText(request->shown)).c_str());
    return FALSE;
}

void OnAccept(HWND dialog) {
    auto* request = reinterpret_cast<EditorRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
    wchar_t text[kNoteTextSize] = {};
    GetDlgItemTextW(dialog, IDC_TEXT, text, static_cast<int>(kNoteTextSize));
    int positions[std::size(kListControls)];
    for (std::size_t i = 0; i < std::size(kListControls); ++i)
        positions[i] = static_cast<int>(SendDlgItemMessageW(dialog, kListControls[i], CB_GETCURSEL, 0, 0));
    EditorChoice choice;
    choice.year = positions[0];
    choice.month = positions[1];
    choice.day = positions[2];
    choice.advance = positions[3];
    choice.period = positions[4];
    request->accepted = NoteFromChoice(choice, AnsiFromWide(text), request->shown);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK NoteEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(dialog, reinterpret_cast<EditorRequest*>(lParam));
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ACCEPT: OnAccept(dialog); break;
                case IDC_CANCEL: SendMessageW(dialog, WM_CLOSE, 0, 0); break;
                default: break;  // Escape does not close the editor
            }
            return TRUE;
        case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
    }
}

}  // namespace

bool EditNote(const Note& note, NoteId replacing) {
    EditorRequest request{note, Note{}};
    const NoteId outerEdit = tray.noteInEditor;
    tray.noteInEditor = replacing;
    const INT_PTR result = RunModalDialog(IDD_NOTE_EDITOR, tray.mainWindow, NoteEditorDialogProc,
                                          reinterpret_cast<LPARAM>(&request));
    tray.noteInEditor = outerEdit;
    if (result != 1) return false;  // the note stays as it is, in the store and on disk
    if (!noteStore) return false;
    ReportSave(noteStore->Replace(replacing, request.accepted), ShowTrayMessageBox);
    WriteNoteDefaults(SystemRegistry(), request.accepted);
    return true;
}
