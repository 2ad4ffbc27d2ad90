// The main window's list and commands with the real editor, confirmation and about box,
// and a shut-down chosen from inside each of them.
#include "program_fixture.h"

namespace {

class MainWindowTest : public TrayProgramTest {
protected:
    void SetUp() override {
        TrayProgramTest::SetUp();
        SetToday(2004, 6, 15);
    }
    void Press(int control) { SendMessageW(tray.mainWindow, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), 0); }
};

TEST_F(MainWindowTest, ListShowsTheNotesInOrderWithTheirDateAndReminderTexts) {
    PutNotes({MakeNote(0, 0, 1, 1, 1, "first of every month"), MakeNote(2004, 12, 24, 2, 0, "Christmas Eve"),
              MakeNote(0, 2, 29, 0, 4, "leap day"), MakeNote(2004, 0, 20, 1, 9, "damaged advance"),
              MakeNote(2003, 3, 5, 7, -1, "passed, damaged", 1)});
    std::vector<std::vector<std::wstring>> rows;
    robot.ThenDo([&] {
        rows = ListRows();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    const std::vector<std::vector<std::wstring>> expected = {
        {L"5. 3. 2003", L"passed, damaged", L" "},
        {L"20. --. 2004", L"damaged advance", L" on startup"},
        {L"1. --. ----", L"first of every month", L"A week in advance on startup"},
        {L"24. 12. 2004", L"Christmas Eve", L"A month in advance once an hour"},
        {L"29. 2. ----", L"leap day", L"That day every monday"},
    };
    EXPECT_EQ(expected, rows);
}

// The list shows the store as it was at the last rebuild, whatever happened to the store
// since (a pass may remove a note before its rebuild), and a command acts on the note the
// selected row shows, never on whatever note has moved to its position.
TEST_F(MainWindowTest, ListShowsTheStoreOfTheLastRebuildAndCommandsActOnTheShownNote) {
    PutNotes({MakeNote(0, 0, 1, 2, 4, "one"), MakeNote(0, 0, 2, 2, 4, "two"), MakeNote(0, 0, 3, 2, 4, "three")});
    std::vector<std::vector<std::wstring>> before, underneath, rebuilt;
    robot.ThenDo([&] {
        before = ListRows();
        SelectRow(0);
        noteStore->RemoveAt(0);  // as a pass would, before its rebuild
        noteStore->At(0).day = 9;
        underneath = ListRows();
        Press(IDC_REMOVE);  // the selected row's note is gone: nothing to ask
        Press(IDC_MODIFY);
        SendMessageW(tray.mainWindow, UM_REFRESH_LIST, 0, 0);
        rebuilt = ListRows();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(3u, before.size());
    EXPECT_EQ(before, underneath) << "no row changes before the rebuild";
    ASSERT_EQ(2u, rebuilt.size());
    EXPECT_EQ(L"9. --. ----", rebuilt[0][0]);
    EXPECT_EQ(L"two", rebuilt[0][1]);
    EXPECT_EQ(L"three", rebuilt[1][1]);
    EXPECT_TRUE(robot.Opened().empty()) << "neither the confirmation nor the editor for another note";
    EXPECT_EQ(2u, SavedNotes().size());
}

// Typing in the list goes to the first row whose date begins with the typed text; the list
// finds rows by the beginning of their date or by the whole date.
TEST_F(MainWindowTest, TypingInTheListGoesToTheRowsWhoseDateBeginsSo) {
    PutNotes({MakeNote(2005, 3, 5, 2, 4, "march"), MakeNote(2005, 12, 24, 2, 4, "eve"),
              MakeNote(2005, 12, 25, 2, 4, "day")});
    std::vector<int> focused, found;
    robot.ThenDo([&] {
        SetFocus(NoteList());
        for (wchar_t typed : {L'2'}) {
            SendMessageW(NoteList(), WM_CHAR, typed, 1);  // a repeat count of 1
            focused.push_back(static_cast<int>(SendMessageW(NoteList(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
        }
        for (const wchar_t* date : {L"24", L"5. 3. 2005", L"5. 3.", L"7"}) {
            LVFINDINFOW find = {};
            find.flags = LVFI_PARTIAL | LVFI_WRAP;
            if (wcslen(date) > 2) find.flags = LVFI_STRING;
            find.psz = date;
            found.push_back(static_cast<int>(
                SendMessageW(NoteList(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find))));
        }
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<int>({1}), focused) << "24. 12. 2005";
    EXPECT_EQ(std::vector<int>({1, 0, -1, -1}), found) << "\"24\" begins a date; \"5. 3.\" is no whole date";
}

TEST_F(MainWindowTest, AddStartsFromTodayAndTheDefaultsAndStoresTheAcceptedNote) {
    SetToday(2004, 12, 7);
    PutNotes({MakeNote(0, 0, 10, 2, 4, "tenth")});
    Note defaults;
    defaults.advance = 2;
    defaults.period = 2;
    ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(SystemRegistry(), defaults));
    int year = -9, month = -9, day = -9, advance = -9, period = -9;
    std::wstring title, text, dateLabel, accept;
    robot.ThenDo([&] { Press(IDC_ADD); });
    robot.ThenAnswer([&](HWND editor) {
        title = Robot::TextOf(editor);
        dateLabel = Robot::ControlText(editor, IDC_DATE_LABEL);
        accept = Robot::ControlText(editor, IDC_ACCEPT);
        year = Selection(editor, IDC_YEAR);
        month = Selection(editor, IDC_MONTH);
        day = Selection(editor, IDC_DAY);
        advance = Selection(editor, IDC_ADVANCE);
        period = Selection(editor, IDC_PERIOD);
        text = Robot::ControlText(editor, IDC_TEXT);
        SetDlgItemTextW(editor, IDC_TEXT, L"Dentist");
        SendDlgItemMessageW(editor, IDC_ADVANCE, CB_SETCURSEL, 4, 0);
        SendDlgItemMessageW(editor, IDC_PERIOD, CB_SETCURSEL, 1, 0);
        Robot::Press(editor, IDC_ACCEPT);
    });
    std::vector<std::vector<std::wstring>> rows;
    robot.ThenDo([&] {
        rows = ListRows();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Add to Diary", title);
    EXPECT_EQ(L"Date:", dateLabel);
    EXPECT_EQ(L"Accept", accept);
    EXPECT_EQ(2, year) << "2004";
    EXPECT_EQ(12, month);
    EXPECT_EQ(6, day) << "the 7th";
    EXPECT_EQ(2, advance);
    EXPECT_EQ(2, period);
    EXPECT_EQ(L"", text);
    const std::vector<Note> saved = SavedNotes();
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("Dentist", NoteText(saved[0]));
    EXPECT_EQ(2004, saved[0].year);
    EXPECT_EQ(12, saved[0].month);
    EXPECT_EQ(7, saved[0].day);
    EXPECT_EQ(4, saved[0].advance);
    EXPECT_EQ(1, saved[0].period);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"Dentist", rows[0][1]);
    Note next;
    ReadNoteDefaults(SystemRegistry(), next);
    EXPECT_EQ(4, next.advance) << "the accepted note's pair is the next default";
    EXPECT_EQ(1, next.period);
}

TEST_F(MainWindowTest, ModifyCancelledLeavesTheNoteAndTheFileAsTheyWere) {
    PutNotes({MakeNote(2004, 3, 5, 2, 4, "kept as it is", 1), MakeNote(0, 0, 20, 1, 4, "other")});
    std::string fileWhileEditing;
    int year = -9, month = -9, day = -9;
    std::wstring text, title;
    robot.ThenDo([&] {
        SelectRow(0);
        Press(IDC_MODIFY);
    });
    robot.ThenAnswer([&](HWND editor) {
        title = Robot::TextOf(editor);
        year = Selection(editor, IDC_YEAR);
        month = Selection(editor, IDC_MONTH);
        day = Selection(editor, IDC_DAY);
        text = Robot::ControlText(editor, IDC_TEXT);
        fileWhileEditing = File("tolvek.dat");
        // Escape gives the cancel command, which the editor ignores; then Cancel.
        Later(50, [editor] { SendMessageW(editor, WM_COMMAND, IDCANCEL, 0); });
        Later(150, [editor] { Robot::Press(editor, IDC_CANCEL); });
    });
    bool stillTwo = false;
    robot.ThenDo([&] {
        stillTwo = noteStore->Count() == 2;
        RequestShutDown(tray.mainWindow);
    });
    const std::string before = File("tolvek.dat");
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Add to Diary", title) << "the same title for a modification";
    EXPECT_EQ(2, year);
    EXPECT_EQ(3, month);
    EXPECT_EQ(4, day);
    EXPECT_EQ(L"kept as it is", text);
    EXPECT_EQ(before, fileWhileEditing) << "the note stays on disk while the editor is open";
    EXPECT_TRUE(stillTwo);
    const std::vector<Note> saved = SavedNotes();
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("kept as it is", NoteText(saved[0]));
    EXPECT_EQ(1, saved[0].obsoleteDeclined);
}

TEST_F(MainWindowTest, ModifyAcceptedMovesTheNoteAndClearsTheRefusal) {
    PutNotes({MakeNote(2004, 3, 5, 2, 4, "to move", 1), MakeNote(2004, 7, 1, 1, 1, "july")});
    robot.ThenDo([&] {
        SelectRow(0);
        Press(IDC_MODIFY);
    });
    robot.ThenAnswer([&](HWND editor) {
        SendDlgItemMessageW(editor, IDC_MONTH, CB_SETCURSEL, 8, 0);  // August
        Robot::Press(editor, IDC_ACCEPT);
    });
    std::vector<std::vector<std::wstring>> rows;
    robot.ThenDo([&] {
        rows = ListRows();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(L"july", rows[0][1]);
    EXPECT_EQ(L"5. 8. 2004", rows[1][0]);
    const std::vector<Note> saved = SavedNotes();
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("to move", NoteText(saved[1]));
    EXPECT_EQ(8, saved[1].month);
    EXPECT_EQ(0, saved[1].obsoleteDeclined);
}

TEST_F(MainWindowTest, RemoveAsksWithNoFocusedAndRemovesOnlyOnYes) {
    PutNotes({MakeNote(0, 0, 1, 2, 4, "one"), MakeNote(0, 0, 2, 2, 4, "two")});
    std::wstring caption = L"?", yes, no, question;
    bool noHasFocus = false, escapeIgnored = false;
    int markAfterNo = 0;
    std::size_t rowsAfterNo = 0;
    std::string fileAfterNo;
    robot.ThenDo([&] {
        SelectRow(1);
        Press(IDC_REMOVE);
    });
    robot.ThenAnswer([&](HWND confirm) {
        caption = Robot::TextOf(confirm);
        yes = Robot::ControlText(confirm, IDC_ACCEPT);
        no = Robot::ControlText(confirm, IDC_CANCEL);
        question = Robot::ControlText(confirm, IDC_CONFIRM_QUESTION);
        Later(50, [&, confirm] {
            noHasFocus = GetFocus() == GetDlgItem(confirm, IDC_CANCEL);
            SendMessageW(confirm, WM_COMMAND, IDCANCEL, 0);  // Escape
            escapeIgnored = IsWindow(confirm) && IsWindowVisible(confirm);
            Robot::Press(confirm, IDC_CANCEL);
        });
    });
    robot.ThenDo([&] {
        rowsAfterNo = ListRows().size();
        markAfterNo = static_cast<int>(SendMessageW(NoteList(), LVM_GETSELECTIONMARK, 0, 0));
        fileAfterNo = File("tolvek.dat");
        SelectRow(1);
        Press(IDC_REMOVE);
    });
    robot.ThenAnswer([](HWND confirm) { Robot::Press(confirm, IDC_ACCEPT); });
    std::vector<std::vector<std::wstring>> rows;
    robot.ThenDo([&] {
        rows = ListRows();
        RequestShutDown(tray.mainWindow);
    });
    const std::string before = File("tolvek.dat");
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"", caption);
    EXPECT_EQ(L"Yes", yes);
    EXPECT_EQ(L"No", no);
    EXPECT_EQ(L"            Really remove that note?", question);
    EXPECT_TRUE(noHasFocus);
    EXPECT_TRUE(escapeIgnored);
    EXPECT_EQ(2u, rowsAfterNo);
    EXPECT_EQ(-1, markAfterNo) << "the list was rebuilt: no selection remains";
    EXPECT_EQ(before, fileAfterNo);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(L"one", rows[0][1]);
    ASSERT_EQ(1u, SavedNotes().size());
}

TEST_F(MainWindowTest, ModifyAndRemoveWithoutASelectionDoNothing) {
    PutNotes({MakeNote(0, 0, 1, 2, 4, "one")});
    robot.ThenDo([&] {
        Press(IDC_MODIFY);
        Press(IDC_REMOVE);
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(robot.Opened().empty());
    EXPECT_EQ(1u, SavedNotes().size());
}

TEST_F(MainWindowTest, InfoShowsTheAboutTextOfTheCurrentLanguage) {
    PutNotes({}, 0);
    std::wstring caption, ok, about;
    robot.ThenDo([&] {
        SendDlgItemMessageW(tray.mainWindow, IDC_SLOVAK, BM_CLICK, 0, 0);
        Press(IDC_INFO);
    });
    robot.ThenAnswer([&](HWND box) {
        caption = Robot::TextOf(box);
        ok = Robot::ControlText(box, IDC_ACCEPT);
        about = Robot::ControlText(box, IDC_ABOUT_TEXT);
        Later(50, [box] {
            SendMessageW(box, WM_COMMAND, IDCANCEL, 0);  // Escape does nothing
            Robot::Press(box, IDC_ACCEPT);
        });
    });
    robot.ThenDo([&] { RequestShutDown(tray.mainWindow); });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Info", caption);
    EXPECT_EQ(L"OK", ok);
    EXPECT_EQ(0u, about.find(L"Kvorlík Tolvek v1.1\r\n-------------------\r\n"));
    EXPECT_NE(std::wstring::npos, about.find(L"Súbor history.txt v inštalačnom adresári"));
}

// "Shut down" chosen from the tray menu while a dialog is open ends the dialog, changes
// nothing the dialog was about, and then shuts down cleanly.
TEST_F(MainWindowTest, ShutDownFromInsideEachDialogKeepsTheDiaryWhole) {
    struct Case {
        int command;
        int row;
        const char* name;
    };
    const Case cases[] = {{IDC_ADD, -1, "editor for a new note"},
                          {IDC_MODIFY, 0, "editor of a stored note"},
                          {IDC_REMOVE, 0, "confirmation"},
                          {IDC_INFO, -1, "about box"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutNotes({MakeNote(0, 0, 1, 2, 4, "one"), MakeNote(0, 0, 2, 2, 4, "two")}, 1);
        robot.ThenDo([&] {
            if (c.row >= 0) SelectRow(c.row);
            Press(c.command);
        });
        HWND openDialog = nullptr;
        robot.ThenAnswer([&](HWND dialog) {
            openDialog = dialog;
            if (c.command == IDC_ADD || c.command == IDC_MODIFY) SetDlgItemTextW(dialog, IDC_TEXT, L"typed, never saved");
            Later(50, [] { ChooseFromTrayMenu(IDM_SHUTDOWN); });
        });
        EXPECT_EQ(0, Run());
        EXPECT_NE(nullptr, openDialog);
        EXPECT_FALSE(IsWindow(openDialog)) << "the dialog was ended by the shut-down";
        EXPECT_EQ(nullptr, noteStore);
        const std::vector<Note> saved = SavedNotes();
        ASSERT_EQ(2u, saved.size());
        EXPECT_EQ("one", NoteText(saved[0]));
        EXPECT_EQ("two", NoteText(saved[1]));
        EXPECT_EQ(1, StoredLanguage(File("tolvek.dat")));
        EXPECT_FALSE(TrayIconPresent());
        Restart();
    }
}

}  // namespace
