// The obsolete sweep and the reminder passes with their real windows, at dates set through
// the date seam.
#include "program_fixture.h"
#include "reminders.h"
#include "win32_text.h"

namespace {

class ReminderTest : public TrayProgramTest {
protected:
    // Thanks in every reminder window from now on, until the test says otherwise.
    void AnswerThanks(int windows) {
        for (int i = 0; i < windows; ++i) robot.ThenAnswer([](HWND window) { Robot::Press(window, IDC_ACCEPT); });
    }
    // The rich-edit text as Unicode, as the user sees it.
    static std::wstring ShownText(HWND window) { return RichText(GetDlgItem(window, IDC_REMINDER_TEXT)); }
    void ShutDownWhenIdle() {
        robot.ThenDo([] { RequestShutDown(tray.mainWindow); });
    }
};

TEST_F(ReminderTest, DueNotesComeLastFirstAndRemovingOneLeavesTheOthersShown) {
    SetToday(2004, 6, 15);
    PutNotes({MakeNote(0, 0, 20, 2, 0, "a"), MakeNote(0, 0, 20, 2, 0, "b"), MakeNote(0, 0, 20, 2, 0, "c")});
    std::vector<std::wstring> shown;
    std::wstring caption, heading, thanks, remove;
    robot.ThenAnswer([&](HWND window) {
        caption = Robot::TextOf(window);
        heading = Robot::ControlText(window, IDC_REMINDER_HEADING);
        thanks = Robot::ControlText(window, IDC_ACCEPT);
        remove = Robot::ControlText(window, IDC_REMINDER_REMOVE);
        shown.push_back(ShownText(window));
        Robot::Press(window, IDC_REMINDER_REMOVE);
    });
    robot.ThenAnswer([](HWND confirm) { Robot::Press(confirm, IDC_ACCEPT); });
    for (int i = 0; i < 2; ++i)
        robot.ThenAnswer([&](HWND window) {
            shown.push_back(ShownText(window));
            Robot::Press(window, IDC_ACCEPT);
        });
    std::string fileAfterStart;
    robot.ThenDo([&] {
        fileAfterStart = File("tolvek.dat");
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Tolvek:", caption);
    EXPECT_EQ(L"Tolvek diary reminder:", heading);
    EXPECT_EQ(L"Thanks", thanks);
    EXPECT_EQ(L"Remove", remove);
    EXPECT_EQ(std::vector<std::wstring>({L"\n20. --. ---- (Sunday)\n\nc", L"\n20. --. ---- (Sunday)\n\nb",
                                         L"\n20. --. ---- (Sunday)\n\na"}),
              shown);
    const std::vector<Note> saved = NotesOf(fileAfterStart);
    ASSERT_EQ(2u, saved.size()) << "the removal was written at once";
    EXPECT_EQ("a", NoteText(saved[0]));
    EXPECT_EQ("b", NoteText(saved[1]));
}

TEST_F(ReminderTest, RemoveAnsweredNoKeepsTheWindowOnItsNoteAndEscapeDoesNothing) {
    SetToday(2004, 6, 15);
    PutNotes({MakeNote(0, 0, 20, 2, 0, "only")});
    std::wstring before, after;
    bool openAfterEscape = false;
    robot.ThenAnswer([&](HWND window) {
        before = ShownText(window);
        Robot::Press(window, IDC_REMINDER_REMOVE);
        Later(300, [&, window] {
            SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
            openAfterEscape = IsWindow(window) != FALSE;
            after = ShownText(window);
            Robot::Press(window, IDC_ACCEPT);
        });
    });
    robot.ThenAnswer([](HWND confirm) { Robot::Press(confirm, IDC_CANCEL); });
    ShutDownWhenIdle();
    const std::string original = File("tolvek.dat");
    EXPECT_EQ(0, Run());
    EXPECT_EQ(before, after);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(1u, SavedNotes().size());
    EXPECT_EQ(2u, robot.Opened().size()) << "the reminder and its confirmation";
    EXPECT_EQ(original, File("backup.dat")) << "nothing was written but the shut-down's save";
}

TEST_F(ReminderTest, ChristmasEveEveryYearIsDueAMonthAheadWithTheWeekdayOfTheNextOne) {
    struct Case {
        int32_t year, month, day;
        const wchar_t* shown;  // nullptr: not due
    };
    const Case cases[] = {
        {2004, 11, 23, nullptr},
        {2004, 11, 24, L"\n24. 12. ---- (Friday)\n\nChristmas Eve"},
        {2004, 12, 24, L"\n24. 12. ---- (Friday)\n\nChristmas Eve"},
        {2004, 12, 25, nullptr},
        {2005, 11, 23, nullptr},
        {2005, 11, 24, L"\n24. 12. ---- (Saturday)\n\nChristmas Eve"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        SetToday(c.year, c.month, c.day);
        PutNotes({MakeNote(0, 12, 24, 2, 0, "Christmas Eve")});
        std::vector<std::wstring> shown;
        robot.ThenAnswer([&](HWND window) {
            shown.push_back(ShownText(window));
            Robot::Press(window, IDC_ACCEPT);
        });
        robot.ThenDo([] { HourlyTimerProc(nullptr, 0, 0, 0); });  // an hour later: once more
        robot.ThenAnswer([&](HWND window) {
            shown.push_back(ShownText(window));
            Robot::Press(window, IDC_ACCEPT);
        });
        ShutDownWhenIdle();
        EXPECT_EQ(0, Run());
        if (c.shown)
            EXPECT_EQ(std::vector<std::wstring>({c.shown, c.shown}), shown);
        else
            EXPECT_TRUE(shown.empty());
        Restart();
    }
}

TEST_F(ReminderTest, PeriodsDecideWhichPassesShowANote) {
    struct Case {
        int32_t day;  // June 2004: the 14th a Monday, the 15th a Tuesday
        std::vector<std::wstring> atStart, hourly;
    };
    const Case cases[] = {
        {14, {L"hourly", L"startup", L"monday"}, {L"hourly"}},
        {15, {L"hourly", L"startup"}, {L"hourly"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.day);
        SetToday(2004, 6, c.day);
        PutNotes({MakeNote(0, 0, 20, 0, 0, "monday"), MakeNote(0, 0, 20, 1, 0, "startup"),
                  MakeNote(0, 0, 20, 2, 0, "hourly")});
        std::vector<std::wstring> atStart, hourly;
        std::vector<std::wstring>* current = &atStart;
        for (int i = 0; i < 6; ++i)
            robot.ThenAnswer([&](HWND window) {
                const std::wstring text = ShownText(window);
                current->push_back(text.substr(text.rfind(L'\n') + 1));
                Robot::Press(window, IDC_ACCEPT);
            });
        robot.ThenDo([&] {
            current = &hourly;
            HourlyTimerProc(nullptr, 0, 0, 0);
        });
        ShutDownWhenIdle();
        EXPECT_EQ(0, Run());
        EXPECT_EQ(c.atStart, atStart);
        EXPECT_EQ(c.hourly, hourly);
        Restart();
    }
}

TEST_F(ReminderTest, PassedNoteIsOfferedOnceAndKeptNotesAreNeverShownAgain) {
    SetToday(2004, 3, 5);
    PutNotes({MakeNote(2004, 3, 5, 2, 4, "dentist")});
    int remindersOnTheDay = 0;
    robot.ThenAnswer([&](HWND window) {
        ++remindersOnTheDay;
        Robot::Press(window, IDC_ACCEPT);
    });
    ShutDownWhenIdle();
    EXPECT_EQ(0, Run());
    EXPECT_EQ(1, remindersOnTheDay) << "due on its day, not yet passed";
    EXPECT_EQ(1u, robot.Opened().size());
    Restart();

    SetToday(2004, 3, 6);
    Robot& second = robot;
    std::wstring caption, heading, question, yes, no, text;
    bool declinedInStore = false;
    second.ThenAnswer([&](HWND prompt) {
        caption = Robot::TextOf(prompt);
        heading = Robot::ControlText(prompt, IDC_OBSOLETE_HEADING);
        question = Robot::ControlText(prompt, IDC_OBSOLETE_QUESTION);
        yes = Robot::ControlText(prompt, IDC_ACCEPT);
        no = Robot::ControlText(prompt, IDC_CANCEL);
        text = RichText(GetDlgItem(prompt, IDC_OBSOLETE_TEXT));
        Robot::Press(prompt, IDC_CANCEL);
    });
    std::string fileBeforeShutDown;
    second.ThenDo([&] {
        declinedInStore = noteStore->Count() == 1 && noteStore->At(0).obsoleteDeclined == 1;
        fileBeforeShutDown = File("tolvek.dat");
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"Tolvek:", caption);
    EXPECT_EQ(L"The following note has become obsolete:", heading);
    EXPECT_EQ(L"May I remove it from the diary?", question);
    EXPECT_EQ(L"Yes", yes);
    EXPECT_EQ(L"No", no);
    EXPECT_EQ(L"\n5. 3. 2004\n\ndentist", text);
    EXPECT_EQ(1u, second.Opened().size()) << "a kept passed note is not shown as a reminder";
    EXPECT_TRUE(declinedInStore);
    EXPECT_EQ(0, NotesOf(fileBeforeShutDown).at(0).obsoleteDeclined) << "the refusal waits for the next save";
    ASSERT_EQ(1u, SavedNotes().size());
    EXPECT_EQ(1, SavedNotes()[0].obsoleteDeclined);
    Restart();

    // After the save it is neither offered nor shown again.
    robot.ThenDo([] { RequestShutDown(tray.mainWindow); });
    EXPECT_EQ(0, Run());
    EXPECT_TRUE(robot.Opened().empty());
}

TEST_F(ReminderTest, YesInTheObsoletePromptRemovesTheNoteAtOnce) {
    SetToday(2005, 1, 1);
    PutNotes({MakeNote(2004, 0, 31, 2, 4, "every month of 2004"), MakeNote(0, 6, 1, 2, 4, "every June")});
    std::wstring text;
    std::string fileAfterSweep;
    robot.ThenAnswer([&](HWND prompt) {
        text = RichText(GetDlgItem(prompt, IDC_OBSOLETE_TEXT));
        Robot::Press(prompt, IDC_ACCEPT);
    });
    robot.ThenDo([&] {
        fileAfterSweep = File("tolvek.dat");
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"\n31. --. 2004\n\nevery month of 2004", text);
    const std::vector<Note> saved = NotesOf(fileAfterSweep);
    ASSERT_EQ(1u, saved.size());
    EXPECT_EQ("every June", NoteText(saved[0]));
}

TEST_F(ReminderTest, NextPassSpeaksTheLanguageChosenMeanwhile) {
    SetToday(2004, 6, 15);
    PutNotes({MakeNote(0, 12, 24, 2, 0, "Vánoce")});  // not due in June: shown by no pass
    PutNotes({MakeNote(0, 0, 20, 2, 0, "note")});
    std::wstring englishText, czechCaption, czechThanks, czechText, czechSunday;
    robot.ThenAnswer([&](HWND window) {
        englishText = ShownText(window);
        Robot::Press(window, IDC_ACCEPT);
    });
    robot.ThenDo([] { SendDlgItemMessageW(tray.mainWindow, IDC_CZECH, BM_CLICK, 0, 0); });
    robot.ThenDo([] { HourlyTimerProc(nullptr, 0, 0, 0); });
    robot.ThenAnswer([&](HWND window) {
        czechCaption = Robot::TextOf(window);
        czechThanks = Robot::ControlText(window, IDC_ACCEPT);
        czechText = ShownText(window);
        czechSunday = Wide(Text(Txt::Sunday));
        Robot::Press(window, IDC_ACCEPT);
    });
    ShutDownWhenIdle();
    EXPECT_EQ(0, Run());
    EXPECT_EQ(L"\n20. --. ---- (Sunday)\n\nnote", englishText);
    EXPECT_EQ(L"Kvorlík:", czechCaption);
    EXPECT_EQ(L"Děkuji", czechThanks);
    EXPECT_EQ(L"Neděle", czechSunday);
    EXPECT_EQ(L"\n20. --. ---- (Neděle)\n\nnote", czechText);
}

// An hourly pass inside an open reminder window removes a note before it; the outer
// window's "Remove" still removes its own note, and the outer pass skips the removed one.
TEST_F(ReminderTest, WindowOpenDuringTheNextPassKeepsItsOwnNote) {
    SetToday(2004, 6, 15);
    PutNotes({MakeNote(0, 0, 16, 2, 0, "earlier"), MakeNote(0, 0, 20, 2, 0, "later")});
    std::vector<std::wstring> shown;
    auto record = [&](HWND window) {
        const std::wstring text = ShownText(window);
        shown.push_back(text.substr(text.rfind(L'\n') + 1));
    };
    robot.ThenAnswer([&](HWND outer) {  // the start-up pass: "later" first
        record(outer);
        Later(50, [] { HourlyTimerProc(nullptr, 0, 0, 0); });
        Later(400, [outer] { Robot::Press(outer, IDC_REMINDER_REMOVE); });
    });
    robot.ThenAnswer([&](HWND window) {  // the nested pass: "later" again
        record(window);
        Robot::Press(window, IDC_ACCEPT);
    });
    robot.ThenAnswer([&](HWND window) {  // the nested pass: "earlier", removed
        record(window);
        Robot::Press(window, IDC_REMINDER_REMOVE);
    });
    robot.ThenAnswer([](HWND confirm) { Robot::Press(confirm, IDC_ACCEPT); });
    robot.ThenAnswer([](HWND confirm) { Robot::Press(confirm, IDC_ACCEPT); });  // the outer Remove
    uint32_t left = 99;
    robot.ThenDo([&] {
        left = noteStore->Count();
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<std::wstring>({L"later", L"later", L"earlier"}), shown)
        << "the outer pass does not show the note removed inside it";
    EXPECT_EQ(0u, left) << "the outer Remove removed its own note";
    EXPECT_TRUE(SavedNotes().empty());
}

// A pass that starts while a note is open in the editor neither shows nor removes that note:
// a "Remove" there would be undone when the editor is accepted. Other notes are shown.
TEST_F(ReminderTest, NoteOpenInTheEditorTakesNoPartInAPass) {
    SetToday(2004, 6, 15);
    PutNotes({MakeNote(0, 0, 16, 2, 0, "other"), MakeNote(0, 0, 20, 2, 0, "edited")});
    AnswerThanks(2);  // the start-up pass
    robot.ThenDo([] {
        SelectRow(1);  // "edited"
        SendMessageW(tray.mainWindow, WM_COMMAND, MAKEWPARAM(IDC_MODIFY, BN_CLICKED), 0);
    });
    robot.ThenAnswer([](HWND editor) {
        SetDlgItemTextW(editor, IDC_TEXT, L"edited again");
        Later(50, [] { HourlyTimerProc(nullptr, 0, 0, 0); });
        Later(600, [editor] { Robot::Press(editor, IDC_ACCEPT); });
    });
    // Whatever the pass inside the editor shows: its note is removed, a confirmation is
    // answered Yes.
    std::vector<std::wstring> shownInEditor;
    for (int i = 0; i < 4; ++i)
        robot.ThenAnswer([&](HWND window) {
            if (!GetDlgItem(window, IDC_REMINDER_REMOVE)) {
                Robot::Press(window, IDC_ACCEPT);
                return;
            }
            const std::wstring text = ShownText(window);
            shownInEditor.push_back(text.substr(text.rfind(L'\n') + 1));
            Robot::Press(window, shownInEditor.back() == L"edited" ? IDC_REMINDER_REMOVE : IDC_ACCEPT);
        });
    ShutDownWhenIdle();
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::vector<std::wstring>({L"other"}), shownInEditor);
    const std::vector<Note> saved = SavedNotes();
    ASSERT_EQ(2u, saved.size());
    EXPECT_EQ("other", NoteText(saved[0]));
    EXPECT_EQ("edited again", NoteText(saved[1]));
}

// "Shut down" while a window of a pass is open ends it, the pass stops, and the diary is
// saved whole: nothing removed, no refusal recorded.
TEST_F(ReminderTest, ShutDownFromInsideThePassesWindows) {
    struct Case {
        int32_t year, month, day;  // today
        bool nested;
        const char* name;
    };
    const Case cases[] = {{2004, 6, 15, false, "reminder window"},
                          {2004, 7, 2, false, "obsolete prompt"},
                          {2004, 6, 15, true, "a pass nested in a reminder window"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetToday(c.year, c.month, c.day);
        PutNotes({MakeNote(2004, 7, 1, 2, 0, "first of July"), MakeNote(0, 0, 20, 2, 0, "monthly")});
        robot.ThenAnswer([&](HWND window) {
            if (c.nested)
                Later(50, [] { HourlyTimerProc(nullptr, 0, 0, 0); });
            else
                Later(50, [] { ChooseFromTrayMenu(IDM_SHUTDOWN); });
            (void)window;
        });
        if (c.nested) robot.ThenAnswer([](HWND) { Later(50, [] { ChooseFromTrayMenu(IDM_SHUTDOWN); }); });
        EXPECT_EQ(0, Run());
        EXPECT_EQ(nullptr, noteStore);
        const std::vector<Note> saved = SavedNotes();
        ASSERT_EQ(2u, saved.size());
        for (const Note& note : saved) EXPECT_EQ(0, note.obsoleteDeclined);
        EXPECT_EQ(c.nested ? 2u : 1u, robot.Opened().size()) << "no window opens after the shut-down";
        Restart();
    }
}

}  // namespace
