// The tray program's compiled resources, checked twice: the raw bytes of every
// dialog template against the layout tables below, and the dialogs built for
// real by the dialog manager. Also the two icon groups and the six text resources.
// Runs on Windows or under Wine, linked with tray/resources/tolvek.rc.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

// ---------------------------------------------------------------- the tables

// A control class as a template names it: a predefined atom or a class name.
struct ClassRef {
    uint16_t atom;        // 0 when the class is given by name
    const wchar_t* name;  // the name GetClassNameW reports for the live control
};
constexpr ClassRef kButton{0x0080, L"Button"};
constexpr ClassRef kEdit{0x0081, L"Edit"};
constexpr ClassRef kStatic{0x0082, L"Static"};
constexpr ClassRef kComboBox{0x0085, L"ComboBox"};
constexpr ClassRef kListView{0, L"SysListView32"};
constexpr ClassRef kRichEdit{0, L"RICHEDIT"};

// A template text: a string, or a resource number (the icon of an icon static).
struct TextRef {
    const wchar_t* text;  // nullptr when the text is a number
    uint16_t ordinal;
};
TextRef Text(const wchar_t* text) { return {text, 0}; }
TextRef IconNumber(uint16_t id) { return {nullptr, id}; }
const TextRef kNoText = Text(L"");

struct ControlRow {
    int id;
    ClassRef cls;
    DWORD style;
    short x, y, cx, cy;
    TextRef text;
};

struct DialogTable {
    const char* name;  // test-name suffix
    int id;
    bool extended;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const wchar_t* caption;
    std::vector<ControlRow> controls;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kDefPush = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kLabel = kChild | WS_GROUP | SS_LEFT;
constexpr DWORD kIcon = kChild | SS_ICON;
constexpr DWORD kDropList = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD kReadOnlyRich =
    kChild | WS_BORDER | WS_TABSTOP | ES_CENTER | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY;

// Names a failing case by its template instead of dumping its bytes.
void PrintTo(const DialogTable& table, std::ostream* out) { *out << table.name; }

const std::vector<DialogTable>& Dialogs() {
    static const std::vector<DialogTable> dialogs = {
        {"Main103", 103, false, 0x90C00AC0, 0, 456, 147, L"",
         {
             {1005, kButton, kDefPush, 399, 126, 50, 14, Text(L"Zavrit")},
             {1001, kListView,
              kChild | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                  LVS_NOSORTHEADER,
              7, 7, 381, 133, Text(L"List2")},
             {1002, kButton, kPush, 399, 7, 50, 14, Text(L"Pridat")},
             {1003, kButton, kPush, 399, 24, 50, 14, Text(L"Zmenit")},
             {1004, kButton, kPush, 399, 42, 50, 14, Text(L"Smazat")},
             {1020, kButton, kRadio, 399, 59, 50, 14, Text(L"English")},
             {1021, kButton, kRadio, 399, 73, 50, 14, Text(L"\u010Cesky")},  // "Česky"
             {1022, kButton, kRadio, 399, 87, 50, 14, Text(L"Slovensky")},
             {1006, kButton, kPush, 399, 107, 50, 14, Text(L"Info")},
         }},
        {"NoteEditor104", 104, true, 0x10C808C0, WS_EX_TOOLWINDOW, 201, 94,
         L"Pridat do zivideru:",
         {
             {1012, kButton, kDefPush, 40, 73, 50, 14, Text(L"Ulozit")},
             {1011, kButton, kPush, 106, 73, 50, 14, Text(L"Zrusit")},
             {1004, kEdit, kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 42, 27, 152,
              12, kNoText},
             {1015, kStatic, kLabel, 7, 29, 17, 8, Text(L"Text:")},
             {1016, kStatic, kLabel, 7, 8, 24, 8, Text(L"Datum:")},
             {1006, kComboBox, kDropList, 42, 7, 32, 80, kNoText},
             {1007, kComboBox, kDropList, 76, 6, 60, 81, kNoText},
             {1008, kComboBox, kDropList, 138, 6, 56, 81, kNoText},
             {1017, kStatic, kLabel, 7, 51, 33, 8, Text(L"Buzerace:")},
             {1009, kComboBox, kDropList, 42, 49, 67, 125, kNoText},
             {1010, kComboBox, kDropList, 110, 49, 84, 68, kNoText},
         }},
        {"ConfirmRemove107", 107, false, 0x80C008C0, 0, 161, 46, L"",
         {
             {1011, kButton, kPush | WS_GROUP, 88, 25, 50, 14, Text(L"Ne")},
             {1012, kButton, kPush | WS_GROUP, 22, 25, 50, 14, Text(L"Jo")},
             {1018, kStatic, kLabel, 20, 7, 120, 8, Text(L"Opravdu chces ten zaznam vymazat?")},
         }},
        {"Reminder108", 108, false, 0x80C000C0, 0, 332, 171, L"",
         {
             {1012, kButton, kDefPush, 87, 150, 71, 14, Text(L"Dekuji")},
             {1023, kStatic, kLabel, 89, 23, 152, 8, Text(L"Zivider hlasi:")},
             {-1, kStatic, kIcon, 7, 7, 20, 20, IconNumber(101)},
             {1015, kRichEdit, kReadOnlyRich, 17, 52, 293, 47, kNoText},
             {-1, kStatic, kIcon, 7, 144, 20, 20, IconNumber(101)},
             {-1, kStatic, kIcon, 303, 144, 20, 20, IconNumber(101)},
             {-1, kStatic, kIcon, 303, 7, 20, 20, IconNumber(101)},
             {1004, kButton, kPush, 174, 150, 71, 14, Text(L"Odstranit")},
         }},
        {"Obsolete109", 109, false, 0x80C000C0, 0, 332, 171, L"Zivider",
         {
             {1012, kButton, kDefPush, 87, 150, 71, 14, Text(L"Jo")},
             {1021, kStatic, kLabel, 79, 25, 173, 8,
              Text(L"Nasledujici odkaz se jiz nikdy nezobrazi:")},
             {1011, kButton, kPush, 174, 150, 71, 14, Text(L"Ne")},
             {1015, kRichEdit, kReadOnlyRich, 17, 52, 293, 47, kNoText},
             {1022, kStatic, kLabel, 115, 114, 101, 8, Text(L"Mohu ho vymazat z zivideru?")},
         }},
        {"About113", 113, true, 0x80C008C0, WS_EX_TOOLWINDOW, 253, 129, L"Info",
         {
             {1012, kButton, kDefPush, 101, 108, 50, 14, Text(L"OK")},
             {1006, kEdit,
              kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_LEFT | ES_MULTILINE |
                  ES_AUTOVSCROLL | ES_READONLY,
              7, 7, 239, 90, kNoText},
         }},
    };
    return dialogs;
}

// -------------------------------------------------------- resource access

HMODULE Self() { return GetModuleHandleW(nullptr); }

// Resource types by number, so the look-ups do not depend on UNICODE.
const LPCWSTR kTypeIcon = MAKEINTRESOURCEW(3);
const LPCWSTR kTypeDialog = MAKEINTRESOURCEW(5);
const LPCWSTR kTypeGroupIcon = MAKEINTRESOURCEW(14);

struct Bytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

Bytes Resource(LPCWSTR type, int id) {
    Bytes bytes;
    HRSRC found = FindResourceW(Self(), MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return bytes;
    HGLOBAL loaded = LoadResource(Self(), found);
    if (loaded == nullptr) return bytes;
    bytes.data = static_cast<const uint8_t*>(LockResource(loaded));
    bytes.size = bytes.data != nullptr ? SizeofResource(Self(), found) : 0;
    return bytes;
}

// Little-endian reader that never reads past the end: a read beyond it gives
// zeros and clears ok().
class Reader {
public:
    explicit Reader(Bytes bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }

    uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    void Skip(size_t count) {
        for (size_t i = 0; i < count; ++i) U8();
    }
    std::wstring Sz() {
        std::wstring text;
        for (uint16_t unit = U16(); ok_ && unit != 0; unit = U16()) {
            text.push_back(static_cast<wchar_t>(unit));
        }
        return text;
    }
    // Template items start on a DWORD boundary counted from the template's start.
    void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }

private:
    uint32_t Take(size_t count) {
        if (!ok_ || pos_ + count > bytes_.size) {
            ok_ = false;
            return 0;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < count; ++i) value |= uint32_t{bytes_.data[pos_ + i]} << (8 * i);
        pos_ += count;
        return value;
    }
    Bytes bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// A "string or ordinal" field: 0xFFFF and a number, or a NUL-terminated string.
struct SzOrOrd {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::wstring text;
};

SzOrOrd ReadSzOrOrd(Reader& in) {
    SzOrOrd field;
    Reader probe = in;
    if (probe.U16() == 0xFFFF) {
        in.U16();
        field.isOrdinal = true;
        field.ordinal = in.U16();
    } else {
        field.text = in.Sz();
    }
    return field;
}

struct ParsedControl {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    SzOrOrd cls, text;
    uint16_t extraSize = 0;
};

struct ParsedDialog {
    bool extended = false;
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd menu, cls;
    std::wstring caption;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 0;
    std::wstring face;
    std::vector<ParsedControl> controls;
    bool readInside = false;   // every field lay inside the resource
    size_t unreadBytes = 0;    // left over after the last control
};

// DLGTEMPLATE or DLGTEMPLATEEX with its items (DLGITEMTEMPLATE / the EX form).
ParsedDialog ParseDialog(Bytes bytes) {
    ParsedDialog d;
    Reader in(bytes);
    Reader probe = in;
    d.extended = probe.U16() == 1 && probe.U16() == 0xFFFF;
    uint16_t count = 0;
    if (d.extended) {
        in.U16();  // version
        in.U16();  // signature
        d.helpId = in.U32();
        d.exStyle = in.U32();
        d.style = in.U32();
    } else {
        d.style = in.U32();
        d.exStyle = in.U32();
    }
    count = in.U16();
    d.x = in.I16();
    d.y = in.I16();
    d.cx = in.I16();
    d.cy = in.I16();
    d.menu = ReadSzOrOrd(in);
    d.cls = ReadSzOrOrd(in);
    d.caption = in.Sz();
    d.hasFont = (d.style & DS_SETFONT) != 0;
    if (d.hasFont) {
        d.pointSize = in.U16();
        if (d.extended) {
            d.weight = in.U16();
            d.italic = in.U8();
            d.charset = in.U8();
        }
        d.face = in.Sz();
    }
    for (uint16_t i = 0; i < count && in.ok(); ++i) {
        ParsedControl c;
        in.AlignDword();
        if (d.extended) {
            c.helpId = in.U32();
            c.exStyle = in.U32();
            c.style = in.U32();
        } else {
            c.style = in.U32();
            c.exStyle = in.U32();
        }
        c.x = in.I16();
        c.y = in.I16();
        c.cx = in.I16();
        c.cy = in.I16();
        // Read signed, so that a standard template's 0xFFFF compares with -1 in the tables.
        c.id = d.extended ? static_cast<int32_t>(in.U32()) : in.I16();
        c.cls = ReadSzOrOrd(in);
        c.text = ReadSzOrOrd(in);
        c.extraSize = in.U16();
        in.Skip(c.extraSize);
        d.controls.push_back(c);
    }
    d.readInside = in.ok();
    d.unreadBytes = in.ok() ? bytes.size - in.pos() : 0;
    return d;
}

// Window class names compare without regard to case, as the system does;
// windres also stores a class given by name in capitals.
bool SameClassName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    }
    return true;
}

// Printable form of a template string: ASCII as it is, anything else as \u{hex}.
std::string Quoted(const std::wstring& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (wchar_t unit : text) {
        if (unit >= 0x20 && unit < 0x7F) {
            out.push_back(static_cast<char>(unit));
        } else {
            out += "\\u{";
            for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(unit >> shift) & 0xF]);
            out += "}";
        }
    }
    return out + "\"";
}

std::string Describe(const SzOrOrd& field) {
    return field.isOrdinal ? "#" + std::to_string(field.ordinal) : Quoted(field.text);
}

void ExpectClass(const ClassRef& expected, const SzOrOrd& actual) {
    if (expected.atom != 0) {
        EXPECT_TRUE(actual.isOrdinal && actual.ordinal == expected.atom)
            << "class should be atom #" << expected.atom << " (" << Quoted(expected.name)
            << "), is " << Describe(actual);
    } else {
        EXPECT_TRUE(!actual.isOrdinal && SameClassName(actual.text, expected.name))
            << "class should be " << Quoted(expected.name) << ", is " << Describe(actual);
    }
}

void ExpectText(const TextRef& expected, const SzOrOrd& actual) {
    if (expected.text == nullptr) {
        EXPECT_TRUE(actual.isOrdinal && actual.ordinal == expected.ordinal)
            << "text should be resource #" << expected.ordinal << ", is " << Describe(actual);
    } else {
        EXPECT_TRUE(!actual.isOrdinal && actual.text == expected.text)
            << "text should be " << Quoted(expected.text) << ", is " << Describe(actual);
    }
}

// ------------------------------------------------------ the templates' bytes

class DialogTemplate : public ::testing::TestWithParam<DialogTable> {};

TEST_P(DialogTemplate, HeaderHasStyleGeometryCaptionAndFont) {
    const DialogTable& table = GetParam();
    const Bytes bytes = Resource(kTypeDialog, table.id);
    ASSERT_NE(nullptr, bytes.data) << "no dialog template " << table.id;
    const ParsedDialog d = ParseDialog(bytes);
    ASSERT_TRUE(d.readInside) << "template runs past the end of its resource";

    EXPECT_EQ(table.extended, d.extended);
    EXPECT_EQ(table.style, d.style) << std::hex << "style 0x" << d.style;
    EXPECT_EQ(table.exStyle, d.exStyle) << std::hex << "extended style 0x" << d.exStyle;
    EXPECT_EQ(0u, d.helpId);
    EXPECT_EQ(0, d.x);
    EXPECT_EQ(0, d.y);
    EXPECT_EQ(table.cx, d.cx);
    EXPECT_EQ(table.cy, d.cy);
    EXPECT_TRUE(!d.menu.isOrdinal && d.menu.text.empty()) << "menu " << Describe(d.menu);
    EXPECT_TRUE(!d.cls.isOrdinal && d.cls.text.empty()) << "class " << Describe(d.cls);
    EXPECT_EQ(std::wstring(table.caption), d.caption);

    ASSERT_TRUE(d.hasFont);
    EXPECT_EQ(8, d.pointSize);
    EXPECT_EQ(std::wstring(L"MS Sans Serif"), d.face);
    if (d.extended) {
        EXPECT_EQ(0, d.weight);
        EXPECT_EQ(0, d.italic);
        EXPECT_EQ(1, d.charset) << "DEFAULT_CHARSET";
    }
}

TEST_P(DialogTemplate, ControlsMatchTheLayoutInTabOrder) {
    const DialogTable& table = GetParam();
    const Bytes bytes = Resource(kTypeDialog, table.id);
    ASSERT_NE(nullptr, bytes.data) << "no dialog template " << table.id;
    const ParsedDialog d = ParseDialog(bytes);
    ASSERT_TRUE(d.readInside) << "template runs past the end of its resource";
    EXPECT_LT(d.unreadBytes, 4u) << "bytes after the last control";
    ASSERT_EQ(table.controls.size(), d.controls.size());

    for (size_t i = 0; i < table.controls.size(); ++i) {
        const ControlRow& row = table.controls[i];
        const ParsedControl& c = d.controls[i];
        SCOPED_TRACE(::testing::Message() << "control " << i << ", id " << row.id);
        EXPECT_EQ(row.id, c.id);
        ExpectClass(row.cls, c.cls);
        EXPECT_EQ(row.style, c.style) << std::hex << "style 0x" << c.style << ", expected 0x"
                                      << row.style;
        EXPECT_EQ(0u, c.exStyle);
        EXPECT_EQ(0u, c.helpId);
        EXPECT_EQ(row.x, c.x);
        EXPECT_EQ(row.y, c.y);
        EXPECT_EQ(row.cx, c.cx);
        EXPECT_EQ(row.cy, c.cy);
        ExpectText(row.text, c.text);
        EXPECT_EQ(0, c.extraSize) << "creation data";
    }
}

// ------------------------------------------------- the dialogs built for real

// The list view and the rich edit control must be registered before a
// template that names them can be created, as the program does at start-up.
bool RegisterControlClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
        const bool listView = InitCommonControlsEx(&classes) != FALSE;
        const bool richEdit = LoadLibraryA("RichEd32.dll") != nullptr;
        return listView && richEdit;
    }();
    return registered;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog from a template, owned by a hidden window; both destroyed at the end.
class LiveDialog {
public:
    explicit LiveDialog(int templateId) {
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 Self(), nullptr);
        if (owner_ != nullptr) {
            dialog_ = CreateDialogParamW(Self(), MAKEINTRESOURCEW(templateId), owner_,
                                         QuietDialogProc, 0);
        }
    }
    ~LiveDialog() {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        if (owner_ != nullptr) DestroyWindow(owner_);
    }
    LiveDialog(const LiveDialog&) = delete;
    LiveDialog& operator=(const LiveDialog&) = delete;
    HWND get() const { return dialog_; }

private:
    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
};

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST_P(DialogTemplate, BuiltDialogHasItsControlsInTabOrder) {
    ASSERT_TRUE(RegisterControlClasses());
    const DialogTable& table = GetParam();
    LiveDialog dialog(table.id);
    ASSERT_NE(nullptr, dialog.get()) << "CreateDialogParamW failed, error " << GetLastError();

    // Z order of the children is creation order, which is template (tab) order.
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog.get(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(table.controls.size(), children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlRow& row = table.controls[i];
        SCOPED_TRACE(::testing::Message() << "child " << i << ", id " << row.id);
        // Commands carry the low 16 bits of the identifier; compare those.
        EXPECT_EQ(static_cast<WORD>(row.id), static_cast<WORD>(GetDlgCtrlID(children[i])));
        const std::wstring className = ClassNameOf(children[i]);
        EXPECT_TRUE(SameClassName(className, row.cls.name))
            << "class " << Quoted(className) << ", expected " << Quoted(row.cls.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Tray, DialogTemplate, ::testing::ValuesIn(Dialogs()),
                         [](const ::testing::TestParamInfo<DialogTable>& info) {
                             return std::string(info.param.name);
                         });

TEST(MainWindow, LanguageButtonsAndInfoShowTheirStoredLabels) {
    ASSERT_TRUE(RegisterControlClasses());
    LiveDialog dialog(IDD_MAIN);
    ASSERT_NE(nullptr, dialog.get()) << "CreateDialogParamW failed, error " << GetLastError();
    const struct {
        int id;
        const wchar_t* label;
    } labels[] = {
        {IDC_ENGLISH, L"English"},
        {IDC_CZECH, L"\u010Cesky"},  // "Česky"
        {IDC_SLOVAK, L"Slovensky"},
        {IDC_INFO, L"Info"},
    };
    for (const auto& expected : labels) {
        HWND control = GetDlgItem(dialog.get(), expected.id);
        ASSERT_NE(nullptr, control) << "no control " << expected.id;
        EXPECT_EQ(std::wstring(expected.label), TextOf(control)) << "control " << expected.id;
    }
}

// ------------------------------------------- the names in resource_ids.h

// Each named control sits in its named template where the layout puts it.
TEST(ResourceNames, EveryNamedControlIsFoundInItsTemplate) {
    const struct {
        const char* name;
        int dialog;
        int control;
        short x, y;
    } named[] = {
#define AT(dialog, control, x, y) {#dialog " / " #control, dialog, control, x, y}
        AT(IDD_MAIN, IDC_NOTE_LIST, 7, 7),
        AT(IDD_MAIN, IDC_ADD, 399, 7),
        AT(IDD_MAIN, IDC_MODIFY, 399, 24),
        AT(IDD_MAIN, IDC_REMOVE, 399, 42),
        AT(IDD_MAIN, IDC_CLOSE, 399, 126),
        AT(IDD_MAIN, IDC_INFO, 399, 107),
        AT(IDD_MAIN, IDC_ENGLISH, 399, 59),
        AT(IDD_MAIN, IDC_CZECH, 399, 73),
        AT(IDD_MAIN, IDC_SLOVAK, 399, 87),
        AT(IDD_NOTE_EDITOR, IDC_ACCEPT, 40, 73),
        AT(IDD_NOTE_EDITOR, IDC_CANCEL, 106, 73),
        AT(IDD_NOTE_EDITOR, IDC_TEXT, 42, 27),
        AT(IDD_NOTE_EDITOR, IDC_TEXT_LABEL, 7, 29),
        AT(IDD_NOTE_EDITOR, IDC_DATE_LABEL, 7, 8),
        AT(IDD_NOTE_EDITOR, IDC_DAY, 42, 7),
        AT(IDD_NOTE_EDITOR, IDC_MONTH, 76, 6),
        AT(IDD_NOTE_EDITOR, IDC_YEAR, 138, 6),
        AT(IDD_NOTE_EDITOR, IDC_REMINDER_LABEL, 7, 51),
        AT(IDD_NOTE_EDITOR, IDC_ADVANCE, 42, 49),
        AT(IDD_NOTE_EDITOR, IDC_PERIOD, 110, 49),
        AT(IDD_CONFIRM_REMOVE, IDC_ACCEPT, 22, 25),
        AT(IDD_CONFIRM_REMOVE, IDC_CANCEL, 88, 25),
        AT(IDD_CONFIRM_REMOVE, IDC_CONFIRM_QUESTION, 20, 7),
        AT(IDD_REMINDER, IDC_ACCEPT, 87, 150),
        AT(IDD_REMINDER, IDC_REMINDER_HEADING, 89, 23),
        AT(IDD_REMINDER, IDC_REMINDER_TEXT, 17, 52),
        AT(IDD_REMINDER, IDC_REMINDER_REMOVE, 174, 150),
        AT(IDD_OBSOLETE, IDC_ACCEPT, 87, 150),
        AT(IDD_OBSOLETE, IDC_CANCEL, 174, 150),
        AT(IDD_OBSOLETE, IDC_OBSOLETE_HEADING, 79, 25),
        AT(IDD_OBSOLETE, IDC_OBSOLETE_TEXT, 17, 52),
        AT(IDD_OBSOLETE, IDC_OBSOLETE_QUESTION, 115, 114),
        AT(IDD_ABOUT, IDC_ACCEPT, 101, 108),
        AT(IDD_ABOUT, IDC_ABOUT_TEXT, 7, 7),
#undef AT
    };
    for (const auto& entry : named) {
        SCOPED_TRACE(entry.name);
        const Bytes bytes = Resource(kTypeDialog, entry.dialog);
        ASSERT_NE(nullptr, bytes.data);
        const ParsedDialog d = ParseDialog(bytes);
        ASSERT_TRUE(d.readInside);
        int found = 0;
        for (const ParsedControl& c : d.controls) {
            if (c.id != entry.control) continue;
            ++found;
            EXPECT_EQ(entry.x, c.x);
            EXPECT_EQ(entry.y, c.y);
        }
        EXPECT_EQ(1, found) << "controls with this identifier";
    }
}

// ------------------------------------------------------------------ icons

// Both icon groups hold one design at every size a display scale asks for, in 32-bit
// colour with alpha, and at 16 and 32 pixels in 16 colours for systems without alpha.
struct IconPicture {
    int side;
    int bitCount;
};
const IconPicture kIconPictures[] = {{16, 32}, {20, 32}, {24, 32}, {32, 32}, {40, 32},
                                     {48, 32}, {64, 32}, {16, 4},  {32, 4}};
const int kIconGroups[] = {IDI_PROGRAM, IDI_TRAY};

void ExpectLoadedIconSize(int id, LONG side) {
    HICON icon = static_cast<HICON>(
        LoadImageW(Self(), MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, LR_DEFAULTCOLOR));
    ASSERT_NE(nullptr, icon) << "LoadImageW failed, error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    ASSERT_NE(nullptr, info.hbmColor) << "a colour icon has a colour bitmap";
    BITMAP color{};
    ASSERT_NE(0, GetObjectW(info.hbmColor, sizeof color, &color));
    EXPECT_EQ(side, color.bmWidth);
    EXPECT_EQ(side, color.bmHeight);
    BITMAP mask{};
    ASSERT_NE(0, GetObjectW(info.hbmMask, sizeof mask, &mask));
    EXPECT_EQ(side, mask.bmWidth);
    EXPECT_EQ(side, mask.bmHeight) << "a colour icon's mask is one image high";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

TEST(Icons, TrayIconLoadsAtSixteenPixels) { ExpectLoadedIconSize(114, 16); }

TEST(Icons, ProgramIconLoadsAtThirtyTwoPixels) { ExpectLoadedIconSize(101, 32); }

TEST(Icons, BothIconsLoadAtEverySizeOfADisplayScale) {
    for (int group : kIconGroups)
        for (const IconPicture& picture : kIconPictures) {
            SCOPED_TRACE(::testing::Message() << "group " << group << ", " << picture.side << " pixels");
            ExpectLoadedIconSize(group, picture.side);
        }
}

TEST(ResourceNames, IconNamesLoadTheirSizes) {
    ExpectLoadedIconSize(IDI_TRAY, 16);
    ExpectLoadedIconSize(IDI_PROGRAM, 32);
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
    reinterpret_cast<std::vector<int>*>(list)->push_back(
        IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1);
    return TRUE;
}

// The first icon group is the one the program file shows.
TEST(Icons, ProgramIconIsTheFirstOfTwoIconGroups) {
    std::vector<int> groups;
    EnumResourceNamesW(Self(), kTypeGroupIcon, CollectName, reinterpret_cast<LONG_PTR>(&groups));
    EXPECT_EQ((std::vector<int>{101, 114}), groups);
}

// One entry of an icon group's directory.
struct GroupEntry {
    int width, height, colours, bitCount;
    uint32_t bytesInRes;
    uint16_t imageId;
};

std::vector<GroupEntry> GroupEntries(int groupId) {
    std::vector<GroupEntry> entries;
    const Bytes group = Resource(kTypeGroupIcon, groupId);
    Reader dir(group);
    dir.U16();
    if (dir.U16() != 1) return entries;  // not an icon group
    const int count = dir.U16();
    for (int i = 0; i < count && dir.ok(); ++i) {
        GroupEntry entry{};
        entry.width = dir.U8();
        entry.height = dir.U8();
        entry.colours = dir.U8();
        dir.U8();
        if (dir.U16() != 1) entry.bitCount = -1;  // planes
        const int bits = dir.U16();
        if (entry.bitCount == 0) entry.bitCount = bits;
        entry.bytesInRes = dir.U32();
        entry.imageId = dir.U16();
        if (dir.ok()) entries.push_back(entry);
    }
    return entries;
}

TEST(Icons, EachGroupHoldsEverySizeInTrueColourAndTheSixteenColourPair) {
    for (int group : kIconGroups) {
        SCOPED_TRACE(::testing::Message() << "group " << group);
        const std::vector<GroupEntry> entries = GroupEntries(group);
        ASSERT_EQ(std::size(kIconPictures), entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(kIconPictures[i].side, entries[i].width) << "picture " << i;
            EXPECT_EQ(kIconPictures[i].side, entries[i].height) << "picture " << i;
            EXPECT_EQ(kIconPictures[i].bitCount, entries[i].bitCount) << "picture " << i;
            EXPECT_EQ(kIconPictures[i].bitCount == 4 ? 16 : 0, entries[i].colours) << "picture " << i;
        }
    }
}

// One icon picture: its colours (alpha in rgbReserved for 32-bit ones) and AND mask.
struct IconImage {
    int side = 0;
    int bitCount = 0;
    std::vector<std::vector<RGBQUAD>> color;     // [row from top][column]
    std::vector<std::vector<bool>> transparent;  // mask bit set
};

// Reads the picture of a group at a size and colour depth; records failures as test failures.
void ReadIconImage(int groupId, int side, int bitCount, IconImage& image) {
    const std::vector<GroupEntry> entries = GroupEntries(groupId);
    const GroupEntry* entry = nullptr;
    for (const GroupEntry& candidate : entries)
        if (candidate.width == side && candidate.bitCount == bitCount) entry = &candidate;
    ASSERT_NE(nullptr, entry) << "no picture of " << side << " pixels at " << bitCount << " bits in group " << groupId;

    const Bytes bits = Resource(kTypeIcon, entry->imageId);
    ASSERT_NE(nullptr, bits.data) << "no icon image " << entry->imageId;
    EXPECT_EQ(entry->bytesInRes, bits.size);
    Reader in(bits);
    EXPECT_EQ(40u, in.U32()) << "BITMAPINFOHEADER";
    const int width = static_cast<int32_t>(in.U32());
    const int doubledHeight = static_cast<int32_t>(in.U32());
    in.U16();  // planes
    image.bitCount = in.U16();
    const uint32_t compression = in.U32();
    in.Skip(12);
    const uint32_t colorsUsed = in.U32();
    in.U32();
    ASSERT_EQ(side, width);
    ASSERT_EQ(2 * side, doubledHeight) << "colour rows and mask rows";
    ASSERT_EQ(bitCount, image.bitCount);
    ASSERT_EQ(static_cast<uint32_t>(BI_RGB), compression);
    std::vector<RGBQUAD> palette;
    if (bitCount == 4) {
        ASSERT_TRUE(colorsUsed == 0 || colorsUsed == 16);
        for (int i = 0; i < 16; ++i) {
            RGBQUAD entry{};
            entry.rgbBlue = in.U8();
            entry.rgbGreen = in.U8();
            entry.rgbRed = in.U8();
            in.U8();
            palette.push_back(entry);
        }
    } else {
        ASSERT_EQ(0u, colorsUsed) << "no palette";
    }
    const size_t colorStride = (side * bitCount + 31) / 32 * 4;
    const size_t maskStride = (side + 31) / 32 * 4;
    const size_t colorStart = in.pos();
    const size_t maskStart = colorStart + colorStride * side;
    ASSERT_EQ(maskStart + maskStride * side, bits.size) << "colours and a full mask, nothing more";

    image.side = side;
    image.color.assign(side, std::vector<RGBQUAD>(side));
    image.transparent.assign(side, std::vector<bool>(side));
    for (int row = 0; row < side; ++row) {
        const int stored = side - 1 - row;  // bitmaps are stored bottom row first
        const uint8_t* line = bits.data + colorStart + stored * colorStride;
        for (int col = 0; col < side; ++col) {
            if (bitCount == 4) {
                const uint8_t pair = line[col / 2];
                image.color[row][col] = palette[col % 2 == 0 ? pair >> 4 : pair & 0x0F];
            } else {
                image.color[row][col] = {line[4 * col], line[4 * col + 1], line[4 * col + 2], line[4 * col + 3]};
            }
            const uint8_t maskByte = bits.data[maskStart + stored * maskStride + col / 8];
            image.transparent[row][col] = (maskByte >> (7 - col % 8)) & 1;
            // A 16-colour picture is opaque wherever its mask lets it show.
            if (bitCount == 4) image.color[row][col].rgbReserved = image.transparent[row][col] ? 0 : 255;
        }
    }
}

bool IsBlue(const RGBQUAD& c) { return c.rgbBlue >= 128 && c.rgbRed < 64 && c.rgbGreen < 64; }
bool IsRed(const RGBQUAD& c) { return c.rgbRed >= 128 && c.rgbBlue < 64 && c.rgbGreen < 64; }

void ExpectBlueUpperLeftRedLowerRight(int groupId, const IconPicture& picture) {
    const int side = picture.side;
    SCOPED_TRACE(::testing::Message() << "group " << groupId << ", " << side << " pixels, " << picture.bitCount
                                      << " bits");
    IconImage image;
    ReadIconImage(groupId, side, picture.bitCount, image);
    if (::testing::Test::HasFatalFailure()) return;

    int clear = 0, blue = 0, red = 0;
    double blueX = 0, blueY = 0, redX = 0, redY = 0;
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            const RGBQUAD& c = image.color[row][col];
            if (image.transparent[row][col]) {
                ++clear;
                // Black under the mask leaves the screen as it is; any other colour inverts it.
                EXPECT_TRUE(c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0 && c.rgbReserved == 0)
                    << "transparent pixel " << col << "," << row << " is not clear black";
            } else if (c.rgbReserved == 0) {
                ADD_FAILURE() << "pixel " << col << "," << row << " shows the screen but has no mask bit";
            } else if (IsBlue(c)) {
                ++blue;
                blueX += col;
                blueY += row;
            } else if (IsRed(c)) {
                ++red;
                redX += col;
                redY += row;
            } else {
                ADD_FAILURE() << "pixel " << col << "," << row << " is neither blue, red nor clear";
            }
        }
    }
    const int pixels = side * side;
    EXPECT_GE(clear * 4, pixels) << "background: at least a quarter transparent";
    EXPECT_GE(blue * 10, pixels) << "blue letter: at least a tenth";
    EXPECT_GE(red * 10, pixels) << "red letter: at least a tenth";
    if (blue > 0 && red > 0) {
        EXPECT_LT(blueX / blue, redX / red) << "blue letter left of the red one";
        EXPECT_LT(blueY / blue, redY / red) << "blue letter above the red one";
    }
    EXPECT_TRUE(image.transparent[0][side - 1]) << "upper right corner";
    EXPECT_TRUE(image.transparent[side - 1][0]) << "lower left corner";
}

TEST(Icons, ProgramIconIsBlueOverRedOnTransparency) {
    for (const IconPicture& picture : kIconPictures) ExpectBlueUpperLeftRedLowerRight(101, picture);
}

TEST(Icons, TrayIconIsBlueOverRedOnTransparency) {
    for (const IconPicture& picture : kIconPictures) ExpectBlueUpperLeftRedLowerRight(114, picture);
}

// The soft edges of the 32-bit pictures: some pixels partly opaque, so that a scaled
// display shows smooth letters, not the 16-colour steps.
TEST(Icons, TrueColourPicturesHaveSoftEdges) {
    for (const IconPicture& picture : kIconPictures) {
        if (picture.bitCount != 32) continue;
        IconImage image;
        ReadIconImage(IDI_TRAY, picture.side, 32, image);
        if (::testing::Test::HasFatalFailure()) return;
        int partly = 0;
        for (const auto& row : image.color)
            for (const RGBQUAD& c : row) partly += c.rgbReserved > 0 && c.rgbReserved < 255;
        EXPECT_GT(partly, 0) << picture.side << " pixels";
    }
}

// ------------------------------------------------------------ text resources

Bytes TextResource(int id) {
    Bytes bytes;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "STRINGFILE");
    if (found == nullptr) return bytes;
    bytes.data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    bytes.size = bytes.data != nullptr ? SizeofResource(nullptr, found) : 0;
    return bytes;
}

// Line `index` (from 0) of CR LF separated text, or "" past the end.
std::string LineOf(Bytes bytes, int index) {
    const std::string text(reinterpret_cast<const char*>(bytes.data), bytes.size);
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) return "";
        start = end + 2;
    }
    return text.substr(start, text.find("\r\n", start) - start);
}

// Each number holds its own language, as the language switch expects: a
// mix-up of the six numbers shows here.
TEST(TextResources, EachNumberHoldsItsLanguagesTableOrAboutText) {
    const struct {
        int id;
        const char* what;
        int line;
        std::string start;  // Windows-1250
    } expected[] = {
        {110, "English table", 2, "Date"},
        {109, "Czech table", 2, "Datum"},
        {111, "Slovak table", 2, "D\xE1" "tum"},
        {112, "English about text", 9, "See history.txt "},
        {114, "Czech about text", 9, "Soubor history.txt "},
        {113, "Slovak about text", 9, "S\xFA" "bor history.txt "},
    };
    for (const auto& resource : expected) {
        SCOPED_TRACE(::testing::Message() << resource.id << ", " << resource.what);
        const Bytes bytes = TextResource(resource.id);
        ASSERT_NE(nullptr, bytes.data) << "no STRINGFILE " << resource.id;
        const std::string line = LineOf(bytes, resource.line);
        EXPECT_EQ(resource.start, line.substr(0, resource.start.size()))
            << "line " << resource.line;
    }
}

// The names the program uses reach the same resources.
TEST(ResourceNames, TextNamesFindTheirLanguage) {
    const struct {
        const char* name;
        int id;
        int line;
        std::string start;
    } named[] = {
        {"IDS_TABLE_ENGLISH", IDS_TABLE_ENGLISH, 2, "Date"},
        {"IDS_TABLE_CZECH", IDS_TABLE_CZECH, 2, "Datum"},
        {"IDS_TABLE_SLOVAK", IDS_TABLE_SLOVAK, 2, "D\xE1" "tum"},
        {"IDS_ABOUT_ENGLISH", IDS_ABOUT_ENGLISH, 9, "See "},
        {"IDS_ABOUT_CZECH", IDS_ABOUT_CZECH, 9, "Soubor "},
        {"IDS_ABOUT_SLOVAK", IDS_ABOUT_SLOVAK, 9, "S\xFA" "bor "},
    };
    for (const auto& entry : named) {
        SCOPED_TRACE(entry.name);
        const Bytes bytes = TextResource(entry.id);
        ASSERT_NE(nullptr, bytes.data);
        EXPECT_EQ(entry.start, LineOf(bytes, entry.line).substr(0, entry.start.size()));
    }
}

}  // namespace
