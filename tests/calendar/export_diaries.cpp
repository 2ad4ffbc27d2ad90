// Writes a diary of every kind of note as Tolvek exports it (diary.ics), and beside it what
// Tolvek's own rules say of each note (expected.txt), for check_export.py to compare with
// an independent iCalendar library. Usage: export_diaries FOLDER YYYY-MM-DD (today).
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "calendar_export.h"

namespace {

const char* const kTexts[] = {
    // Czech and Slovak, in Windows-1250, with characters a calendar must escape
    "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1\x62\x65lsk\xE9 \xF3\x64y",
    "\xDF\x61\x9Ek\xFD \xE8l\xE1nok; \xBE\x61\x64, v\xF4\xF2\x61, \xE4ile\x9F",
    "Backslash \\ comma, semicolon; done",
    "",
};

std::string Hex(const std::string& bytes) {
    std::string out;
    char pair[3];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        out += pair;
    }
    return out;
}

// The days of [first, last] on which the note occurs by Tolvek's next-occurrence rule, put
// on the calendar by the export's rule.
std::vector<int64_t> Occurrences(const Note& note, int64_t first, int64_t last) {
    std::set<int64_t> days;
    for (int64_t day = first; day <= last; ++day) {
        const Date date = CivilFromDays(day);
        const Today today{static_cast<int32_t>(date.year), static_cast<int32_t>(date.month),
                          static_cast<int32_t>(date.day), 0};
        const ResolvedDate next = ResolveAgainst(today, note.day, note.month, note.year);
        const int64_t shown = DaysFromCivil(next.year, next.month, CalendarDay(next.year, next.month, next.day));
        if (shown >= day && shown <= last) days.insert(shown);
    }
    return std::vector<int64_t>(days.begin(), days.end());
}

}  // namespace

int main(int argc, char** argv) {
    int year = 0, month = 0, day = 0;
    if (argc != 3 || std::sscanf(argv[2], "%d-%d-%d", &year, &month, &day) != 3) {
        std::fprintf(stderr, "usage: export_diaries FOLDER YYYY-MM-DD\n");
        return 2;
    }
    const Today today{year, month, day, GregorianWeekday(year, month, day)};
    const int32_t years[] = {0, year - 1, year, year + 1, 2028};
    const int32_t months[] = {0, 1, 2, 3, 4, 6, 9, 11, 12};
    const int32_t days[] = {1, 15, 28, 29, 30, 31};
    std::vector<Note> notes;
    for (int32_t noteYear : years)
        for (int32_t noteMonth : months)
            for (int32_t noteDay : days) {
                Note note;
                note.year = noteYear;
                note.month = noteMonth;
                note.day = noteDay;
                const int n = static_cast<int>(notes.size());
                note.advance = n % 5;
                note.period = n / 5 % 3;
                SetNoteText(note, "#" + std::to_string(n) + " " + kTexts[n % 4]);
                notes.push_back(note);
            }
    const CalendarExport file = ExportCalendar(notes, today, UtcTime{year, month, day, 12, 0, 0}, Windows1250CodePage());
    const std::string folder = argv[1];
    std::ofstream(folder + "/diary.ics", std::ios::binary) << file.text;
    // One line a note: number, stored date, advance, period, the occurrences over ten
    // years from today (YYYYMMDD, comma-separated), the text in UTF-8 as hex.
    std::ofstream expected(folder + "/expected.txt", std::ios::binary);
    const int64_t first = DaysFromCivil(year, month, day);
    const int64_t last = DaysFromCivil(year + 10, month, day) - 1;  // ten years
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const Note& note = notes[i];
        expected << i << ' ' << note.year << '-' << note.month << '-' << note.day << ' ' << note.advance << ' '
                 << note.period << ' ';
        std::string list;
        for (int64_t shown : Occurrences(note, first, last)) {
            const Date date = CivilFromDays(shown);
            char text[16];
            std::snprintf(text, sizeof text, "%04lld%02lld%02lld,", static_cast<long long>(date.year),
                          static_cast<long long>(date.month), static_cast<long long>(date.day));
            list += text;
        }
        if (!list.empty()) list.pop_back();
        expected << (list.empty() ? "-" : list) << ' ' << Hex(Windows1250CodePage().ToUtf8(NoteText(note)))
                 << '\n';
    }
    std::printf("%u notes exported, %zu bytes\n", file.exported, file.text.size());
    return 0;
}
