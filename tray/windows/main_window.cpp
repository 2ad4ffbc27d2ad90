#include "main_window.h"

#include <commctrl.h>

#include <iterator>
#include <vector>

#include "about_box.h"
#include "calendar_files.h"
#include "confirm_remove.h"
#include "date_rules.h"
#include "display_scale.h"
#include "install_record.h"
#include "list_texts.h"
#include "modal.h"
#include "note_editor.h"
#include "note_store.h"
#include "registry.h"
#include "resource_ids.h"
#include "startup.h"
#include "text_conversions.h"
#include "tray_icon.h"
#include "ui_text.h"
#include "win32_text.h"

TrayState tray;

namespace {

HWND noteListView = nullptr;
HMENU trayMenu = nullptr;
// Kept between additions: a failed read of the defaults leaves the previous ones.
Note newNoteTemplate;

struct Column {
    Txt heading;
    int width;  // pixels at 96 dots per inch; at a larger scale as much more as the list's text grows
    int format;
};
const Column kColumns[] = {
    {Txt::DateLabel, 80, LVCFMT_CENTER}, {Txt::TextLabel, 297, LVCFMT_LEFT}, {Txt::ReminderLabel, 190, LVCFMT_LEFT}};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

int ColumnWidth(int column, UINT dpi) { return ScaledWithFont(noteListView, kColumns[column].width, dpi); }

void BuildTrayMenuAndTexts(HWND window) {
    trayMenu = CreatePopupMenu();
    AppendMenuW(trayMenu, MF_STRING, IDM_RESTORE, Wide(Text(Txt::Restore)));
    AppendMenuW(trayMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(trayMenu, MF_STRING, IDM_EXPORT_CALENDAR, Wide(Text(Txt::ExportMenu)));
    AppendMenuW(trayMenu, MF_STRING, IDM_IMPORT_CALENDAR, Wide(Text(Txt::ImportMenu)));
    AppendMenuW(trayMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(trayMenu, MF_STRING, IDM_SHUTDOWN, Wide(Text(Txt::ShutDown)));
    SetDlgItemTextW(window, IDC_ADD, Wide(Text(Txt::Add)));
    SetDlgItemTextW(window, IDC_MODIFY, Wide(Text(Txt::Modify)));
    SetDlgItemTextW(window, IDC_REMOVE, Wide(Text(Txt::Remove)));
    SetDlgItemTextW(window, IDC_CLOSE, Wide(Text(Txt::Close)));
    SetWindowTextW(window, Wide(Text(Txt::MainTitle)));
}

// The rows as the store was at the last rebuild. The list asks for its texts as it draws
// them, so it holds none itself; it reads this copy, never the store, which a pass may
// change before the next rebuild.
std::vector<NoteStore::StoredNote> listedNotes;

std::wstring CellText(const Note& note, int column) {
    switch (column) {
        case 0: return Wide(DateText(note));
        case 1: return WideFromAnsi(NoteText(note));
        default: return Wide(ReminderText(note));
    }
}

void RefreshList() {
    // Deleting the rows first drops the selection, as rebuilding every row did.
    SendMessageW(noteListView, LVM_DELETEALLITEMS, 0, 0);
    listedNotes.clear();
    const uint32_t count = noteStore ? noteStore->Count() : 0;
    listedNotes.reserve(count);
    for (uint32_t i = 0; i < count; ++i) listedNotes.push_back({noteStore->IdAt(i), noteStore->At(i)});
    SendMessageW(noteListView, LVM_SETITEMCOUNT, count, 0);
    InvalidateRect(noteListView, nullptr, TRUE);
}

void GiveCellText(NMLVDISPINFOW& request) {
    LVITEMW& item = request.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const std::size_t row = static_cast<std::size_t>(item.iItem);
    const std::wstring text = row < listedNotes.size() ? CellText(listedNotes[row].note, item.iSubItem) : L"";
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

// Typing in the list jumps to the next row whose date begins with what was typed; a list
// without texts of its own asks here.
LRESULT FindListedRow(const NMLVFINDITEMW& request) {
    const LVFINDINFOW& find = request.lvfi;
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz || listedNotes.empty()) return -1;
    const std::size_t count = listedNotes.size();
    const std::size_t start = request.iStart >= 0 ? static_cast<std::size_t>(request.iStart) % count : 0;
    const int wanted = lstrlenW(find.psz);
    for (std::size_t step = 0; step < count; ++step) {
        if (start + step >= count && !(find.flags & LVFI_WRAP)) break;
        const std::size_t row = (start + step) % count;
        const std::wstring date = CellText(listedNotes[row].note, 0);
        const int compared = find.flags & LVFI_PARTIAL ? wanted : static_cast<int>(date.size());
        if (static_cast<int>(date.size()) >= compared &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, date.c_str(), compared, find.psz, wanted) ==
                CSTR_EQUAL)
            return static_cast<LRESULT>(row);
    }
    return -1;
}

BOOL OnNotify(HWND window, NMHDR* header) {
    if (header->idFrom != IDC_NOTE_LIST) return FALSE;
    switch (header->code) {
        case LVN_GETDISPINFOW: GiveCellText(*reinterpret_cast<NMLVDISPINFOW*>(header)); return TRUE;
        case LVN_ODFINDITEMW:
            SetWindowLongPtrW(window, DWLP_MSGRESULT, FindListedRow(*reinterpret_cast<NMLVFINDITEMW*>(header)));
            return TRUE;
        default:
            return FALSE;
    }
}

// The template's list keeps a copy of every text it shows: with a large diary, most of
// the program's memory. A list of the same place, styles, font and tab order that asks
// for its texts as it draws them takes its place; the style cannot be added later.
HWND ListWithoutOwnTexts(HWND window) {
    const HWND templateList = GetDlgItem(window, IDC_NOTE_LIST);
    RECT place = {};
    GetWindowRect(templateList, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    wchar_t title[64] = {};
    GetWindowTextW(templateList, title, 64);
    const LONG_PTR style = GetWindowLongPtrW(templateList, GWL_STYLE) | LVS_OWNERDATA;
    const HWND list = CreateWindowExW(static_cast<DWORD>(GetWindowLongPtrW(templateList, GWL_EXSTYLE)),
                                      WC_LISTVIEWW, title, static_cast<DWORD>(style), place.left, place.top,
                                      place.right - place.left, place.bottom - place.top, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_NOTE_LIST)),
                                      GetModuleHandleW(nullptr), nullptr);
    if (!list) return templateList;
    SendMessageW(list, WM_SETFONT, SendMessageW(templateList, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(list, templateList, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(templateList);
    return list;
}

BOOL OnInitDialog(HWND window) {
    BuildTrayMenuAndTexts(window);
    if (languageIndex >= 0 && languageIndex < kLanguageCount)
        CheckRadioButton(window, IDC_ENGLISH, IDC_SLOVAK, IDC_ENGLISH + languageIndex);
    noteListView = ListWithoutOwnTexts(window);
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = kColumns[i].format;
        column.cx = ColumnWidth(i, WindowDpi(window));
        column.pszText = const_cast<wchar_t*>(Wide(Text(kColumns[i].heading)));
        column.iSubItem = i;
        SendMessageW(noteListView, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(noteListView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SetProgramIcons(window, WindowDpi(window));
    PostMessageW(window, UM_REFRESH_LIST, 0, 0);
    return TRUE;
}

// Moved to a monitor of another scale. The system re-lays the dialog's controls and
// fonts (per-monitor awareness version 2); the pixel sizes of our own are ours to scale.
BOOL OnDpiChanged(HWND window, UINT dpi, const RECT& suggested) {
    for (int i = 0; i < kColumnCount; ++i) SendMessageW(noteListView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), ColumnWidth(i, dpi));
    SetProgramIcons(window, dpi);
    RescaleTrayIcon(dpi);
    if (SystemRescalesDialogs(window)) return FALSE;  // the dialog manager moves and sizes it
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

void OnLanguageChanged(HWND window) {
    DestroyMenu(trayMenu);
    BuildTrayMenuAndTexts(window);
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<wchar_t*>(Wide(Text(kColumns[i].heading)));
        SendMessageW(noteListView, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(window, UM_REFRESH_LIST, 0, 0);
}

void ChooseLanguage(HWND window, int32_t index) {
    ApplyLanguage(index);
    SendMessageW(window, UM_LANGUAGE_CHANGED, 0, 0);
}

void OnAdd(HWND window) {
    const Today today = ReadToday();
    ReadNoteDefaults(SystemRegistry(), newNoteTemplate);
    newNoteTemplate.year = today.year;
    newNoteTemplate.month = today.month;
    newNoteTemplate.day = today.day;
    EditNote(newNoteTemplate, kNoNote);
    SendMessageW(window, UM_REFRESH_LIST, 0, 0);
}

// The note of the row the user selected last, by identity; false when there is none.
bool SelectedNote(NoteId& id, uint32_t& position) {
    if (!noteStore) return false;
    const LRESULT mark = SendMessageW(noteListView, LVM_GETSELECTIONMARK, 0, 0);
    if (mark < 0 || static_cast<uint64_t>(mark) >= listedNotes.size()) return false;
    id = listedNotes[static_cast<std::size_t>(mark)].id;
    return noteStore->Find(id, position);
}

void OnModify(HWND window) {
    NoteId id = kNoNote;
    uint32_t position = 0;
    if (!SelectedNote(id, position)) return;
    // The note stays stored until the editor is accepted: nothing is lost if the program
    // ends while the editor is open.
    EditNote(noteStore->At(position), id);
    SendMessageW(window, UM_REFRESH_LIST, 0, 0);
}

void OnRemove(HWND window) {
    NoteId id = kNoNote;
    uint32_t position = 0;
    if (!SelectedNote(id, position)) return;
    ConfirmRemove(window, id);
    SendMessageW(window, UM_REFRESH_LIST, 0, 0);
}

void OnCommand(HWND window, int control) {
    switch (control) {
        case IDC_ADD: OnAdd(window); break;
        case IDC_MODIFY: OnModify(window); break;
        case IDC_REMOVE: OnRemove(window); break;
        case IDC_INFO: ShowAbout(window); break;
        case IDC_CLOSE: SendMessageW(window, WM_CLOSE, 0, 0); break;
        case IDC_ENGLISH: ChooseLanguage(window, 0); break;
        case IDC_CZECH: ChooseLanguage(window, 1); break;
        case IDC_SLOVAK: ChooseLanguage(window, 2); break;
        default: break;
    }
}

BOOL OnTrayCallback(HWND window, LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            ShowWindow(window, SW_RESTORE);
            return TRUE;
        case WM_RBUTTONDOWN: {
            POINT cursor = {};
            GetCursorPos(&cursor);
            // Without being foreground the menu would not close on a click elsewhere.
            SetForegroundWindow(window);
            // No export or import inside another dialog, and none twice.
            const UINT calendarState = MF_BYCOMMAND | (ModalWindowOpen() ? MF_GRAYED : MF_ENABLED);
            EnableMenuItem(trayMenu, IDM_EXPORT_CALENDAR, calendarState);
            EnableMenuItem(trayMenu, IDM_IMPORT_CALENDAR, calendarState);
            const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
                trayMenu, TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_RIGHTALIGN, cursor.x, cursor.y, window, nullptr));
            if (chosen == IDM_RESTORE) ShowWindow(window, SW_RESTORE);
            if (chosen == IDM_EXPORT_CALENDAR) ExportToCalendar(window);
            if (chosen == IDM_IMPORT_CALENDAR) ImportFromCalendar(window);
            if (chosen == IDM_SHUTDOWN) RequestShutDown(window);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void ShutDown() {
    if (!BeginShutDown()) return;  // a posted and a sent request may both arrive
    RemoveTrayIcon();
    if (noteStore) {
        const bool saved = noteStore->Close();
        noteStore.reset();
        ReportSave(saved, ShowTrayMessageBox);
    }
    ReleaseMutex(tray.instanceMutex);
    CloseHandle(tray.instanceMutex);
    tray.instanceMutex = nullptr;
    DestroyMenu(trayMenu);
    trayMenu = nullptr;
    PostQuitMessage(0);
}

}  // namespace

void CreateMainWindow() {
    // The stored template is visible: created from it, the window would flash up and take
    // the focus at every logon before it could be hidden. A copy without WS_VISIBLE
    // creates it hidden; the tray icon shows it.
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_MAIN), MAKEINTRESOURCEW(5));  // RT_DIALOG
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* stored = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
    const DWORD size = stored ? SizeofResource(module, found) : 0;
    if (size < sizeof(DLGTEMPLATE)) return;
    std::vector<unsigned char> copy(stored, stored + size);
    auto* hidden = reinterpret_cast<DLGTEMPLATE*>(copy.data());
    hidden->style &= ~static_cast<DWORD>(WS_VISIBLE);
    tray.mainWindow = CreateDialogIndirectParamW(module, hidden, nullptr, MainDialogProc, 0);
}

HMENU TrayMenu() { return trayMenu; }

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TaskbarCreatedMessage() && message != 0) {
        AddTrayIcon();  // the shell restarted and forgot every icon
        return TRUE;
    }
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog(window);
        case WM_COMMAND: OnCommand(window, LOWORD(wParam)); return TRUE;
        case WM_CLOSE: ShowWindow(window, SW_HIDE); return TRUE;
        case UM_TRAY_CALLBACK: return OnTrayCallback(window, lParam);
        case UM_LANGUAGE_CHANGED: OnLanguageChanged(window); return TRUE;
        case UM_REFRESH_LIST: RefreshList(); return TRUE;
        case WM_NOTIFY: return OnNotify(window, reinterpret_cast<NMHDR*>(lParam));
        case WM_DPICHANGED: return OnDpiChanged(window, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        case WM_ENDSESSION:
            // The session ends without "Shut down": keep a language change or a refusal.
            if (wParam && noteStore) noteStore->Save();
            return TRUE;
        case WM_DESTROY: ShutDown(); return TRUE;
        default: return FALSE;
    }
}
