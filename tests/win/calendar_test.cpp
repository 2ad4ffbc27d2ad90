// "Export to calendar..." and "Import from calendar..." through the tray menu and the
// system's real file dialogs, into and out of a folder whose name is in another script.
#include <shlobj.h>

#include "calendar_texts.h"
#include "code_pages.h"
#include "program_fixture.h"

namespace {

// The file dialog's name field: the explorer-style dialog's combo box, or the edit of older ones.
void ChooseFileInDialog(HWND dialog, const std::wstring& path) {
    HWND name = GetDlgItem(dialog, 0x47C);  // cmb13
    if (!name) name = GetDlgItem(dialog, 0x480);  // edt1
    SetWindowTextW(name, path.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

class CalendarMenuTest : public TrayProgramTest {
protected:
    void SetUp() override {
        TrayProgramTest::SetUp();
        SetToday(2004, 6, 15);
        // Cyrillic and Czech in one folder name: neither fits the ANSI code page.
        folder = Widen(directory) + L"\\\x0414\x043D\x0435\x0432\x043D\x0438\x043A \x017D\x006F\x0066\x0069\x0065";
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const wchar_t* name : {L"\\diary.ics", L"\\contacts.vcf", L"\\diary.ics.new"})
            DeleteFileW((folder + name).c_str());
        RemoveDirectoryW(folder.c_str());
        TrayProgramTest::TearDown();
    }
    void PutNotes(const std::vector<Note>& notes, int32_t language = 0) {
        WriteFileBytes(directory + "\\tolvek.dat", NotesFile(notes, language));
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
    void WriteWideFile(const std::wstring& path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        CloseHandle(file);
    }
    std::wstring folder;
};

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

TEST_F(CalendarMenuTest, ExportWritesTheFileWhereTheSaveDialogPointsAndSaysSo) {
    bool altered = false;
    const Note czech = MakeNote(0, 4, 31, 1, 3, AnsiCodePage().FromUtf8("Narozeniny \xC5\xBDofie", altered));
    PutNotes({czech, MakeNote(2004, 7, 1, 2, 4, "Trip")});
    const std::wstring target = folder + L"\\diary.ics";
    std::wstring proposed;
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_EXPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) {
        HWND name = GetDlgItem(dialog, 0x47C);
        proposed = Robot::TextOf(name ? name : GetDlgItem(dialog, 0x480));
        ChooseFileInDialog(dialog, target);
    });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_SHUTDOWN); });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Tolvek Diary", proposed.substr(0, 12));
    ASSERT_EQ(2u, robot.Opened().size());
    EXPECT_EQ(L"2 notes were exported to " + target + L".", robot.Opened()[1].text);
    const std::string written = WideFile(target);
    EXPECT_EQ("BEGIN:VCALENDAR\r\n", written.substr(0, 17));
    EXPECT_NE(std::string::npos, written.find("\r\nDTSTART;VALUE=DATE:20050430\r\n")) << "31 April on the 30th";
    EXPECT_EQ("(missing)", WideFile(target + L".new"));
    // Read back, it gives the same notes.
    const CalendarImport back = ReadCalendarFile(written, ReadToday(), Note(), AnsiCodePage());
    ASSERT_EQ(2u, back.notes.size());
    EXPECT_EQ(NoteText(czech), NoteText(back.notes[0]));
    EXPECT_EQ(3, back.notes[0].advance);
}

TEST_F(CalendarMenuTest, ImportAsksOnceAndAddsTheNotesInOneSave) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    const std::wstring source = folder + L"\\contacts.vcf";
    WriteWideFile(source, "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jana\r\nBDAY:--0429\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Petr\r\nBDAY:1970-12-24\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Eva\r\nBDAY:--0101\r\nEND:VCARD\r\n"
                          "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Broken\r\nBDAY:sometime\r\nEND:VCARD\r\n");
    std::vector<std::vector<std::wstring>> rows;
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_IMPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) { ChooseFileInDialog(dialog, source); });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDYES); });
    robot.ThenDo([&] {
        rows = ListRows();
        ChooseFromTrayMenu(IDM_SHUTDOWN);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, robot.Opened().size());
    EXPECT_EQ(L"Import 2 notes from " + source +
                  L"?\n\nAlready in the diary, skipped: 1\nCould not be read, skipped: 1",
              robot.Opened()[1].text);
    EXPECT_EQ(std::vector<int>({IDYES, IDNO}), robot.Opened()[1].buttons);
    const std::vector<Note> saved = NotesOf(File("tolvek.dat"));
    ASSERT_EQ(3u, saved.size());
    ASSERT_EQ(3u, rows.size());
    // By next occurrence from 15 June 2004.
    EXPECT_EQ(L"Petr", rows[0][1]);
    EXPECT_EQ(L"Eva", rows[1][1]);
    EXPECT_EQ(L"Jana", rows[2][1]);
}

TEST_F(CalendarMenuTest, ImportAnsweredNoAndBadFilesChangeNothing) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    const std::string before = File("tolvek.dat");
    const std::wstring source = folder + L"\\contacts.vcf";
    WriteWideFile(source, "BEGIN:VCARD\r\nFN:Petr\r\nBDAY:--1224\r\nEND:VCARD\r\n");
    const std::wstring letter = folder + L"\\diary.ics";
    WriteWideFile(letter, "Dear Petr,\r\nhere is no calendar.\r\n");
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_IMPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) { ChooseFileInDialog(dialog, source); });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDNO); });
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_IMPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) { ChooseFileInDialog(dialog, letter); });
    robot.ThenAnswer([](HWND box) { Robot::Press(box, IDOK); });
    robot.ThenDo([&] { RequestShutDown(tray.mainWindow); });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(4u, robot.Opened().size());
    EXPECT_EQ(L"Import 1 note from " + source + L"?", robot.Opened()[1].text);
    EXPECT_EQ(letter + L" is neither a calendar nor an address book. Nothing was imported.", robot.Opened()[3].text);
    const std::vector<Note> saved = NotesOf(File("tolvek.dat"));
    ASSERT_EQ(1u, saved.size());
    EXPECT_EQ("Jana", NoteText(saved[0]));
}

// Opens the tray menu and closes it again with Escape; gives whether the calendar items were greyed.
bool CalendarItemsGreyedInMenu() {
    menuTimer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        KillTimer(nullptr, menuTimer);
        PostMessageW(tray.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_RBUTTONDOWN);
    const UINT exportState = GetMenuState(TrayMenu(), IDM_EXPORT_CALENDAR, MF_BYCOMMAND);
    const UINT importState = GetMenuState(TrayMenu(), IDM_IMPORT_CALENDAR, MF_BYCOMMAND);
    return (exportState & MF_GRAYED) && (importState & MF_GRAYED);
}

TEST_F(CalendarMenuTest, ItemsAreGreyedWhileAModalWindowIsOpen) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    bool greyedInAbout = false, greyedInFileDialog = false, greyedAfter = true;
    robot.ThenDo([&] { SendMessageW(tray.mainWindow, WM_COMMAND, IDC_INFO, 0); });
    robot.ThenAnswer([&](HWND about) {
        Later(10, [&, about] {
            greyedInAbout = CalendarItemsGreyedInMenu();
            Robot::Press(about, IDC_ACCEPT);
        });
    });
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_IMPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND dialog) {
        Later(10, [&, dialog] {
            greyedInFileDialog = CalendarItemsGreyedInMenu();
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    });
    robot.ThenDo([&] {
        greyedAfter = CalendarItemsGreyedInMenu();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(greyedInAbout);
    EXPECT_TRUE(greyedInFileDialog);
    EXPECT_FALSE(greyedAfter);
    EXPECT_EQ(2u, robot.Opened().size()) << "the about box and one file dialog, nothing more";
}

TEST_F(CalendarMenuTest, ShutDownEndsTheFileDialogAsIfCancelled) {
    PutNotes({MakeNote(0, 4, 29, 2, 4, "Jana")});
    robot.ThenDo([&] { ChooseFromTrayMenu(IDM_EXPORT_CALENDAR); });
    robot.ThenAnswer([&](HWND) { Later(10, [] { ChooseFromTrayMenu(IDM_SHUTDOWN); }); });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(nullptr, noteStore);
    EXPECT_EQ(1u, robot.Opened().size()) << "no box after the cancelled dialog";
    ASSERT_EQ(1u, NotesOf(File("tolvek.dat")).size());
    EXPECT_EQ("(missing)", WideFile(folder + L"\\diary.ics"));
}

}  // namespace
