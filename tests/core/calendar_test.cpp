// The calendar export and import: the days the export chooses, the file's form, the
// round trip, and files in the forms other programs write (tests/core/calendar_samples).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "calendar_export.h"
#include "calendar_import.h"
#include "memory_file_system.h"
#include "test_support.h"

using namespace test_support;

namespace {

const UtcTime kStamp{2004, 6, 15, 8, 30, 0};

std::string Utf8(const std::string& cp1250) { return Windows1250CodePage().ToUtf8(cp1250); }
std::string Cp1250(const std::string& utf8) {
    bool altered = false;
    return Windows1250CodePage().FromUtf8(utf8, altered);
}

// The file's content lines, unfolded.
std::vector<std::string> Unfolded(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] == ' ') lines.back() += line.substr(1);
        else lines.push_back(line);
        at = end + 2;
    }
    return lines;
}

struct ExportedEvent {
    std::string start, rule, part;
};

std::vector<ExportedEvent> Events(const std::string& text) {
    std::vector<ExportedEvent> events;
    for (const std::string& line : Unfolded(text)) {
        if (line == "BEGIN:VEVENT") events.emplace_back();
        if (line.rfind("DTSTART;VALUE=DATE:", 0) == 0) events.back().start = line.substr(19);
        if (line.rfind("RRULE:", 0) == 0) events.back().rule = line.substr(6);
        if (line.rfind("X-TOLVEK-PART:", 0) == 0) events.back().part = line.substr(14);
    }
    return events;
}

std::string ReadSample(const std::string& name) {
    std::ifstream file(std::string(TOLVEK_CALENDAR_SAMPLES) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

Note Defaults() { return MakeNote(0, 0, 1, 1, 2); }  // on startup, three days ahead

bool SameNote(const Note& a, const Note& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.period == b.period &&
           a.advance == b.advance && a.obsoleteDeclined == b.obsoleteDeclined && NoteText(a) == NoteText(b);
}

std::string Describe(const Note& note) {
    std::ostringstream out;
    out << note.year << '-' << note.month << '-' << note.day << " p" << note.period << " a" << note.advance << " k"
        << note.obsoleteDeclined << " \"" << Utf8(NoteText(note)) << '"';
    return out.str();
}

std::string Describe(const CalendarImport& imported) {
    std::ostringstream out;
    out << "read " << static_cast<int>(imported.read) << ", verdict " << static_cast<int>(imported.verdict)
        << ", unreadable " << imported.unreadable << ", passed " << imported.passed << ", altered "
        << imported.altered << '\n';
    for (const Note& note : imported.notes) out << Describe(note) << '\n';
    return out.str();
}

// The import of `bytes`, read whole from memory; read from a disk in parts of many sizes as
// well, so that lines, folds and byte-order marks fall across the parts' ends: all must agree.
CalendarImport Import(const std::string& bytes) {
    const CalendarImport whole = ReadCalendarFile(bytes, ReadToday(), Defaults(), Windows1250CodePage());
    MemoryFileSystem disk;
    disk.Put("import.ics", Bytes(bytes.begin(), bytes.end()));
    const std::string expected = Describe(whole);
    for (const std::size_t part : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{7},
                                   std::size_t{16}, std::size_t{61}, kCalendarReadPart}) {
        const CalendarImport inParts =
            ImportCalendarFile(disk, "import.ics", ReadToday(), Defaults(), Windows1250CodePage(), part);
        EXPECT_EQ(expected, Describe(inParts)) << "read in parts of " << part;
    }
    return whole;
}

class CalendarTest : public CoreTest {};

TEST_F(CalendarTest, CalendarDayPutsMissingDaysOnTheMonthsLastDay) {
    // year, month, stored day, day on the calendar
    const int64_t cases[][4] = {
        {2004, 4, 31, 30}, {2004, 4, 30, 30}, {2004, 2, 29, 29}, {2005, 2, 29, 28}, {2005, 2, 31, 28},
        {2000, 2, 30, 29}, {1900, 2, 29, 28}, {2004, 12, 31, 31}, {2004, 6, 1, 1},  {2004, 9, 31, 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c[3], CalendarDay(c[0], c[1], c[2])) << c[0] << "-" << c[1] << "-" << c[2];
}

TEST_F(CalendarTest, ExportChoosesStartAndRuleByOpenParts) {
    struct Case {
        int32_t year, month, day;
        std::vector<ExportedEvent> events;  // today is 15 June 2004
    };
    const std::string others = "FREQ=MONTHLY;BYMONTH=1,3,4,5,6,7,8,9,10,11,12;BYMONTHDAY=";
    const Case cases[] = {
        {2004, 6, 15, {{"20040615", "", ""}}},
        {2004, 4, 31, {{"20040430", "", ""}}},
        {2005, 2, 29, {{"20050228", "", ""}}},
        {0, 12, 24, {{"20041224", "FREQ=YEARLY;BYMONTH=12;BYMONTHDAY=24", ""}}},
        {0, 6, 14, {{"20050614", "FREQ=YEARLY;BYMONTH=6;BYMONTHDAY=14", ""}}},
        {0, 2, 28, {{"20050228", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28", ""}}},
        {0, 2, 29, {{"20050228", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1", ""}}},
        {0, 4, 31, {{"20050430", "FREQ=YEARLY;BYMONTH=4;BYMONTHDAY=-1", ""}}},
        {0, 0, 15, {{"20040615", "FREQ=MONTHLY;BYMONTHDAY=15", ""}}},
        {0, 0, 14, {{"20040714", "FREQ=MONTHLY;BYMONTHDAY=14", ""}}},
        {0, 0, 31, {{"20040630", "FREQ=MONTHLY;BYMONTHDAY=-1", ""}}},
        {0, 0, 30, {{"20040630", others + "30", "1"}, {"20050228", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1", "2"}}},
        {0, 0, 29, {{"20040629", others + "29", "1"}, {"20050228", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1", "2"}}},
        {2004, 0, 10, {{"20040110", "FREQ=MONTHLY;BYMONTHDAY=10;UNTIL=20041231", ""}}},
        {2004, 0, 31, {{"20040131", "FREQ=MONTHLY;BYMONTHDAY=-1;UNTIL=20041231", ""}}},
        {2003, 0, 29, {{"20030129", others + "29;UNTIL=20031231", "1"}, {"20030228", "", "2"}}},
    };
    // A clock past the year 9999 still gives the next day, five digits of year and all.
    const CalendarExport late =
        ExportCalendar({MakeNote(0, 12, 31)}, Today{9999, 12, 31, 5}, kStamp, Windows1250CodePage());
    EXPECT_NE(std::string::npos, late.text.find("\r\nDTSTART;VALUE=DATE:99991231\r\nDTEND;VALUE=DATE:100000101\r\n"));
    for (const Case& c : cases) {
        const CalendarExport file =
            ExportCalendar({MakeNote(c.year, c.month, c.day)}, ReadToday(), kStamp, Windows1250CodePage());
        const std::vector<ExportedEvent> events = Events(file.text);
        ASSERT_EQ(c.events.size(), events.size()) << c.year << "-" << c.month << "-" << c.day;
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(c.events[i].start, events[i].start) << c.year << "-" << c.month << "-" << c.day;
            EXPECT_EQ(c.events[i].rule, events[i].rule) << c.year << "-" << c.month << "-" << c.day;
            EXPECT_EQ(c.events[i].part, events[i].part) << c.year << "-" << c.month << "-" << c.day;
        }
    }
}

TEST_F(CalendarTest, ExportedFileHasTheRequiredFormLineByLine) {
    const std::string longCzech = Cp1250("Příliš žluťoučký kůň úpěl ďábelské ódy; pak, \\ potom znovu a znovu a znovu!");
    const CalendarExport file = ExportCalendar(
        {MakeNote(0, 3, 8, 0, 0, longCzech), MakeNote(2004, 7, 1, 1, 1, "a"), MakeNote(2004, 7, 1, 1, 1, "a")},
        ReadToday(), kStamp, Windows1250CodePage());
    EXPECT_EQ(3u, file.exported);
    const std::string& text = file.text;
    ASSERT_GE(text.size(), 2u);
    EXPECT_NE("\xEF\xBB\xBF", text.substr(0, 3));
    EXPECT_EQ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:", text.substr(0, 37));
    EXPECT_NE(std::string::npos, text.find("\r\nCALSCALE:GREGORIAN\r\nMETHOD:PUBLISH\r\n"));
    EXPECT_EQ("END:VCALENDAR\r\n", text.substr(text.size() - 15));
    // Every line ends in CR LF, holds at most 75 octets and starts a character.
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        ASSERT_NE(std::string::npos, end);
        ASSERT_GT(end, at);
        EXPECT_EQ('\r', text[end - 1]);
        EXPECT_LE(end - 1 - at, 75u) << text.substr(at, end - at);
        EXPECT_NE(0x80, static_cast<unsigned char>(text[at]) & 0xC0) << "a line starts inside a character";
        at = end + 1;
    }
    const std::vector<std::string> lines = Unfolded(text);
    const std::string summary = "SUMMARY:" + std::string("P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88 \xC3\xBAp\xC4\x9Bl \xC4\x8F\xC3\xA1\x62\x65lsk\xC3\xA9 \xC3\xB3\x64y\\; pak\\, \\\\ potom znovu a znovu a znovu!");
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), summary));
    // Two identical notes: two events, two UIDs; every event has what clients require.
    std::vector<std::string> uids;
    int events = 0, stamps = 0, ends = 0, alarms = 0;
    for (const std::string& line : lines) {
        if (line.rfind("UID:", 0) == 0) uids.push_back(line);
        events += line == "BEGIN:VEVENT";
        stamps += line == "DTSTAMP:20040615T083000Z";
        ends += line.rfind("DTEND;VALUE=DATE:", 0) == 0;
        alarms += line == "ACTION:DISPLAY";
    }
    EXPECT_EQ(3, events);
    EXPECT_EQ(3, stamps);
    EXPECT_EQ(3, ends);
    EXPECT_EQ(3, alarms);
    ASSERT_EQ(3u, uids.size());
    EXPECT_NE(uids[1], uids[2]);
    EXPECT_EQ("-0@tolvek.diary", uids[1].substr(uids[1].size() - 15));
    EXPECT_EQ("-1@tolvek.diary", uids[2].substr(uids[2].size() - 15));
    // The same diary gives the same UIDs.
    const CalendarExport again = ExportCalendar(
        {MakeNote(0, 3, 8, 0, 0, longCzech), MakeNote(2004, 7, 1, 1, 1, "a"), MakeNote(2004, 7, 1, 1, 1, "a")},
        ReadToday(), kStamp, Windows1250CodePage());
    EXPECT_EQ(text, again.text);
}

TEST_F(CalendarTest, AlarmFiresAtNineOnTheFirstDayOfTheReminderWindow) {
    const char* triggers[] = {"TRIGGER:-P29DT15H", "TRIGGER:-P6DT15H", "TRIGGER:-P2DT15H", "TRIGGER:-PT15H",
                              "TRIGGER:PT9H"};
    for (int32_t advance = 0; advance < 5; ++advance) {
        const CalendarExport file =
            ExportCalendar({MakeNote(2004, 7, 1, 2, advance)}, ReadToday(), kStamp, Windows1250CodePage());
        EXPECT_NE(std::string::npos, file.text.find(std::string("\r\n") + triggers[advance] + "\r\n")) << advance;
    }
    // What Tolvek reads back from an alarm: the nearest advance that is not later.
    // seconds from the event day's midnight, advance
    const int64_t alarms[][2] = {
        {9 * 3600, 4},  {0, 4},        {-1, 3},         {-15 * 3600, 3}, {-86400, 3},        {-86401, 2},
        {-3 * 86400, 2}, {-3 * 86400 - 1, 1}, {-7 * 86400, 1}, {-(29 * 86400 + 15 * 3600), 0}, {-90 * 86400, 0},
    };
    for (const auto& alarm : alarms) EXPECT_EQ(alarm[1], AdvanceForAlarm(alarm[0])) << alarm[0];
}

TEST_F(CalendarTest, FoldingNeverSplitsACharacter) {
    std::string line = "SUMMARY:";
    for (int i = 0; i < 60; ++i) line += "\xC4\x8D";  // č, two octets each
    line += "\xF0\x9F\x8E\x82x";                       // a four-octet character
    const std::string folded = FoldContentLine(line);
    std::string joined;
    std::size_t at = 0;
    while (at < folded.size()) {
        const std::size_t end = folded.find("\r\n", at);
        const std::string part = folded.substr(at, end - at);
        EXPECT_LE(part.size(), 75u);
        joined += at == 0 ? part : part.substr(1);
        if (at != 0) {
            EXPECT_EQ(' ', part[0]);
        }
        at = end + 2;
    }
    EXPECT_EQ(line, joined);
    std::size_t check = 0;
    while (check < joined.size()) EXPECT_NE(0xFFFDu, static_cast<unsigned>(NextUtf8(joined, check)));
    EXPECT_EQ("a\\\\b\\;c\\,d\\ne\\nf", EscapeCalendarText("a\\b;c,d\ne\r\nf"));
}

// Every combination of open parts, advance and period, the days that months lack, texts
// with Czech and Slovak letters and with characters that need escaping.
std::vector<Note> EveryKindOfNote() {
    const int32_t years[] = {0, 2003, 2004, 2005};
    const int32_t months[] = {0, 1, 2, 4, 12};
    const int32_t days[] = {1, 15, 28, 29, 30, 31};
    const char* texts[] = {"", "Plain", "Cesta \xE8\xED\x9Alo 3; \"x\", y\\z", "\xDF\xE1\xF2 \xC8\xD8\x8E\x8A \xBE\xE5\xF4"};
    std::vector<Note> notes;
    int n = 0;
    for (int32_t year : years)
        for (int32_t month : months)
            for (int32_t day : days) {
                ++n;
                notes.push_back(MakeNote(year, month, day, n % 3, n % 5, texts[n % 4], n % 7 == 0 ? 1 : 0));
            }
    notes.push_back(MakeNote(2004, 5, 5, 7, 9, std::string(99, 'x')));  // values outside the lists
    notes.push_back(notes[3]);                                         // an identical note
    return notes;
}

TEST_F(CalendarTest, ExportThenImportGivesTheSameNotes) {
    const std::vector<Note> notes = EveryKindOfNote();
    for (const auto& today : {std::array<int32_t, 3>{2004, 6, 15}, std::array<int32_t, 3>{2005, 3, 1}}) {
        SetToday(today[0], today[1], today[2]);
        const CalendarExport file = ExportCalendar(notes, ReadToday(), kStamp, Windows1250CodePage());
        const CalendarImport back = Import(file.text);
        EXPECT_EQ(CalendarVerdict::Read, back.verdict);
        EXPECT_EQ(0u, back.unreadable);
        EXPECT_EQ(0u, back.passed);
        EXPECT_EQ(0u, back.altered);
        ASSERT_EQ(notes.size(), back.notes.size());
        for (std::size_t i = 0; i < notes.size(); ++i)
            EXPECT_TRUE(SameNote(notes[i], back.notes[i])) << Describe(notes[i]) << " came back as " << Describe(back.notes[i]);
    }
}

TEST_F(CalendarTest, LargeDiaryWithLongTextsComesBackWhole) {
    // Every text folded over two lines, far more joined text than one piece of the reader's
    // room holds, and a file read in many parts.
    std::vector<Note> notes;
    for (int i = 0; i < 3000; ++i)
        notes.push_back(MakeNote(i % 2 == 0 ? 0 : 2005, i % 13, i % 31 + 1, i % 3, i % 5,
                                 std::to_string(i) + " \xE8\xED\x9Alo; " + std::string(80, 'a' + i % 26)));
    const CalendarExport file = ExportCalendar(notes, ReadToday(), kStamp, Windows1250CodePage());
    const CalendarImport back = Import(file.text);
    ASSERT_EQ(notes.size(), back.notes.size());
    EXPECT_EQ(0u, back.altered);
    for (std::size_t i = 0; i < notes.size(); ++i)
        EXPECT_TRUE(SameNote(notes[i], back.notes[i])) << Describe(notes[i]) << " came back as " << Describe(back.notes[i]);
}

TEST_F(CalendarTest, ReadingInPartsOfAnySizeGivesWhatReadingWholeGives) {
    // Every part size up to the whole file: somewhere a line, a fold, a soft break, a line
    // end or the byte-order mark falls across the end of a part.
    const std::string folds =
        "\xEF\xBB\xBF" "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:2004\r\n 0701\r\n\r\n\r\nSUMMARY:a\r\n"
        "\tb\r\n c\r\nEND:VEVENT\r\nBEGIN:VCARD\r\nN;ENCODING=QUOTED-PRINTABLE:=C5=\r\n=A0a=\r\n\r\nBDAY:--0102\r\n"
        "END:VCARD\r\nBEGIN:VEVENT\r\nDTSTART:20040702\r\nSUMMARY:no line end at the end\r\nEND:VEVENT\r\nEND:VCALENDAR\r";
    MemoryFileSystem disk;
    for (const std::string& bytes : {folds, ReadSample("contacts.vcf"), ReadSample("outlook.ics")}) {
        const std::string whole = Describe(ReadCalendarFile(bytes, ReadToday(), Defaults(), Windows1250CodePage()));
        disk.Put("parts.ics", Bytes(bytes.begin(), bytes.end()));
        for (std::size_t part = 1; part <= bytes.size() + 1; ++part) {
            const CalendarImport inParts =
                ImportCalendarFile(disk, "parts.ics", ReadToday(), Defaults(), Windows1250CodePage(), part);
            ASSERT_EQ(whole, Describe(inParts)) << "read in parts of " << part;
        }
    }
}

TEST_F(CalendarTest, LinesEndAnywhereInTheBytesAroundThem) {
    // Line ends are found 64 bytes at a time: a padding line of every length moves the
    // event's lines, their ends, folds and the lines after them across those bounds.
    for (const std::string end : {"\r\n", "\n"}) {
        for (std::size_t pad = 0; pad <= 130; ++pad) {
            const std::string file = "BEGIN:VCALENDAR" + end + "X-PAD:" + std::string(pad, 'p') + end +
                                     "BEGIN:VEVENT" + end + "DTSTART;VALUE=DATE:20040701" + end + "SUMMARY:ends in =" +
                                     end + "X-TOLVEK-PERIOD:0" + end + "DESCRIPTION:a" + end + " b" + end + end +
                                     "X-TOLVEK-ADVANCE:4" + end + "END:VEVENT" + end + "END:VCALENDAR";
            const CalendarImport imported = Import(file);
            ASSERT_EQ(1u, imported.notes.size()) << pad;
            EXPECT_TRUE(SameNote(MakeNote(2004, 7, 1, 0, 4, "ends in ="), imported.notes[0]))
                << pad << " gave " << Describe(imported.notes[0]);
        }
    }
}

TEST_F(CalendarTest, ContentLinesAreReadInAnyCaseFoldedAnywhereAndQuoted) {
    // The event's lines, then the note expected (year -1: unreadable, -2: passed over
    // unnoticed); today is 15 June 2004, new notes have period 1 and advance 2.
    struct Case {
        std::string lines;
        int32_t year, month, day, period, advance;
        std::string text;
        int32_t kept = 0;
    };
    const Case cases[] = {
        {"dtstart;value=date:20040701\r\nSummary:lower case\r\nx-tolvek-advance:1", 2004, 7, 1, 1, 1, "lower case"},
        {"DTSTART;TZID=\"Europe/Prague: CET\";X=1:20040701T100000\r\nSUMMARY;LANGUAGE=cs:quoted", 2004, 7, 1, 1, 2,
         "quoted"},
        {"DTSTART;TZID=\"open:20040701\r\nSUMMARY:a quote left open", -1, 0, 0, 0, 0, ""},
        {"DTSTART;VALUE=DATE:2004\r\n 0701\r\nSUMMARY:fol\r\n\tded by a tab", 2004, 7, 1, 1, 2, "folded by a tab"},
        {"DTSTART;VALUE=DATE:20040701\r\nSUMMARY:over an\r\n\r\n  empty line", 2004, 7, 1, 1, 2, "over an empty line"},
        {"DTSTART;VALUE=DATE:20040701\nSUMMARY:bare line feeds\nX-TOLVEK-PERIOD:0", 2004, 7, 1, 0, 2, "bare line feeds"},
        // Tolvek's own fields as C reads numbers: blanks and a sign before the digits.
        {"DTSTART;VALUE=DATE:20040701\r\nX-TOLVEK-DATE:0-7-+01\r\nX-TOLVEK-ADVANCE: 3\r\nX-TOLVEK-PERIOD:+2", 0, 7, 1,
         2, 3, ""},
        {"DTSTART;VALUE=DATE:20040701\r\nX-TOLVEK-DATE:2004-07\r\nX-TOLVEK-ADVANCE:3x\r\nX-TOLVEK-PERIOD:", 2004, 7, 1,
         1, 2, ""},
        // The alarm counts only where Tolvek's own advance is missing.
        {"DTSTART;VALUE=DATE:20040701\r\nBEGIN:VALARM\r\nTRIGGER;RELATED=END:-P2D\r\nEND:VALARM", 2004, 7, 1, 1, 3, ""},
        {"DTSTART;VALUE=DATE:20040701\r\nX-TOLVEK-ADVANCE:0\r\nBEGIN:VALARM\r\nTRIGGER:PT9H\r\nEND:VALARM", 2004, 7,
         1, 1, 0, ""},
        {"DTSTART;VALUE=DATE:20040701\r\nSUMMARY:ends folded\r\nEND:VEVE\r\n NT", 2004, 7, 1, 1, 2, "ends folded"},
        // Names that only start like the ones read, or differ in a byte that is no letter.
        {"DTSTART:20040701\r\nDTSTARTX:20040801\r\nSUMMARY:kept\r\nSUMMARYX:not read\r\nX\x0DTOLVEK-DATE:0000-01-01",
         2004, 7, 1, 1, 2, "kept"},
        // The last of Tolvek's fields counts, read or not; a stored date out of range is none.
        {"DTSTART;VALUE=DATE:20040701\r\nX-TOLVEK-ADVANCE:1\r\nX-TOLVEK-ADVANCE:x\r\nX-TOLVEK-DATE:2004-13-01", 2004,
         7, 1, 1, 2, ""},
        {"DTSTART;VALUE=DATE:20040701\r\nX-TOLVEK-DATE:0000-00-31\r\nSUMMARY:ends in =\r\n\r\nX-TOLVEK-PERIOD:0", 0, 0,
         31, 0, 2, "ends in ="},
        {"DTSTART;VALUE=DATE:20040701\r\nbegin:valarm\r\nTRIGGER:-P1D\r\nend:VALARM", 2004, 7, 1, 1, 3, ""},
        {"DTSTART:20040701\r\nRRULE:", -1, 0, 0, 0, 0, ""},  // a short line is read by its name all the same
        // An alarm before the end counts from the last readable DTEND (a day after the start).
        {"DTSTART:20040701T100000\r\nDTEND:20040702T100000\r\nDTEND:2004\r\nBEGIN:VALARM\r\n"
         "TRIGGER;RELATED=END:-PT34H\r\nEND:VALARM",
         2004, 7, 1, 1, 4, ""},
        // What an unknown component holds is not the event's; it may close in another case.
        {"DTSTART:20040701\r\nBEGIN:X-Thing\r\nSUMMARY:inner\r\nend:x-thing\r\nSUMMARY:outer", 2004, 7, 1, 1, 2,
         "outer"},
        {"DTSTART:20040701\r\nBEGIN:VALARM\r\nTRIGGER:-P1D", -1, 0, 0, 0, 0, ""},  // closed out of order
        {"DTSTART:20040701\r\nX-TOLVEK-KEPT:1\r\nX-TOLVEK-PART:1", 2004, 7, 1, 1, 2, "", 1},
        {"DTSTART:20040701\r\nX-TOLVEK-PART:2", -2, 0, 0, 0, 0, ""},  // the rest of a split note
    };
    for (const Case& c : cases) {
        const std::string file = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n" + c.lines + "\r\nEND:VEVENT\r\nEND:VCALENDAR";
        const CalendarImport imported = Import(file);
        if (c.year < 0) {
            EXPECT_EQ(c.year == -1 ? 1u : 0u, imported.unreadable) << c.lines;
            EXPECT_TRUE(imported.notes.empty()) << c.lines;
            continue;
        }
        ASSERT_EQ(1u, imported.notes.size()) << c.lines;
        Note expected = MakeNote(c.year, c.month, c.day, c.period, c.advance, c.text);
        expected.obsoleteDeclined = c.kept;
        EXPECT_TRUE(SameNote(expected, imported.notes[0])) << c.lines << "\ngave " << Describe(imported.notes[0]);
    }
}

TEST_F(CalendarTest, ExportSkipsNotesNoCalendarCanHold) {
    const CalendarExport file = ExportCalendar({MakeNote(2004, 13, 1), MakeNote(-5, 1, 1), MakeNote(2004, 1, 0),
                                                MakeNote(2004, 1, 32), MakeNote(2004, 1, 2)},
                                               ReadToday(), kStamp, Windows1250CodePage());
    EXPECT_EQ(1u, file.exported);
    EXPECT_EQ(4u, file.skipped);
    EXPECT_EQ(1u, Events(file.text).size());
}

struct ExpectedNote {
    int32_t year, month, day, advance;
    std::string utf8Text;
};

void ExpectNotes(const std::vector<ExpectedNote>& expected, const CalendarImport& imported, const char* sample) {
    ASSERT_EQ(expected.size(), imported.notes.size()) << sample;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Note& note = imported.notes[i];
        const ExpectedNote& want = expected[i];
        EXPECT_EQ(want.year, note.year) << sample << " #" << i;
        EXPECT_EQ(want.month, note.month) << sample << " #" << i;
        EXPECT_EQ(want.day, note.day) << sample << " #" << i;
        EXPECT_EQ(want.advance, note.advance) << sample << " #" << i;
        EXPECT_EQ(1, note.period) << sample << " #" << i;  // the default of new notes
        EXPECT_EQ(want.utf8Text, Utf8(NoteText(note))) << sample << " #" << i;
    }
}

// Today is 15 June 2004; the default advance is 2 (three days).
TEST_F(CalendarTest, ImportReadsWhatOtherProgramsWrite) {
    struct Sample {
        const char* file;
        std::vector<ExpectedNote> notes;
        uint32_t passed, unreadable;
    };
    const Sample samples[] = {
        {"google.ics",
         {{0, 3, 12, 2, "Mum's birthday"}, {2004, 7, 20, 4, "Dentist, Dr. Nov\xC3\xA1k"}, {0, 0, 5, 2, "Rent"}},
         0, 0},
        {"outlook.ics",
         {{2004, 6, 23, 4, "Porada s veden\xC3\xADm ; pokoj 3"},
          {0, 8, 24, 3, "V\xC3\xBDro\xC4\x8D\xC3\xAD svatby"},
          {2004, 6, 15, 2, "Swimming lessons"}},
         0, 0},
        {"thunderbird.ics", {{2004, 6, 15, 2, "Course (four sessions)"}, {2004, 7, 5, 3, "Board meeting"}}, 1, 2},
        {"contacts.vcf",
         {{0, 4, 29, 2, "Jana Dvo\xC5\x99\xC3\xA1kov\xC3\xA1"},
          {0, 6, 16, 2, "Jana Dvo\xC5\x99\xC3\xA1kov\xC3\xA1"},
          {0, 11, 30, 2, "Peter Horv\xC3\xA1th"},
          {0, 2, 29, 2, "Marek"},
          {0, 1, 2, 2, "\xC4\x8C\x65n\xC4\x9Bk \xC5\xA0imek"}},
         0, 1},
    };
    for (const Sample& sample : samples) {
        const CalendarImport imported = Import(ReadSample(sample.file));
        EXPECT_EQ(CalendarVerdict::Read, imported.verdict) << sample.file;
        ExpectNotes(sample.notes, imported, sample.file);
        EXPECT_EQ(sample.passed, imported.passed) << sample.file;
        EXPECT_EQ(sample.unreadable, imported.unreadable) << sample.file;
        EXPECT_EQ(0u, imported.altered) << sample.file;
    }
}

TEST_F(CalendarTest, RepeatingEventsGiveTheirNextOccurrenceFromToday) {
    // DTSTART, RRULE, the date expected (0 0 0: passed; -1: unreadable); today is 15 June 2004
    struct Case {
        const char* start;
        const char* rule;
        int32_t year, month, day;
    };
    const Case cases[] = {
        {"20040101", "FREQ=DAILY;INTERVAL=10", 2004, 6, 19},
        {"20040101", "FREQ=DAILY;UNTIL=20040614", 0, 0, 0},
        {"20040101", "FREQ=DAILY;UNTIL=20040615", 2004, 6, 15},
        {"20040105", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,FR", 2004, 6, 21},  // the week of 14 June is off
        {"20040131", "FREQ=MONTHLY;COUNT=4", 2004, 7, 31},   // months without a 31st are skipped
        {"20040131", "FREQ=MONTHLY;COUNT=3", 0, 0, 0},
        {"20040101", "FREQ=MONTHLY;BYDAY=-1FR", 2004, 6, 25},
        {"20040101", "FREQ=MONTHLY;BYMONTHDAY=-2;BYMONTH=6,9", 2004, 6, 29},
        {"20040101", "FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13", 2004, 8, 13},
        {"20000229", "FREQ=YEARLY;INTERVAL=4", 2008, 2, 29},
        {"20000101", "FREQ=YEARLY;BYDAY=20MO", 2005, 5, 16},
        {"20000101", "FREQ=YEARLY;BYMONTH=11;BYDAY=4TH", 2004, 11, 25},
        {"20040615", "FREQ=YEARLY;COUNT=1", 2004, 6, 15},
        {"20040101", "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30", -1, 0, 0},   // never occurs
        {"20040101", "FREQ=HOURLY", -1, 0, 0},
        {"20040101", "FREQ=MONTHLY;BYSETPOS=1;BYDAY=MO", -1, 0, 0},
        {"20040101", "FREQ=WEEKLY;BYDAY=1MO", -1, 0, 0},
        {"20040101", "FREQ=DAILY;COUNT=2;UNTIL=20050101", -1, 0, 0},
        {"20040101", "INTERVAL=2", -1, 0, 0},
        {"20040101", "FREQ=MONTHLY;BYMONTHDAY=0", -1, 0, 0},
        {"20300101", "FREQ=DAILY", 2030, 1, 1},
        {"19000101", "FREQ=DAILY;INTERVAL=7", 2004, 6, 21},  // Mondays since 1900
    };
    for (const Case& c : cases) {
        const std::string file = std::string("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:") + c.start +
                                 "\r\nRRULE:" + c.rule + "\r\nSUMMARY:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const CalendarImport imported = Import(file);
        if (c.year == -1) {
            EXPECT_EQ(1u, imported.unreadable) << c.rule;
            EXPECT_TRUE(imported.notes.empty()) << c.rule;
        } else if (c.year == 0) {
            EXPECT_EQ(1u, imported.passed) << c.rule;
            EXPECT_TRUE(imported.notes.empty()) << c.rule;
        } else {
            ASSERT_EQ(1u, imported.notes.size()) << c.start << " " << c.rule;
            EXPECT_EQ(c.year, imported.notes[0].year) << c.start << " " << c.rule;
            EXPECT_EQ(c.month, imported.notes[0].month) << c.start << " " << c.rule;
            EXPECT_EQ(c.day, imported.notes[0].day) << c.start << " " << c.rule;
        }
    }
}

TEST_F(CalendarTest, TextsArriveInTheCodePageOrAreCountedAsChanged) {
    // The summary as written (UTF-8), the note's text expected (UTF-8 of what the code page holds), altered
    struct Case {
        std::string summary, text;
        bool altered;
    };
    const Case cases[] = {
        {"\xC4\x8C\x65sk\xC3\xBD a slovensk\xC3\xBD: \xC4\xBE\xC3\xB4\xC5\x88", "\xC4\x8C\x65sk\xC3\xBD a slovensk\xC3\xBD: \xC4\xBE\xC3\xB4\xC5\x88", false},
        {"Se\xC3\xB1or \xC3\xA5", "Senor a", true},               // best fit: ñ to n, å to a
        {"\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\x82", "?? ?", true},  // none: "?"
        {"two\\nlines", "two lines", false},
        {"bad \xC3 byte", "bad ? byte", true},
        {std::string(98, 'x') + "\xC5\xBE\xC5\xBE", std::string(98, 'x') + "\xC5\xBE", true},  // cut after a whole ž
    };
    for (const Case& c : cases) {
        const CalendarImport imported =
            Import("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040701\r\nSUMMARY:" + c.summary +
                   "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        ASSERT_EQ(1u, imported.notes.size()) << c.summary;
        EXPECT_EQ(c.text, Utf8(NoteText(imported.notes[0]))) << c.summary;
        EXPECT_EQ(c.altered ? 1u : 0u, imported.altered) << c.summary;
    }
}

TEST_F(CalendarTest, ImportReadsUtf16AndByteOrderMarks) {
    const std::string calendar =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xC5\xBDofia\r\nBDAY:--1224\r\nEND:VCARD\r\n";
    std::string littleEndian = "\xFF\xFE", bigEndian = "\xFE\xFF";
    for (std::size_t at = 0; at < calendar.size();) {
        const char32_t c = NextUtf8(calendar, at);
        littleEndian += static_cast<char>(c & 0xFF);
        littleEndian += static_cast<char>(c >> 8);
        bigEndian += static_cast<char>(c >> 8);
        bigEndian += static_cast<char>(c & 0xFF);
    }
    for (const std::string& bytes : {littleEndian, bigEndian, "\xEF\xBB\xBF" + calendar}) {
        const CalendarImport imported = Import(bytes);
        ASSERT_EQ(1u, imported.notes.size());
        EXPECT_EQ("\xC5\xBDofia", Utf8(NoteText(imported.notes[0])));
        EXPECT_EQ(12, imported.notes[0].month);
        EXPECT_EQ(24, imported.notes[0].day);
    }
}

TEST_F(CalendarTest, BadFilesAreNamedAndGiveNoNotes) {
    EXPECT_EQ(CalendarVerdict::NotACalendar, Import("").verdict);
    EXPECT_EQ(CalendarVerdict::NotACalendar, Import("Hello,\r\nthis is a letter.\r\n").verdict);
    EXPECT_EQ(CalendarVerdict::NotACalendar, Import(std::string("\x89PNG\r\n\x1a\n\0\0", 10)).verdict);
    EXPECT_EQ(CalendarVerdict::NothingInIt,
              Import("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nDTSTART:20040101\r\nEND:VTODO\r\nEND:VCALENDAR\r\n").verdict);
    EXPECT_EQ(CalendarVerdict::NothingInIt, Import("BEGIN:VCARD\r\nFN:Nobody\r\nEND:VCARD\r\n").verdict);
    // Events without the calendar around them (found by the fuzzer): refused whole.
    const CalendarImport loose = Import("B\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040701\r\nEND:VEVENT\r\n");
    EXPECT_EQ(CalendarVerdict::NotACalendar, loose.verdict);
    EXPECT_TRUE(loose.notes.empty());
    // Malformed events are counted and skipped; the good one stays.
    const CalendarImport mixed = Import(
        "BEGIN:VCALENDAR\r\n"
        "BEGIN:VEVENT\r\nDTSTART:2004-07-01\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040231\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040701\r\nthis line has no colon\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040701\r\nRRULE:FREQ=DAILY\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040702\r\nSUMMARY:good\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040703\r\nBEGIN:VALARM\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n");
    EXPECT_EQ(5u, mixed.unreadable);
    ASSERT_EQ(1u, mixed.notes.size());
    EXPECT_EQ("good", NoteText(mixed.notes[0]));
}

TEST_F(CalendarTest, ReadingAFileRefusesTooLargeAndUnreadableFiles) {
    MemoryFileSystem disk;
    auto importOf = [&](const std::string& name) {
        return ImportCalendarFile(disk, name, ReadToday(), Defaults(), Windows1250CodePage());
    };
    EXPECT_EQ(FileRead::Unreadable, importOf("missing.ics").read);
    disk.Put("big.ics", Bytes(kLargestCalendarFile + 1, 'x'));
    EXPECT_EQ(FileRead::TooLarge, importOf("big.ics").read);
    // The largest file read to its end: a line almost as long as the file, far past the room
    // of a part, before the event.
    Bytes largest(kLargestCalendarFile, 'x');
    const std::string head = "BEGIN:VCALENDAR\r\nX:";
    const std::string event = "\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040701\r\nEND:VEVENT\r\n";
    std::copy(head.begin(), head.end(), largest.begin());
    std::copy(event.begin(), event.end(), largest.end() - event.size());
    disk.Put("fits.ics", largest);
    const CalendarImport fits = importOf("fits.ics");
    EXPECT_EQ(FileRead::Ok, fits.read);
    EXPECT_EQ(1u, fits.notes.size());
    disk.Put("held.ics", Bytes(10, 'x'));
    disk.failing = FileStep::OpenForReading;
    EXPECT_EQ(FileRead::Unreadable, importOf("held.ics").read);
}

TEST_F(CalendarTest, NotesAlreadyInTheDiaryAreDroppedOnceEach) {
    MemoryFileSystem disk;
    NoteStore store(disk);
    store.Insert(MakeNote(0, 3, 12, 0, 0, "Mum"));
    store.Insert(MakeNote(2004, 7, 1, 0, 0, "Trip"));
    std::vector<Note> notes = {MakeNote(0, 3, 12, 2, 4, "Mum"),   // other reminder: still the same note
                               MakeNote(0, 3, 12, 2, 4, "Mum"),   // a second one is new
                               MakeNote(2004, 7, 2, 0, 0, "Trip"), MakeNote(2004, 7, 1, 0, 0, "trip")};
    EXPECT_EQ(1u, DropNotesAlreadyStored(store, notes));
    ASSERT_EQ(3u, notes.size());
    EXPECT_EQ(2, notes[0].period);
    EXPECT_EQ(2, notes[1].day);
}

TEST_F(CalendarTest, AddAllGivesTheOrderOfOneInsertAfterAnother) {
    std::mt19937 random(20040615);
    const int32_t years[] = {0, 0, 2003, 2004, 2005};
    for (int round = 0; round < 30; ++round) {
        MemoryFileSystem oneByOne, merged;
        NoteStore expected(oneByOne), store(merged);
        auto randomNote = [&](int n) {
            return MakeNote(years[random() % 5], static_cast<int32_t>(random() % 13),
                            static_cast<int32_t>(random() % 31 + 1), 0, 0, std::to_string(n));
        };
        std::vector<Note> added;
        for (int i = 0; i < 40; ++i) {
            const Note note = randomNote(i);
            expected.Insert(note);
            store.Insert(note);
        }
        for (int i = 0; i < 40; ++i) added.push_back(randomNote(100 + i));
        for (const Note& note : added) expected.Insert(note);
        ASSERT_TRUE(store.AddAll(added));
        ASSERT_EQ(expected.Count(), store.Count());
        for (uint32_t i = 0; i < store.Count(); ++i) EXPECT_EQ(NoteText(expected.At(i)), NoteText(store.At(i))) << i;
        // Saved once, whole.
        NoteStore reloaded(merged);
        EXPECT_EQ(store.Count(), reloaded.Count());
        reloaded.Clear();
        expected.Clear();
    }
}

}  // namespace
