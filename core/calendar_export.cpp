#include "calendar_export.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "product.h"

namespace {

using namespace std::string_view_literals;

constexpr std::size_t kLineOctets = 75;

// The file's text, written in place: each content line goes straight into it and is folded
// afterwards only where it runs past 75 octets, which only long texts do. The text is given
// room in steps and the pieces are copied into it, since appending each piece to a string
// cost the export half its time.
class CalendarWriter {
public:
    explicit CalendarWriter(std::size_t expected) { text_.reserve(expected); }

    CalendarWriter& operator+=(std::string_view piece) {
        if (text_.size() - used_ < piece.size()) Grow(piece.size());
        std::memcpy(&text_[used_], piece.data(), piece.size());
        used_ += piece.size();
        return *this;
    }
    CalendarWriter& operator+=(char c) { return *this += std::string_view(&c, 1); }

    // Starts a content line; its rest is added before EndLine.
    void BeginLine(std::string_view start) {
        lineStart_ = used_;
        *this += start;
    }
    void EndLine() {
        if (used_ - lineStart_ <= kLineOctets) {
            *this += "\r\n"sv;
            return;
        }
        long_.assign(text_, lineStart_, used_ - lineStart_);
        used_ = lineStart_;
        folded_.clear();
        AppendFoldedLine(folded_, long_);
        *this += folded_;
    }
    void Line(std::string_view line) {
        BeginLine(line);
        EndLine();
    }
    void Line(std::string_view start, std::string_view rest) {
        BeginLine(start);
        *this += rest;
        EndLine();
    }
    // Lines known to be short, written with their ends in one piece.
    void ShortLines(std::string_view lines) { *this += lines; }

    std::string Take() {
        text_.resize(used_);
        return std::move(text_);
    }

private:
    void Grow(std::size_t needed) { text_.resize(text_.size() + std::max(needed, kStep)); }

    static constexpr std::size_t kStep = 64 * 1024;
    std::string text_;  // written up to used_, the rest room
    std::size_t used_ = 0;
    std::size_t lineStart_ = 0;
    std::string long_, folded_;  // a long line on its way to being folded
};

// `value` in decimal, padded with zeros after any sign to `width` characters, as printf's
// "%0*lld" writes it: formatted by hand, since printf cost the export a third of its time.
void AppendPadded(CalendarWriter& out, int64_t value, std::size_t width) {
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char digits[20];
    std::size_t count = 0;
    do {
        digits[sizeof digits - ++count] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) out += '-';
    const std::size_t used = count + (negative ? 1 : 0);
    for (std::size_t pad = used; pad < width; ++pad) out += '0';
    out += std::string_view(digits + sizeof digits - count, count);
}

bool FitsDigits(int64_t value, int64_t limit) { return value >= 0 && value < limit; }

void AppendNumber(CalendarWriter& out, int64_t value) {
    if (FitsDigits(value, 10)) out += static_cast<char>('0' + value);  // periods, advances and parts
    else AppendPadded(out, value, 0);
}

// Digits of `value` (0 to 10^width - 1) into `at`, padded with zeros to `width`.
void PutDigits(char* at, int64_t value, int width) {
    for (int i = width; i-- > 0; value /= 10) at[i] = static_cast<char>('0' + value % 10);
}

// YYYYMMDD, as DATE values are written; the common case in one piece.
void AppendDate(CalendarWriter& out, int64_t year, int64_t month, int64_t day) {
    if (!FitsDigits(year, 10000) || !FitsDigits(month, 100) || !FitsDigits(day, 100)) {
        AppendPadded(out, year, 4);
        AppendPadded(out, month, 2);
        AppendPadded(out, day, 2);
        return;
    }
    char date[8];
    PutDigits(date, year, 4);
    PutDigits(date + 4, month, 2);
    PutDigits(date + 6, day, 2);
    out += std::string_view(date, sizeof date);
}

void AppendDate(CalendarWriter& out, const Date& date) { AppendDate(out, date.year, date.month, date.day); }

// The day after a calendar date (month 1 to 12, day within the month).
Date NextDay(const Date& date) {
    if (date.day < MonthLength(date.month, date.year)) return {date.year, date.month, date.day + 1};
    if (date.month < 12) return {date.year, date.month + 1, 1};
    return {date.year + 1, 1, 1};
}

Date OnCalendar(int64_t year, int64_t month, int64_t day) { return {year, month, CalendarDay(year, month, day)}; }

// Where the alarm fires, counted from the all-day event's midnight: 09:00 on the first day
// of Tolvek's reminder window, a month taken as 30 days.
std::string_view AlarmTrigger(int32_t advance) {
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
    const std::string_view text = NoteTextView(note);
    mix(text.data(), text.size());
    return hash;
}

// How many notes with each fingerprint were met so far: identical notes share one, and
// their count tells their UIDs apart. Open addressing in one block, as the export meets
// every note of the diary once.
class FingerprintCounts {
public:
    explicit FingerprintCounts(std::size_t notes) {
        std::size_t size = 16;
        while (size < notes + notes / 2) size *= 2;  // at most two thirds full
        slots_.resize(size);
    }

    // The count before this note, then one more.
    uint32_t Take(uint64_t fingerprint) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = static_cast<std::size_t>(fingerprint) & mask;
        while (slots_[at].used && slots_[at].fingerprint != fingerprint) at = (at + 1) & mask;
        Slot& slot = slots_[at];
        slot.used = true;
        slot.fingerprint = fingerprint;
        return slot.count++;
    }

private:
    struct Slot {
        uint64_t fingerprint = 0;
        uint32_t count = 0;
        bool used = false;
    };
    std::vector<Slot> slots_;
};

// BYMONTH values: one month, or all but February, which lacks day 30 and mostly day 29.
const std::string_view kMonthNumbers[] = {"", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
constexpr std::string_view kMonthsBesideFebruary = "1,3,4,5,6,7,8,9,10,11,12";

// One event of a note: its first day and its rule, written as
// FREQ=frequency[;BYMONTH=months];BYMONTHDAY=monthDay[;UNTIL=<untilYear>1231].
struct EventShape {
    Date start{0, 0, 0};
    std::string_view frequency;  // empty for a one-off event
    std::string_view months;     // empty for none
    int64_t monthDay = 0;        // -1: the month's last day
    int64_t untilYear = 0;       // 0: no end
    int part = 0;                // 0 alone; 1 and 2 for a note split in two
};

struct NoteShapes {
    EventShape events[2];
    int count = 1;
};

// The events of one note. An open year repeats yearly; an open month monthly (within its
// year when the year is given). A day that some months lack goes on their last day:
// BYMONTHDAY=-1 where the last day is always meant, and for 29 and 30 of every month a
// second event on February's last day, since clients disagree on a missing BYMONTHDAY.
NoteShapes ShapesOf(const Note& note, const Today& today) {
    NoteShapes shapes;
    EventShape& only = shapes.events[0];
    const int64_t day = note.day;
    if (note.year != 0 && note.month != 0) {
        only.start = OnCalendar(note.year, note.month, day);
        return shapes;
    }
    if (note.year == 0 && note.month != 0) {
        const ResolvedDate next = ResolveAgainst(today, note.day, note.month, 0);
        const int64_t shortest = note.month == 2 ? 28 : MonthLength(note.month, 2001);
        only.start = OnCalendar(next.year, note.month, day);
        only.frequency = "YEARLY";
        only.months = kMonthNumbers[note.month];
        only.monthDay = day <= shortest ? day : -1;
        return shapes;
    }
    Date first;
    if (note.year != 0) {
        first = {note.year, 1, day};
    } else {
        const ResolvedDate next = ResolveAgainst(today, note.day, 0, 0);
        first = {next.year, next.month, day};
    }
    if (day <= 28 || day >= 31) {
        only.start = OnCalendar(first.year, first.month, day);
        only.frequency = "MONTHLY";
        only.monthDay = day <= 28 ? day : -1;
        only.untilYear = note.year;
        return shapes;
    }
    // 29 or 30: every month but February on the day itself, February on its last day.
    Date others = first;
    if (others.month == 2) others.month = 3;
    Date february{first.year, 2, 0};
    if (note.year == 0 && DaysFromCivil(first.year, 2, CalendarDay(first.year, 2, day)) <
                              DaysFromCivil(today.year, today.month, today.day))
        february.year += 1;
    shapes.count = 2;
    shapes.events[0].start = others;
    shapes.events[0].frequency = "MONTHLY";
    shapes.events[0].months = kMonthsBesideFebruary;
    shapes.events[0].monthDay = day;
    shapes.events[0].untilYear = note.year;
    shapes.events[0].part = 1;
    EventShape& lastOfFebruary = shapes.events[1];
    lastOfFebruary.start = OnCalendar(february.year, 2, day);
    if (note.year == 0) {
        lastOfFebruary.frequency = "YEARLY";
        lastOfFebruary.months = kMonthNumbers[2];
        lastOfFebruary.monthDay = -1;
    }
    lastOfFebruary.part = 2;
    return shapes;
}

void AppendRule(CalendarWriter& out, const EventShape& shape) {
    out += "FREQ="sv;
    out += shape.frequency;
    if (!shape.months.empty()) {
        out += ";BYMONTH="sv;
        out += shape.months;
    }
    out += ";BYMONTHDAY="sv;
    AppendNumber(out, shape.monthDay);
    if (shape.untilYear != 0) {
        out += ";UNTIL="sv;
        AppendDate(out, shape.untilYear, 12, 31);
    }
}

// DTSTART and DTEND of an all-day event on `day`, both lines in one piece where the
// dates have their usual widths, as they have but for a clock past the year 9999.
void AppendAllDay(CalendarWriter& file, const Date& day) {
    constexpr std::string_view kStart = "DTSTART;VALUE=DATE:", kEnd = "DTEND;VALUE=DATE:";
    const Date next = NextDay(day);
    if (!FitsDigits(day.year, 10000) || !FitsDigits(next.year, 10000)) {
        file.BeginLine(kStart);
        AppendDate(file, day);
        file.EndLine();
        file.BeginLine(kEnd);
        AppendDate(file, next);
        file.EndLine();
        return;
    }
    char lines[kStart.size() + 8 + 2 + kEnd.size() + 8 + 2];
    char* at = lines;
    auto put = [&](std::string_view text) { at = std::copy(text.begin(), text.end(), at); };
    auto putDate = [&](const Date& date) {
        PutDigits(at, date.year, 4);
        PutDigits(at + 4, date.month, 2);
        PutDigits(at + 6, date.day, 2);
        at += 8;
    };
    put(kStart);
    putDate(day);
    put("\r\n");
    put(kEnd);
    putDate(next);
    put("\r\n");
    file += std::string_view(lines, sizeof lines);
}

// YYYY-MM-DD as stored, open parts 0, for Tolvek's own import.
void AppendStoredDate(CalendarWriter& out, const Note& note) {
    // Exported notes have year 0 to 9999, month 0 to 12 and day 1 to 31.
    char date[10];
    PutDigits(date, note.year, 4);
    date[4] = '-';
    PutDigits(date + 5, note.month, 2);
    date[7] = '-';
    PutDigits(date + 8, note.day, 2);
    out += std::string_view(date, sizeof date);
}

// The note's fingerprint in 16 hexadecimal digits and its ordinal among identical notes.
void AppendUidStem(std::string& out, uint64_t fingerprint, uint32_t ordinal) {
    char digits[16];
    for (std::size_t i = 16; i-- > 0; fingerprint >>= 4) digits[i] = "0123456789abcdef"[fingerprint & 0xF];
    out.append(digits, sizeof digits);
    out += '-';
    out += std::to_string(ordinal);
}

bool NeedsEscapes(std::string_view utf8) {
    for (const char c : utf8)
        if (c == '\\' || c == ';' || c == ',' || c == '\n' || c == '\r') return true;
    return false;
}

void AppendEscaped(std::string& out, std::string_view utf8) {
    if (!NeedsEscapes(utf8)) {
        out += utf8;  // most texts, in one piece
        return;
    }
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '\\': out += "\\\\"sv; break;
            case ';': out += "\\;"sv; break;
            case ',': out += "\\,"sv; break;
            case '\n': out += "\\n"sv; break;
            case '\r':
                if (i + 1 < utf8.size() && utf8[i + 1] == '\n') break;  // CR LF is one break
                out += "\\n"sv;
                break;
            default: out += c;
        }
    }
}

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
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
    AppendEscaped(out, utf8);
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
    CalendarWriter file(notes.size() * 520 + 256);
    file.Line("BEGIN:VCALENDAR");
    file.Line("VERSION:2.0");
    file.Line("PRODID:-//Tolvek//" TOLVEK_PRODUCT_NAME " " TOLVEK_VERSION_TEXT "//EN");
    file.Line("CALSCALE:GREGORIAN");
    file.Line("METHOD:PUBLISH");
    file.Line("X-WR-CALNAME:" TOLVEK_PRODUCT_NAME);
    char stampLine[64];
    std::snprintf(stampLine, sizeof stampLine, "DTSTAMP:%04d%02d%02dT%02d%02d%02dZ\r\n", stamp.year, stamp.month,
                  stamp.day, stamp.hour, stamp.minute, stamp.second);
    // Identical notes get the same fingerprint; their ordinal keeps the UIDs apart.
    FingerprintCounts seen(notes.size());
    // The note's text as an escaped TEXT value and the start of its UID line, their room
    // reused from note to note.
    std::string text, uid;
    for (const Note& note : notes) {
        if (!IsExportable(note)) {
            ++result.skipped;
            continue;
        }
        const uint64_t fingerprint = NoteFingerprint(note);
        const uint32_t ordinal = seen.Take(fingerprint);
        // ASCII reads the same in every code page: only other texts are converted.
        const std::string_view stored = NoteTextView(note);
        text.clear();
        AppendEscaped(text, IsAscii(stored) ? stored : codePage.ToUtf8(std::string(stored)));
        uid.assign("UID:");
        AppendUidStem(uid, fingerprint, ordinal);
        const NoteShapes shapes = ShapesOf(note, today);
        for (int i = 0; i < shapes.count; ++i) {
            const EventShape& shape = shapes.events[i];
            file.ShortLines("BEGIN:VEVENT\r\n");
            file.ShortLines(uid);
            file.ShortLines(shape.part == 2 ? "-february@tolvek.diary\r\n"sv : "@tolvek.diary\r\n"sv);
            file.ShortLines(stampLine);
            AppendAllDay(file, shape.start);
            if (!shape.frequency.empty()) {
                file.BeginLine("RRULE:");
                AppendRule(file, shape);
                file.EndLine();
            }
            file.Line("SUMMARY:", text);
            file.ShortLines("TRANSP:TRANSPARENT\r\n");
            file.BeginLine("X-TOLVEK-DATE:");
            AppendStoredDate(file, note);
            file.EndLine();
            file.BeginLine("X-TOLVEK-ADVANCE:");
            AppendNumber(file, note.advance);
            file.EndLine();
            file.BeginLine("X-TOLVEK-PERIOD:");
            AppendNumber(file, note.period);
            file.EndLine();
            if (note.obsoleteDeclined != 0) file.ShortLines("X-TOLVEK-KEPT:1\r\n");
            if (shape.part != 0) {
                file.BeginLine("X-TOLVEK-PART:");
                AppendNumber(file, shape.part);
                file.EndLine();
            }
            file.ShortLines("BEGIN:VALARM\r\nACTION:DISPLAY\r\n");
            file.Line("DESCRIPTION:", text);
            file.Line("TRIGGER:", AlarmTrigger(note.advance));
            file.ShortLines("END:VALARM\r\nEND:VEVENT\r\n");
        }
        ++result.exported;
    }
    file.Line("END:VCALENDAR");
    result.text = file.Take();
    return result;
}
