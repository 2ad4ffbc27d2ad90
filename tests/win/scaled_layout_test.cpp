// Every window of the tray program whole and readable at the display scale the test runs
// at: ctest runs these at 96, 144 and 192 dots per inch (TOLVEK_WINE_DPI). Expected sizes
// come from the system's own metrics for the window's scale, never from fixed numbers.
#include "program_fixture.h"

#include <string>
#include <vector>

namespace {

UINT DpiOf(HWND window) { return GetDpiForWindow(window); }
int AtDpi(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
    return narrow;
}

// The control's font at `dpi`: the same face and weight, its height scaled from the
// control's own scale. The caller deletes it.
HFONT FontAt(HWND control, UINT dpi) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(DpiOf(control)));
    return CreateFontIndirectW(&font);
}

// The size `text` takes in `font`, wrapped at `wrapWidth` when given.
SIZE TextSize(HWND control, HFONT font, const std::wstring& text, int wrapWidth = 0) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT box = {0, 0, wrapWidth > 0 ? wrapWidth : 1, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {box.right - box.left, box.bottom - box.top};
}

RECT RectInParent(HWND control, HWND parent) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(HWND control) {
    return Narrow(Robot::ClassOf(control)) + " " + std::to_string(GetDlgCtrlID(control)) + " [" +
           Narrow(Robot::TextOf(control)) + "]";
}

// What one text needs of its control and what the control gives it.
struct Fit {
    std::string what;
    int needed;
    int room;
};

// The fits of a static's, button's or combo box's texts with the control's font and size
// taken to `scale`: at the control's own scale as it is, at 96 as the layout stands there.
std::vector<Fit> TextFits(HWND control, UINT scale) {
    std::vector<Fit> fits;
    const std::wstring cls = Robot::ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const UINT dpi = DpiOf(control);
    auto toScale = [&](int pixels) { return MulDiv(pixels, static_cast<int>(scale), static_cast<int>(dpi)); };
    RECT client;
    GetClientRect(control, &client);
    const int width = toScale(client.right), height = toScale(client.bottom);
    const HFONT font = FontAt(control, scale);
    const std::wstring text = Robot::TextOf(control);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        const LONG kind = style & SS_TYPEMASK;
        if (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT) {  // not a picture
            const SIZE needed = TextSize(control, font, text, width);
            fits.push_back({Describe(control) + ": text width", needed.cx, width});
            fits.push_back({Describe(control) + ": text wrapped below", needed.cy, height});
        }
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        const LONG kind = style & BS_TYPEMASK;
        const int textWidth = TextSize(control, font, text).cx;
        if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
            // The button's edge and focus rectangle on either side.
            const int margins = 2 * (GetSystemMetricsForDpi(SM_CXEDGE, scale) + AtDpi(1, scale));
            fits.push_back({Describe(control) + ": label", textWidth + margins, width});
        } else if (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON) {
            const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, scale) + AtDpi(4, scale);
            fits.push_back({Describe(control) + ": label beside the radio button", box + textWidth, width});
        }
    } else if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) {
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        GetComboBoxInfo(control, &info);
        const int room = toScale(info.rcItem.right - info.rcItem.left);
        const int count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
        if (count <= 0) fits.push_back({Describe(control) + ": items", 1, 0});
        for (int i = 0; i < count; ++i) {
            wchar_t item[256] = {};
            if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) >= 256) continue;
            SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            fits.push_back({Describe(control) + ": item [" + Narrow(item) + "]", TextSize(control, font, item).cx, room});
        }
    }
    DeleteObject(font);
    return fits;
}

// A text fits its control at the control's scale wherever it fits at 96 dots per inch:
// there the layout of the templates stands as it is, including its few tight spots.
void ExpectFitsAsAt96(const std::vector<Fit>& fits, const std::vector<Fit>& at96, UINT dpi) {
    ASSERT_EQ(fits.size(), at96.size());
    for (std::size_t i = 0; i < fits.size(); ++i) {
        if (at96[i].needed > at96[i].room) continue;
        EXPECT_LE(fits[i].needed, fits[i].room)
            << fits[i].what << " at " << dpi << " dpi, which fits at 96 (" << at96[i].needed << " of " << at96[i].room << ")";
    }
}

// Rounding dialog units to pixels may make two touching controls share a line of pixels.
bool Overlap(const RECT& a, const RECT& b) {
    RECT shared;
    return IntersectRect(&shared, &a, &b) && shared.right - shared.left > 1 && shared.bottom - shared.top > 1;
}

// A box without an icon keeps an empty icon static where the icon would be.
bool IsEmptyPicture(HWND control) {
    return _wcsicmp(Robot::ClassOf(control).c_str(), L"Static") == 0 &&
           (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && !SendMessageW(control, STM_GETICON, 0, 0);
}

// Every control inside the window and clear of every other; every text fits its control.
void ExpectWholeAndReadable(HWND window) {
    ASSERT_NE(nullptr, window);
    SCOPED_TRACE("window [" + Narrow(Robot::TextOf(window)) + "] at " + std::to_string(DpiOf(window)) + " dpi");
    RECT client;
    GetClientRect(window, &client);
    std::vector<HWND> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && !IsEmptyPicture(child)) controls.push_back(child);
    EXPECT_FALSE(controls.empty());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const RECT rect = RectInParent(controls[i], window);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right && rect.bottom <= client.bottom)
            << Describe(controls[i]) << " at " << rect.left << "," << rect.top << "-" << rect.right << ","
            << rect.bottom << " outside the window's " << client.right << " x " << client.bottom;
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(Overlap(rect, RectInParent(controls[j], window)))
                << Describe(controls[i]) << " overlaps " << Describe(controls[j]);
        ExpectFitsAsAt96(TextFits(controls[i], DpiOf(controls[i])), TextFits(controls[i], 96), DpiOf(window));
    }
}

// Each column of the main list is as wide as its header and every text it shows, with the
// list's margins, except where the text is cut off already at 96 dots per inch, in the
// column widths the list has there.
void ExpectColumnsShowTheirTexts(HWND list) {
    const int widthsAt96[] = {80, 297, 190};
    const UINT dpi = DpiOf(list);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    std::vector<std::vector<std::wstring>> rows = ListRows();
    ASSERT_FALSE(rows.empty());
    rows.push_back({});
    for (int column = 0; column < 3; ++column) {
        wchar_t heading[128] = {};
        HDITEMW item = {};
        item.mask = HDI_TEXT;
        item.pszText = heading;
        item.cchTextMax = 128;
        SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        rows.back().push_back(heading);
    }
    std::vector<Fit> fits, at96;
    for (const bool asShown : {true, false}) {
        const UINT scale = asShown ? dpi : 96;
        const HFONT cellFont = FontAt(list, scale), headerFont = FontAt(header, scale);
        for (int column = 0; column < 3; ++column) {
            const int width = asShown ? static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0))
                                      : widthsAt96[column];
            for (std::size_t row = 0; row < rows.size(); ++row) {
                const bool isHeader = row + 1 == rows.size();
                const std::wstring& text = rows[row][column];
                const int needed = TextSize(list, isHeader ? headerFont : cellFont, text).cx + AtDpi(12, scale);
                (asShown ? fits : at96)
                    .push_back({(isHeader ? "header of column " : "column ") + std::to_string(column) + " [" +
                                    Narrow(text) + "]",
                                needed, width});
            }
        }
        DeleteObject(cellFont);
        DeleteObject(headerFont);
    }
    ExpectFitsAsAt96(fits, at96, dpi);

    // Together the columns fit the list, without a scroll bar across, as they do at 96.
    RECT client;
    GetClientRect(list, &client);
    int total = 0;
    for (int column = 0; column < 3; ++column) total += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    ExpectFitsAsAt96({{"the columns together", total, client.right}},
                     {{"the columns together", widthsAt96[0] + widthsAt96[1] + widthsAt96[2],
                       MulDiv(client.right, 96, static_cast<int>(dpi))}},
                     dpi);
}

int IconSide(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

void ExpectWindowIcons(HWND window) {
    const UINT dpi = DpiOf(window);
    EXPECT_EQ(GetSystemMetricsForDpi(SM_CXSMICON, dpi),
              IconSide(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0))))
        << "small icon of [" << Narrow(Robot::TextOf(window)) << "]";
    EXPECT_EQ(GetSystemMetricsForDpi(SM_CXICON, dpi),
              IconSide(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0))))
        << "large icon of [" << Narrow(Robot::TextOf(window)) << "]";
}

// The scale ctest asked for, when it asked: a setting Wine did not take would let every
// check pass at 96.
void ExpectTheRequestedScale() {
    char requested[16] = {};
    if (GetEnvironmentVariableA("TOLVEK_WINE_DPI", requested, sizeof requested) == 0) return;
    EXPECT_EQ(static_cast<UINT>(atoi(requested)), GetDpiForSystem());
}

// One note for every reminder text, none of them due; one due, one obsolete.
std::vector<Note> DiaryWithEveryReminderText() {
    std::vector<Note> notes;
    notes.push_back(MakeNote(2003, 1, 5, 1, 4, "Renew the passport"));   // obsolete
    notes.push_back(MakeNote(0, 0, 20, 2, 0, "Pay the rent and the electricity bill"));  // due
    for (int advance = 0; advance < 5; ++advance)
        for (int period = 0; period < 3; ++period)
            notes.push_back(MakeNote(2005, 11, 10 + 3 * advance + period, period, advance, "Birthday of Anna"));
    return notes;
}

class ScaledLayoutTest : public TrayProgramTest, public ::testing::WithParamInterface<int> {};
class ScaledProgramTest : public TrayProgramTest {};

TEST_P(ScaledLayoutTest, EveryWindowIsWholeAndEveryTextFits) {
    ExpectTheRequestedScale();
    SetToday(2004, 6, 15);
    WriteFileBytes(directory + "\\tolvek.dat", NotesFile(DiaryWithEveryReminderText(), GetParam()));
    // Each window is checked once it shows, from its own message loop.
    auto checkThenPress = [](int button) {
        return [button](HWND window) {
            Later(100, [window, button] {
                ExpectWholeAndReadable(window);
                ExpectWindowIcons(window);
                Robot::Press(window, button);
            });
        };
    };
    robot.ThenAnswer(checkThenPress(IDC_CANCEL));  // the obsolete note: keep it
    robot.ThenAnswer(checkThenPress(IDC_ACCEPT));  // the due note: thanks
    robot.ThenDo([] {
        SendMessageW(tray.mainWindow, UM_TRAY_CALLBACK, 101, WM_LBUTTONDOWN);
        ExpectWholeAndReadable(tray.mainWindow);
        ExpectColumnsShowTheirTexts(NoteList());
        ExpectWindowIcons(tray.mainWindow);
        Robot::Press(tray.mainWindow, IDC_ADD);
    });
    robot.ThenAnswer(checkThenPress(IDC_CANCEL));  // the editor
    robot.ThenDo([] {
        SelectRow(0);
        Robot::Press(tray.mainWindow, IDC_REMOVE);
    });
    robot.ThenAnswer(checkThenPress(IDC_CANCEL));  // the confirmation: no
    robot.ThenDo([] { Robot::Press(tray.mainWindow, IDC_INFO); });
    robot.ThenAnswer(checkThenPress(IDC_ACCEPT));  // the about box
    robot.ThenDo([] { RequestShutDown(tray.mainWindow); });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(0u, robot.UnusedAnswers()) << "every window opened";
}

INSTANTIATE_TEST_SUITE_P(Languages, ScaledLayoutTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "English" : info.param == 1 ? "Czech" : "Slovak");
                         });

TEST_F(ScaledProgramTest, TrayIconIsTheSmallIconSizeOfItsScale) {
    ExpectTheRequestedScale();
    int trayIconSide = 0, expected = -1;
    robot.ThenDo([&] {
        trayIconSide = IconSide(TrayIconImage());
        expected = GetSystemMetricsForDpi(SM_CXSMICON, DpiOf(tray.mainWindow));
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    EXPECT_EQ(expected, trayIconSide);
}

// Wine sends no WM_DPICHANGED; the message as Windows sends it when the window moves to a
// monitor of a larger scale.
TEST_F(ScaledProgramTest, MoveToAnotherScaleRescalesTheColumnsAndIcons) {
    std::vector<int> before, after;
    UINT dpi = 0, newDpi = 0;
    int trayIconSide = 0, smallIconSide = 0;
    robot.ThenDo([&] {
        dpi = DpiOf(tray.mainWindow);
        newDpi = dpi + 48;
        for (int column = 0; column < 3; ++column)
            before.push_back(static_cast<int>(SendMessageW(NoteList(), LVM_GETCOLUMNWIDTH, column, 0)));
        RECT suggested;
        GetWindowRect(tray.mainWindow, &suggested);
        SendMessageW(tray.mainWindow, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
        for (int column = 0; column < 3; ++column)
            after.push_back(static_cast<int>(SendMessageW(NoteList(), LVM_GETCOLUMNWIDTH, column, 0)));
        trayIconSide = IconSide(TrayIconImage());
        smallIconSide = IconSide(reinterpret_cast<HICON>(SendMessageW(tray.mainWindow, WM_GETICON, ICON_SMALL, 0)));
        RequestShutDown(tray.mainWindow);
    });
    EXPECT_EQ(0, Run());
    ASSERT_EQ(3u, after.size());
    // As much as the dialog's font grows, which is about as much as the scale.
    for (int column = 0; column < 3; ++column) {
        const int scaled = MulDiv(before[column], static_cast<int>(newDpi), static_cast<int>(dpi));
        EXPECT_NEAR(scaled, after[column], scaled / 10) << "column " << column << " from " << dpi << " to " << newDpi;
    }
    EXPECT_EQ(GetSystemMetricsForDpi(SM_CXSMICON, newDpi), trayIconSide);
    EXPECT_EQ(GetSystemMetricsForDpi(SM_CXSMICON, newDpi), smallIconSide);
}

// The boxes are the system's own; what they show must fit all the same.
TEST_F(ScaledProgramTest, BoxesAreWholeAndReadable) {
    int boxes = 0;
    // Checked once the box has laid itself out and shows, from its own message loop.
    auto checkThenOk = [&boxes](HWND box) {
        ++boxes;
        Later(100, [box] {
            ExpectWholeAndReadable(box);
            Robot::Press(box, IDOK);
        });
    };
    const HANDLE first = CreateMutexA(nullptr, TRUE, "TolvekDiaryMutex");
    robot.ThenAnswer(checkThenOk);  // already running
    EXPECT_EQ(0, Run());
    CloseHandle(first);
    Restart();
    RemoveInstallationRecord(SystemRegistry());
    robot.ThenAnswer(checkThenOk);  // not properly installed
    EXPECT_EQ(0, Run());
    EXPECT_EQ(2, boxes);
}

}  // namespace
