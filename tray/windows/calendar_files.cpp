#include "calendar_files.h"

#include <shlobj.h>

#include <vector>

#include "calendar_export.h"
#include "calendar_import.h"
#include "calendar_texts.h"
#include "date_rules.h"
#include "install_record.h"
#include "main_window.h"
#include "messages.h"
#include "modal.h"
#include "note_store.h"
#include "product.h"
#include "registry.h"
#include "startup.h"
#include "text_conversions.h"
#include "ui_text.h"
#include "win32_text.h"

namespace {

// Long paths: the dialog fills at most this many characters.
constexpr DWORD kPathCharacters = 32768;

std::wstring DocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return std::wstring();
    return folder;
}

// A filter for the dialog: the shown text, then the patterns, each ended by a NUL, and a
// final NUL.
std::wstring Filter(Txt shown, const wchar_t* patterns) {
    std::wstring filter = Wide(Text(shown));
    filter += L'\0';
    filter += patterns;
    filter += L'\0';
    return filter;
}

std::u16string AsU16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

UtcTime UtcNow() {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    return UtcTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The path the user chose, or an empty one.
std::wstring AskForFile(HWND owner, bool save) {
    std::vector<wchar_t> path(kPathCharacters, L'\0');
    if (save) {
        const wchar_t proposed[] = L"" TOLVEK_PRODUCT_NAME ".ics";
        std::copy(proposed, proposed + sizeof proposed / sizeof proposed[0], path.begin());
    }
    const std::wstring documents = DocumentsFolder();
    const std::wstring filter = save ? Filter(Txt::ExportFilter, L"*.ics") : Filter(Txt::ImportFilter, L"*.ics;*.vcf");
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCharacters;
    dialog.lpstrInitialDir = documents.empty() ? nullptr : documents.c_str();
    dialog.lpstrDefExt = L"ics";
    // The current directory holds the diary: the dialog must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!RunFileDialog(dialog, save)) return std::wstring();
    const std::wstring chosen = path.data();
    // Windows gives a full path; Wine has given the proposed name alone, meant in the
    // folder the dialog opened in.
    const bool relative = chosen.find(L':') == std::wstring::npos && chosen.rfind(L"\\\\", 0) != 0;
    if (relative && !documents.empty()) return documents + L"\\" + chosen;
    return chosen;
}

}  // namespace

void ExportToCalendar(HWND mainWindow) {
    if (ModalWindowOpen() || !noteStore) return;
    const std::wstring path = AskForFile(mainWindow, true);
    // The store outlives the dialog: a shut-down chosen meanwhile waits for this to return.
    if (path.empty() || !noteStore) return;
    std::vector<Note> notes;
    notes.reserve(noteStore->Count());
    for (uint32_t i = 0; i < noteStore->Count(); ++i) notes.push_back(noteStore->At(i));
    const CalendarExport file = ExportCalendar(notes, ReadToday(), UtcNow(), AnsiCodePage());
    const bool written =
        WriteFileWhole(DiskFileSystemByUtf8Name(), Utf8FromWide(path), file.text.data(), file.text.size(), true);
    if (written)
        ShowTrayMessageBox(
            CurrentLanguageBox(ExportedText(file.exported, file.skipped, AsU16(path)), MB_OK | MB_ICONINFORMATION));
    else
        ShowTrayMessageBox(CurrentLanguageBox(FillIn(Text(Txt::ExportFailed), 0, AsU16(path)), MB_OK | MB_ICONWARNING));
}

void ImportFromCalendar(HWND mainWindow) {
    if (ModalWindowOpen() || !noteStore) return;
    const std::wstring path = AskForFile(mainWindow, false);
    if (path.empty() || !noteStore) return;
    Note defaults;
    ReadNoteDefaults(SystemRegistry(), defaults);
    CalendarImport found =
        ImportCalendarFile(DiskFileSystemByUtf8Name(), Utf8FromWide(path), ReadToday(), defaults, AnsiCodePage());
    const std::u16string refusal = ImportRefusalText(found.read, found.verdict, AsU16(path));
    if (!refusal.empty()) {
        ShowTrayMessageBox(CurrentLanguageBox(refusal, MB_OK | MB_ICONWARNING));
        return;
    }
    ImportCounts counts;
    counts.alreadyStored = DropNotesAlreadyStored(*noteStore, found.notes);
    counts.notes = static_cast<uint32_t>(found.notes.size());
    counts.passed = found.passed;
    counts.unreadable = found.unreadable;
    counts.altered = found.altered;
    const MessageBoxText question = CurrentLanguageBox(ImportQuestionText(counts, AsU16(path)), MB_YESNO | MB_ICONQUESTION);
    if (ShowTrayMessageBox(question) != IDYES) return;
    if (!noteStore) return;
    // A reminder pass may have changed the diary while the question was open.
    DropNotesAlreadyStored(*noteStore, found.notes);
    if (found.notes.empty()) return;
    ReportSave(noteStore->AddAll(found.notes), ShowTrayMessageBox);
    SendMessageW(mainWindow, UM_REFRESH_LIST, 0, 0);
}
