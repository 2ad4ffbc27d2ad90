// "Export to calendar..." and "Import from calendar..." in the tray menu: the real Save and
// Open dialogs, the file written, the question answered, and the Save dialog ended by a shut-down.
#include <algorithm>

#include <shlobj.h>

#include "program_fixture.h"

namespace {

class CalendarMenuTest : public TrayProgramTest {
protected:
    void SetUp() override {
        TrayProgramTest::SetUp();
        SetToday(2004, 6, 15);
    }
    std::string WideFile(const std::wstring& path) const {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "(missing)";
        std::string bytes(1 << 20, '\0');
        DWORD got = 0;
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(file);
        bytes.resize(got);
        return bytes;
    }
    static void WriteWideFile(const std::wstring& path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    // Types a path into the file dialog's name box and presses its Open or Save button.
    static void ChooseInFileDialog(HWND dialog, const std::wstring& path) {
        if (!path.empty())
            for (int box : {0x47c /* cmb13 */, 0x480 /* edt1 */})
                if (GetDlgItem(dialog, box)) SetDlgItemTextW(dialog, box, path.c_str());
        Robot::Press(dialog, IDOK);
    }
};

// The user's Documents folder moved, for one test, to a folder named in Greek and Cyrillic
// letters (a user name in another script): none of them is in the ANSI code page.
class ForeignDocumentsTest : public CalendarMenuTest {
protected:
    static constexpr const wchar_t* kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    void SetUp() override {
        CalendarMenuTest::SetUp();
        documents = Widen(directory) + L"\\\u0391\u03bd\u03bd\u03b1 \u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b";
        ASSERT_TRUE(CreateDirectoryW(documents.c_str(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        DWORD size = sizeof previous;
        hadPrevious = RegQueryValueExW(key, L"Personal", nullptr, &previousType, reinterpret_cast<BYTE*>(previous), &size) == ERROR_SUCCESS;
        SetPersonal(REG_SZ, documents.c_str());
        wchar_t seen[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, seen);
        ASSERT_EQ(documents, std::wstring(seen)) << "Documents did not move";
    }
    void TearDown() override {
        if (key) {
            if (hadPrevious) SetPersonal(previousType, previous);
            else RegDeleteValueW(key, L"Personal");
            RegCloseKey(key);
        }
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((documents + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((documents + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(documents.c_str());
        CalendarMenuTest::TearDown();
    }
    void SetPersonal(DWORD type, const wchar_t* value) {
        RegSetValueExW(key, L"Personal", 0, type, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    }
    // Imports `path` through the Open dialog, answering the question with `answer`.
    void Import(const std::wstring& path, int answer) {
        robot.ThenDo([] { ChooseFromTrayMenu(IDM_IMPORT_CALENDAR); });
        robot.ThenAnswer([path](HWND dialog) { ChooseInFileDialog(dialog, path); });
        robot.ThenAnswer([answer](HWND box) { Robot::Press(box, answer); });
    }
    void ThenShutDown() {
        robot.ThenDo([&] {
            rows = ListRows();
            ChooseFromTrayMenu(IDM_SHUTDOWN);
        });
    }

    std::wstring documents;
    HKEY key = nullptr;
    bool hadPrevious = false;
    DWORD previousType = REG_SZ;
    wchar_t previous[MAX_PATH] = {};
    std::vector<std::vector<std::wstring>> rows;
};

// Each note's stored fields, to compare diaries.
std::vector<std::string> Described(const std::vector<Note>& notes) {
    std::vector<std::string> described;
    for (const Note& note : notes)
        described.push_back(std::to_string(note.year) + "-" + std::to_string(note.month) + "-" + std::to_string(note.day) +
                            " " + std::to_string(note.period) + "/" + std::to_string(note.advance) + " " + NoteText(note));
    return described;
}

// A diary and two files written as other programs write them: an all-day event, a yearly
// birthday with a folded line, a passed event, and an address book with two birthdays.
const char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Example//Calendar//EN\r\n"
    "BEGIN:VEVENT\r\nUID:a1\r\nDTSTART;VALUE=DATE:20041224\r\nSUMMARY:Christmas party\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a2\r\nDTSTART;VALUE=DATE:19990303\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:Petr's bir\r\n thday\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:a3\r\nDTSTART;VALUE=DATE:20000101\r\nSUMMARY:Long gone\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";
const char kContacts[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Eva Novak\r\nBDAY:1980-05-07\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jan\r\nBDAY:--0911\r\nEND:VCARD\r\n";

TEST_F(CalendarMenuTest, MenuHasBothItemsInOrderInEveryLanguage) {
    PutNotes({}, 1);
    std::vector<UINT> ids;
    std::vector<std::wstring> czech, slovak, english;
    auto texts = [] {
        return std::vector<std::wstring>{MenuText(IDM_RESTORE), MenuText(IDM_EXPORT_CALENDAR),
                                         MenuText(IDM_IMPORT_CALENDAR), MenuText(IDM_SHUTDOWN)};
    };
    robot.ThenDo([&] {
        for (int i = 0; i < GetMenuItemCount(TrayMenu()); ++i) ids.push_back(GetMenuItemID(TrayMenu(), i));
        czech = texts();
        SendDlgItemMessageW(tray.mainWindow, IDC_SLOVAK, BM_CLICK, 0, 0);
        slovak = texts();
        SendDlgItemMessageW(tray.mainWindow, IDC_ENGLISH, BM_CLICK, 0, 0);
        english = texts();
        ChooseFromTrayMenu(IDM_SHUTDOWN);
    });
    EXPECT_EQ(0, Run());
    // Separators have the identifier 0.
    EXPECT_EQ(std::vector<UINT>({IDM_RESTORE, 0, 0xFF02, 0xFF03, 0, IDM_SHUTDOWN}), ids);
    EXPECT_EQ(std::vector<std::wstring>({L"Ukázat", L"Exportovat do kalendáře...", L"Importovat z kalendáře...", L"Vypnout"}), czech);
    EXPECT_EQ(std::vector<std::wstring>({L"Ukázať", L"Exportovať do kalendára...", L"Importovať z kalendára...", L"Vypnúť"}), slovak);
    EXPECT_EQ(std::vector<std::wstring>({L"Restore", L"Export to calendar...", L"Import from calendar...", L"Shut down"}), english);
    EXPECT_TRUE(robot.Opened().empty());
}

// The shut-down comes from an answer: it is chosen while the dialog is open.
TEST_F(CalendarMenuTest, ShutDownEndsTheFileDialogAsIfCancelled) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_EXPORT_CALENDAR); });
    bool modalInDialog = false;
    robot.ThenAnswer([&](HWND) {
        modalInDialog = ModalWindowOpen();  // what greys the calendar items
        Later(10, [] { ChooseFromTrayMenu(IDM_SHUTDOWN); });
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(modalInDialog);
    ASSERT_FALSE(robot.Opened().empty());
    EXPECT_EQ(L"Save As", robot.Opened()[0].title);
    EXPECT_EQ(nullptr, noteStore);
    EXPECT_EQ(1u, robot.Opened().size()) << "no box after the cancelled dialog";
    ASSERT_EQ(1u, NotesOf(File("tolvek.dat")).size());
    wchar_t documents[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    EXPECT_EQ("(missing)", WideFile(std::wstring(documents) + L"\\Tolvek Diary.ics"));
}

TEST_F(ForeignDocumentsTest, ExportWritesTheWholeDiaryIntoDocumentsAndSaysHowManyNotesWent) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana"), MakeNote(2004, 12, 24, 1, 2, "Gifts; wrap, hide")});
    std::wstring dialogTitle, box;
    robot.ThenDo([] { ChooseFromTrayMenu(IDM_EXPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) {
        dialogTitle = Robot::TextOf(dialog);
        ChooseInFileDialog(dialog, L"");  // the proposed name, in the folder it opened in
    });
    robot.ThenAnswer([&](HWND answered) {
        box = Robot::ControlText(answered, 0xFFFF);
        Robot::Press(answered, IDOK);
    });
    ThenShutDown();
    EXPECT_EQ(0, Run());
    const std::wstring path = documents + L"\\Tolvek Diary.ics";
    EXPECT_EQ(L"Save As", dialogTitle);
    EXPECT_EQ(L"2 notes were exported to " + path + L".", box);
    const std::string file = WideFile(path);
    ASSERT_GT(file.size(), 30u) << file;
    EXPECT_EQ(0u, file.find("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n")) << "no byte-order mark, CRLF";
    EXPECT_EQ(file.size() - 15, file.rfind("END:VCALENDAR\r\n"));
    EXPECT_NE(std::string::npos, file.find("\r\nSUMMARY:Jana\r\n"));
    EXPECT_NE(std::string::npos, file.find("\r\nRRULE:FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=29\r\n"));
    EXPECT_NE(std::string::npos, file.find("\r\nSUMMARY:Gifts\\; wrap\\, hide\r\n"));
    EXPECT_NE(std::string::npos, file.find("\r\nDTSTART;VALUE=DATE:20041224\r\n"));
    std::size_t events = 0;
    for (std::size_t at = file.find("BEGIN:VEVENT"); at != std::string::npos; at = file.find("BEGIN:VEVENT", at + 1)) ++events;
    EXPECT_EQ(2u, events);
    for (std::size_t at = 0; (at = file.find('\n', at)) != std::string::npos; ++at) ASSERT_EQ('\r', file[at - 1]) << at;
    EXPECT_EQ(2u, NotesOf(File("tolvek.dat")).size());
}

TEST_F(ForeignDocumentsTest, ImportAnsweredYesAddsTheNotesOfACalendarAndAnAddressBookAndSavesThem) {
    PutNotes({MakeNote(0, 9, 11, 2, 4, "Jan")});
    const std::wstring calendar = documents + L"\\other.ics", contacts = documents + L"\\phone.vcf";
    WriteWideFile(calendar, kCalendar);
    WriteWideFile(contacts, kContacts);
    Import(calendar, IDYES);
    std::vector<Note> afterCalendar;
    robot.ThenDo([&] { afterCalendar = NotesOf(File("tolvek.dat")); });
    Import(contacts, IDYES);
    ThenShutDown();
    EXPECT_EQ(0, Run());
    ASSERT_EQ(4u, robot.Opened().size());
    EXPECT_EQ(L"Open", robot.Opened()[0].title);
    EXPECT_EQ(L"Import 2 notes from " + calendar + L"?\n\nAlready passed, not imported: 1", robot.Opened()[1].text);
    EXPECT_EQ(std::vector<int>({IDYES, IDNO}), robot.Opened()[1].buttons);
    EXPECT_EQ(L"Import 1 note from " + contacts + L"?\n\nAlready in the diary, skipped: 1", robot.Opened()[3].text);
    EXPECT_EQ(3u, afterCalendar.size()) << "saved at Yes, before the next import";
    const std::vector<Note> saved = NotesOf(File("tolvek.dat"));
    std::vector<std::string> texts;
    for (const Note& note : saved) texts.push_back(NoteText(note));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(std::vector<std::string>({"Christmas party", "Eva Novak", "Jan", "Petr's birthday"}), texts);
    EXPECT_EQ(4u, rows.size()) << "the list shows them";
}

TEST_F(ForeignDocumentsTest, ImportAnsweredNoChangesNothing) {
    PutNotes({MakeNote(0, 9, 11, 2, 4, "Jan")});
    const std::vector<std::string> before = Described(NotesOf(File("tolvek.dat")));
    const std::wstring calendar = documents + L"\\other.ics";
    WriteWideFile(calendar, kCalendar);
    Import(calendar, IDNO);
    ThenShutDown();
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, robot.Opened().size());
    EXPECT_EQ(L"Import 2 notes from " + calendar + L"?\n\nAlready passed, not imported: 1", robot.Opened()[1].text);
    EXPECT_EQ(before, Described(NotesOf(File("tolvek.dat")))) << "saved at shut-down as it was";
    EXPECT_EQ(1u, rows.size());
}

// No export or import starts inside another window, and none runs twice.
TEST_F(CalendarMenuTest, BothItemsAreGreyedWhileAModalWindowIsOpenAndEnabledOtherwise) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    std::vector<UINT> inEditor, inBox, after;
    robot.ThenDo([&] { SendMessageW(tray.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED), 0); });
    robot.ThenAnswer([&](HWND editor) {
        Later(10, [&, editor] {
            inEditor = CalendarItemStates();
            Robot::Press(editor, IDC_CANCEL);
        });
    });
    robot.ThenDo([&] { SendMessageW(tray.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_INFO, BN_CLICKED), 0); });
    robot.ThenAnswer([&](HWND about) {
        Later(10, [&, about] {
            inBox = CalendarItemStates();
            Robot::Press(about, IDC_ACCEPT);
        });
    });
    robot.ThenDo([&] {
        after = CalendarItemStates();
        ChooseFromTrayMenu(IDM_SHUTDOWN);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<UINT>({MF_GRAYED, MF_GRAYED}), inEditor);
    EXPECT_EQ(std::vector<UINT>({MF_GRAYED, MF_GRAYED}), inBox);
    EXPECT_EQ(std::vector<UINT>({MF_ENABLED, MF_ENABLED}), after);
}

}  // namespace
