// "Export to calendar..." and "Import from calendar..." in the tray menu, and the real
// Save dialog ended by a shut-down.
#include <shlobj.h>

#include "program_fixture.h"

namespace {

class CalendarMenuTest : public TrayProgramTest {
protected:
    void SetUp() override {
        TrayProgramTest::SetUp();
        SetToday(2004, 6, 15);
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

// A test takes one step, the menu choice; everything after it comes from answers, since a
// further step could start inside the tray menu's own loop.
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

}  // namespace
