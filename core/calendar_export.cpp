#include "calendar_export.h"

#include <cstdio>
#include <map>

#include "product.h"

namespace {

constexpr std::size_t kLineOctets = 75;

// `value` in decimal, padded with zeros after any sign to `width` characters, as printf's
// "%0*lld" writes it: formatted by hand, since printf cost the export a third of its time.
void AppendPadded(std::string& out, int64_t value, std::size_t width) {
    const bool negative = value < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    if (negative) out += '-';
    const std::size_t used = digits.size() + (negative ? 1 : 0);
    if (used < width) out.append(width - used, '0');
    out += digits;
}

std::string DateValue(int64_t year, int64_t month, int64_t day) {
    std::string value;
    AppendPadded(value, year, 4);
    AppendPadded(value, month, 2);
    AppendPadded(value, day, 2);
    return value;
}

std::string DateValue(const Date& date) { return DateValue(date.year, date.month, date.day); }

Date NextDay(const Date& date) { return CivilFromDays(DaysFromCivil(date.year, date.month, date.day) + 1); }

Date OnCalendar(int64_t year, int64_t month, int64_t day) { return {year, month, CalendarDay(year, month, day)}; }

// Where the alarm fires, counted from the all-day event's midnight: 09:00 on the first day
// of Tolvek's reminder window, a month taken as 30 days.
const char* AlarmTrigger(int32_t advance) {
    switch (advance) {
        case 0: return "-P29DT15H";
        case 1: return "-P6DT15H";
        case 2: return "-P2DT15H";
        case 3: return "-PT15H";
        default: return "PT9H";
    }
}

// Stable across exports of the same diary: FNV-1a over the fields a user sets.
uint64_t NoteFingerprint(const Note& note) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&](const void* bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= static_cast<const unsigned char*>(bytes)[i];
            hash *= 1099511628211ull;
        }
    };
    const int32_t fields[] = {note.year, note.month, note.day, note.period, note.advance};
    for (int32_t field : fields) {
        unsigned char encoded[4];
        PutInt32(encoded, field);
        mix(encoded, 4);
    }
    const std::string text = NoteText(note);
    mix(text.data(), text.size());
    return hash;
}

// The months that always have the day (29 or 30): all but February.
const char kMonthsBesideFebruary[] = "1,3,4,5,6,7,8,9,10,11,12";

struct EventShape {
    Date start;
    std::string rule;   // empty for a one-off event
    int part = 0;       // 0 alone; 1 and 2 for a note split in two
};

// The events of one note. An open year repeats yearly; an open month monthly (within its
// year when the year is given). A day that some months lack goes on their last day:
// BYMONTHDAY=-1 where the last day is always meant, and for 29 and 30 of every month a
// second event on February's last day, since clients disagree on a missing BYMONTHDAY.
std::vector<EventShape> ShapesOf(const Note& note, const Today& today) {
    const int64_t day = note.day;
    if (note.year != 0 && note.month != 0) return {{OnCalendar(note.year, note.month, day), "", 0}};
    if (note.year == 0 && note.month != 0) {
        const ResolvedDate next = ResolveAgainst(today, note.day, note.month, 0);
        const int64_t shortest = note.month == 2 ? 28 : MonthLength(note.month, 2001);
        const std::string monthDay = day <= shortest ? std::to_string(day) : "-1";
        return {{OnCalendar(next.year, note.month, day),
                 "FREQ=YEARLY;BYMONTH=" + std::to_string(note.month) + ";BYMONTHDAY=" + monthDay, 0}};
    }
    const std::string until = note.year != 0 ? ";UNTIL=" + DateValue(note.year, 12, 31) : "";
    Date first;
    if (note.year != 0) {
        first = {note.year, 1, day};
    } else {
        const ResolvedDate next = ResolveAgainst(today, note.day, 0, 0);
        first = {next.year, next.month, day};
    }
    if (day <= 28 || day >= 31) {
        const std::string monthDay = day <= 28 ? std::to_string(day) : "-1";
        return {{OnCalendar(first.year, first.month, day), "FREQ=MONTHLY;BYMONTHDAY=" + monthDay + until, 0}};
    }
    // 29 or 30: every month but February on the day itself, February on its last day.
    Date others = first;
    if (others.month == 2) others.month = 3;
    Date february{first.year, 2, 0};
    if (note.year == 0 && DaysFromCivil(first.year, 2, CalendarDay(first.year, 2, day)) <
                              DaysFromCivil(today.year, today.month, today.day))
        february.year += 1;
    february = OnCalendar(february.year, 2, day);
    const std::string othersRule =
        "FREQ=MONTHLY;BYMONTH=" + std::string(kMonthsBesideFebruary) + ";BYMONTHDAY=" + std::to_string(day) + until;
    const std::string februaryRule = note.year != 0 ? "" : "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1";
    return {{others, othersRule, 1}, {february, februaryRule, 2}};
}

class CalendarWriter {
public:
    void Line(const std::string& line) { AppendFoldedLine(out, line); }
    std::string out;
};

std::string StoredDate(const Note& note) {
    std::string value;
    AppendPadded(value, note.year, 4);
    value += '-';
    AppendPadded(value, note.month, 2);
    value += '-';
    AppendPadded(value, note.day, 2);
    return value;
}

// The note's fingerprint in 16 hexadecimal digits and its ordinal among identical notes.
std::string UidStem(uint64_t fingerprint, uint32_t ordinal) {
    std::string stem(16, '0');
    for (std::size_t i = 16; i-- > 0; fingerprint >>= 4) stem[i] = "0123456789abcdef"[fingerprint & 0xF];
    return stem + "-" + std::to_string(ordinal);
}

}  // namespace

int64_t CalendarDay(int64_t year, int64_t month, int64_t day) {
    const int64_t last = MonthLength(month, year);
    return day > last ? last : day;
}

bool IsExportable(const Note& note) {
    return note.year >= 0 && note.year <= 9999 && note.month >= 0 && note.month <= 12 && note.day >= 1 &&
           note.day <= 31;
}

std::string EscapeCalendarText(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case ';': out += "\\;"; break;
            case ',': out += "\\,"; break;
            case '\n': out += "\\n"; break;
            case '\r':
                if (i + 1 < utf8.size() && utf8[i + 1] == '\n') break;  // CR LF is one break
                out += "\\n";
                break;
            default: out += c;
        }
    }
    return out;
}

std::string FoldContentLine(const std::string& line) {
    std::string out;
    AppendFoldedLine(out, line);
    return out;
}

void AppendFoldedLine(std::string& out, const std::string& line) {
    std::size_t at = 0;
    std::size_t room = kLineOctets;
    for (;;) {
        std::size_t end = at + room;
        if (end >= line.size()) {
            end = line.size();
        } else {
            // Back to the start of the character that would be split.
            while (end > at && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) --end;
        }
        out.append(line, at, end - at);
        out += "\r\n";
        at = end;
        if (at >= line.size()) break;
        out += ' ';
        room = kLineOctets - 1;  // the leading space counts
    }
}

CalendarExport ExportCalendar(const std::vector<Note>& notes, const Today& today, const UtcTime& stamp,
                              const CodePage& codePage) {
    CalendarExport result;
    CalendarWriter file;
    file.out.reserve(notes.size() * 520 + 256);
    file.Line("BEGIN:VCALENDAR");
    file.Line("VERSION:2.0");
    file.Line("PRODID:-//Tolvek//" TOLVEK_PRODUCT_NAME " " TOLVEK_VERSION_TEXT "//EN");
    file.Line("CALSCALE:GREGORIAN");
    file.Line("METHOD:PUBLISH");
    file.Line("X-WR-CALNAME:" TOLVEK_PRODUCT_NAME);
    char stampText[32];
    std::snprintf(stampText, sizeof stampText, "%04d%02d%02dT%02d%02d%02dZ", stamp.year, stamp.month, stamp.day,
                  stamp.hour, stamp.minute, stamp.second);
    // Identical notes get the same fingerprint; their ordinal keeps the UIDs apart.
    std::map<uint64_t, uint32_t> seen;
    for (const Note& note : notes) {
        if (!IsExportable(note)) {
            ++result.skipped;
            continue;
        }
        const uint64_t fingerprint = NoteFingerprint(note);
        const uint32_t ordinal = seen[fingerprint]++;
        const std::string uid = UidStem(fingerprint, ordinal);
        const std::string text = EscapeCalendarText(codePage.ToUtf8(NoteText(note)));
        for (const EventShape& shape : ShapesOf(note, today)) {
            file.Line("BEGIN:VEVENT");
            file.Line("UID:" + uid + (shape.part == 2 ? "-february" : "") + "@tolvek.diary");
            file.Line(std::string("DTSTAMP:") + stampText);
            file.Line("DTSTART;VALUE=DATE:" + DateValue(shape.start));
            file.Line("DTEND;VALUE=DATE:" + DateValue(NextDay(shape.start)));
            if (!shape.rule.empty()) file.Line("RRULE:" + shape.rule);
            file.Line("SUMMARY:" + text);
            file.Line("TRANSP:TRANSPARENT");
            file.Line("X-TOLVEK-DATE:" + StoredDate(note));
            file.Line("X-TOLVEK-ADVANCE:" + std::to_string(note.advance));
            file.Line("X-TOLVEK-PERIOD:" + std::to_string(note.period));
            if (note.obsoleteDeclined != 0) file.Line("X-TOLVEK-KEPT:1");
            if (shape.part != 0) file.Line("X-TOLVEK-PART:" + std::to_string(shape.part));
            file.Line("BEGIN:VALARM");
            file.Line("ACTION:DISPLAY");
            file.Line("DESCRIPTION:" + text);
            file.Line(std::string("TRIGGER:") + AlarmTrigger(note.advance));
            file.Line("END:VALARM");
            file.Line("END:VEVENT");
        }
        ++result.exported;
    }
    file.Line("END:VCALENDAR");
    result.text = std::move(file.out);
    return result;
}
