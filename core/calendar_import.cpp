#include "calendar_import.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <string_view>
#include <tuple>

namespace {

using namespace std::string_view_literals;

constexpr int64_t kDaySeconds = 86400;
// How far ahead a repeating event is followed for its next occurrence, and how many
// periods of its rule are walked at most from its start.
constexpr int64_t kHorizonDays = 3653;
constexpr int64_t kMostPeriods = 400000;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void MakeUpper(std::string& text) {
    for (char& c : text) c = UpperAscii(c);
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    MakeUpper(upper);
    return upper;
}

// Whether `text` is `upper` written in any case: names are compared without copying them.
bool SameUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    // Most files write names in capitals: only a letter that differs is raised.
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != upper[i] && UpperAscii(text[i]) != upper[i]) return false;
    return true;
}

// One content line, NAME;PARAM=VALUE;...:VALUE, as views of the line. The parameters are
// read only where a property needs one, so most lines cost a scan for the colon.
struct ContentLine {
    std::string_view name;        // as written; compared without regard to case
    std::string_view parameters;  // from the first ';' up to the value's colon, empty without
    std::string_view value;
};

bool ParseContentLine(std::string_view line, ContentLine& parsed) {
    std::size_t at = 0;
    while (at < line.size() && line[at] != ';' && line[at] != ':') ++at;
    if (at == line.size() || at == 0) return false;
    parsed.name = line.substr(0, at);
    // The value starts after the first colon outside quotes.
    const std::size_t parametersStart = at;
    bool quoted = false;
    while (at < line.size() && (quoted || line[at] != ':')) {
        if (line[at] == '"') quoted = !quoted;
        ++at;
    }
    if (at == line.size()) return false;
    parsed.parameters = line.substr(parametersStart, at - parametersStart);
    parsed.value = line.substr(at + 1);
    return true;
}

// The value of the line's parameter `name` (in capitals) without its quotes, the last one
// of that name winning; false where the line has none. vCard 2.1 writes bare types such as
// QUOTED-PRINTABLE: those are there with an empty value.
bool FindParameter(const ContentLine& line, std::string_view name, std::string& value) {
    bool found = false;
    std::string_view rest = line.parameters;  // each parameter starts with its ';'
    while (!rest.empty()) {
        std::size_t end = 1;
        bool quoted = false;
        while (end < rest.size() && (quoted || rest[end] != ';')) {
            if (rest[end] == '"') quoted = !quoted;
            ++end;
        }
        const std::string_view parameter = rest.substr(1, end - 1);
        rest.remove_prefix(end);
        const std::size_t equals = parameter.find('=');
        if (!SameUpper(parameter.substr(0, equals), name)) continue;
        found = true;
        value.clear();
        if (equals == std::string_view::npos) continue;
        for (const char c : parameter.substr(equals + 1))
            if (c != '"') value += c;
    }
    return found;
}

bool HasParameterValue(const ContentLine& line, std::string_view name, std::string_view value) {
    std::string found;
    return FindParameter(line, name, found) && Upper(found) == value;
}

bool IsQuotedPrintable(const ContentLine& line) {
    std::string ignored;
    return HasParameterValue(line, "ENCODING"sv, "QUOTED-PRINTABLE"sv) ||
           FindParameter(line, "QUOTED-PRINTABLE"sv, ignored);
}

// Physical lines into content lines: a line that starts with a space or tab continues the
// one before; a quoted-printable value that ends in "=" continues on the next line. The
// text is the part of the file read so far: a content line that may run on past its end
// waits for the next part unless the part is the file's last. Most lines stand alone and
// are handed out as views of the text itself, joined ones as a view of the reader's own
// room; either stays valid only until the next line is asked for.
class LogicalLines {
public:
    LogicalLines(std::string_view text, bool last) : text_(text), last_(last) {}

    // The next content line, or false where the text ends or the rest waits for more.
    bool Next(std::string_view& line) {
        const std::size_t start = at_;
        if (Logical(line)) return true;
        at_ = start;
        return false;
    }

    // Where the lines not yet handed out start.
    std::size_t Unread() const { return std::min(at_, text_.size()); }

private:
    bool Logical(std::string_view& line) {
        // Empty lines between content lines are skipped.
        do {
            if (!Physical(line)) return false;
        } while (line.empty());
        if (!MayContinue(line)) return !waiting_;
        joined_.assign(line.data(), line.size());
        bool changed = false;
        bool softBreak = SoftBreak(joined_);
        for (;;) {
            const std::size_t mark = at_;
            std::string_view next;
            if (!Physical(next)) {
                if (waiting_) return false;
                break;
            }
            if (softBreak) {
                joined_.pop_back();
                joined_.append(next.data(), next.size());
            } else if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
                joined_.append(next.data() + 1, next.size() - 1);
            } else if (next.empty()) {
                continue;  // an empty line does not end the content line before it
            } else {
                at_ = mark;  // the next content line starts here
                break;
            }
            changed = true;
            softBreak = SoftBreak(joined_);
        }
        if (softBreak) {
            joined_.pop_back();
            changed = true;
        }
        if (changed) line = joined_;
        return true;
    }

    // Whether anything after `line` may join it: a soft break at its end, or a next line
    // that is empty or starts with a blank.
    bool MayContinue(std::string_view line) {
        if (line.back() == '=' && SoftBreak(line)) return true;
        if (at_ >= text_.size()) {
            waiting_ = !last_;
            return false;
        }
        const char next = text_[at_];
        return next == ' ' || next == '\t' || next == '\r' || next == '\n';
    }

    // The next physical line without its line end; a line without one is whole only at the
    // file's end.
    bool Physical(std::string_view& line) {
        const std::size_t left = text_.size() - std::min(at_, text_.size());
        const void* found = left == 0 ? nullptr : std::memchr(text_.data() + at_, '\n', left);
        if (!found && !(last_ && left > 0)) {
            waiting_ = !last_;
            return false;
        }
        const std::size_t end = found ? static_cast<const char*>(found) - text_.data() : text_.size();
        std::size_t stop = end;
        if (stop > at_ && text_[stop - 1] == '\r') --stop;
        line = text_.substr(at_, stop - at_);
        at_ = end + 1;
        return true;
    }

    static bool SoftBreak(std::string_view line) {
        if (line.empty() || line.back() != '=') return false;
        const std::size_t colon = line.find(':');
        return colon != std::string_view::npos &&
               Upper(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
    }

    std::string_view text_;
    bool last_;
    std::size_t at_ = 0;
    bool waiting_ = false;  // a line ran off the end of a part that is not the last
    std::string joined_;    // the line being joined, room reused from line to line
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = UpperAscii(c);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string DecodeQuotedPrintable(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 && HexDigit(value[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

// A vCard 2.1 value in the character set it names, as UTF-8.
std::string ValueAsUtf8(const ContentLine& line) {
    std::string value = IsQuotedPrintable(line) ? DecodeQuotedPrintable(line.value) : std::string(line.value);
    std::string name;
    if (!FindParameter(line, "CHARSET"sv, name)) return value;
    MakeUpper(name);
    if (name == "WINDOWS-1250"sv || name == "CP1250"sv) return Windows1250CodePage().ToUtf8(value);
    if (name == "ISO-8859-1"sv || name == "WINDOWS-1252"sv || name == "CP1252"sv || name == "LATIN1"sv) {
        std::string out;
        for (const char c : value) AppendUtf8(out, static_cast<unsigned char>(c));
        return out;
    }
    return value;
}

std::string UnescapeText(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out += next == 'n' || next == 'N' ? '\n' : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

// A note's text from UTF-8: line breaks as blanks, into the code page, cut at a character
// boundary to what a note holds.
std::string NoteTextFrom(const std::string& utf8, const CodePage& codePage, bool& altered) {
    std::string flat;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t character = NextUtf8(utf8, at);
        if (character == 0xFFFD) altered = true;
        if (character == U'\r') continue;
        if (character == 0 || character == U'\n' || character == U'\t') AppendUtf8(flat, U' ');
        else AppendUtf8(flat, character);
        // A character gives at least one byte: more than a note holds is cut anyway.
        if (flat.size() > 4 * kNoteTextSize) break;
    }
    const std::size_t limit = kNoteTextSize - 1;
    std::string ansi = codePage.FromUtf8(flat, altered);
    while (ansi.size() > limit) {
        altered = true;
        std::size_t end = flat.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(flat[end]) & 0xC0) == 0x80) --end;
        flat.resize(end);
        bool ignored = false;
        ansi = codePage.FromUtf8(flat, ignored);
    }
    while (!ansi.empty() && ansi.back() == ' ') ansi.pop_back();
    return ansi;
}

// A TEXT value that a note takes as it is written: printable ASCII (the same in every code
// page) without escapes, short enough, no blank at its end. Most texts are such.
bool IsPlainNoteText(std::string_view value) {
    if (value.size() >= kNoteTextSize || (!value.empty() && value.back() == ' ')) return false;
    for (const char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E || c == '\\') return false;
    return true;
}

// The note's text from an escaped TEXT value.
void SetTextFromValue(Note& note, std::string_view value, const CodePage& codePage, bool& altered) {
    if (IsPlainNoteText(value)) SetNoteText(note, value);
    else SetNoteText(note, NoteTextFrom(UnescapeText(value), codePage, altered));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ReadNumber(std::string_view text, std::size_t at, std::size_t digits, int64_t& number) {
    if (text.size() < at + digits) return false;
    number = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (!IsDigit(text[i])) return false;
        number = number * 10 + (text[i] - '0');
    }
    return true;
}

bool IsCalendarDate(int64_t year, int64_t month, int64_t day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= MonthLength(month, year);
}

// A DATE or DATE-TIME value: its date as written, and the time of day in seconds (0 for a date).
bool ParseDateTime(std::string_view value, Date& date, int64_t& secondsOfDay) {
    int64_t year, month, day;
    if (!ReadNumber(value, 0, 4, year) || !ReadNumber(value, 4, 2, month) || !ReadNumber(value, 6, 2, day))
        return false;
    if (!IsCalendarDate(year, month, day)) return false;
    secondsOfDay = 0;
    if (value.size() > 8) {
        int64_t hour, minute, second;
        if (value[8] != 'T' || !ReadNumber(value, 9, 2, hour) || !ReadNumber(value, 11, 2, minute) ||
            !ReadNumber(value, 13, 2, second) || hour > 23 || minute > 59 || second > 60)
            return false;
        if (value.size() > 15 && value.substr(15) != "Z"sv) return false;
        secondsOfDay = hour * 3600 + minute * 60 + second;
    }
    date = {year, month, day};
    return true;
}

// A DURATION value in seconds: [+-]P[nW][nD][T[nH][nM][nS]].
bool ParseDuration(std::string_view value, int64_t& seconds) {
    std::size_t at = 0;
    int64_t sign = 1;
    if (at < value.size() && (value[at] == '+' || value[at] == '-')) sign = value[at++] == '-' ? -1 : 1;
    if (at >= value.size() || value[at++] != 'P') return false;
    bool inTime = false, any = false;
    seconds = 0;
    while (at < value.size()) {
        if (value[at] == 'T') {
            inTime = true;
            ++at;
            continue;
        }
        int64_t number = 0;
        std::size_t digits = 0;
        while (at < value.size() && IsDigit(value[at]) && digits < 9) {
            number = number * 10 + (value[at++] - '0');
            ++digits;
        }
        if (digits == 0 || at >= value.size()) return false;
        const char unit = value[at++];
        if (!inTime && unit == 'W') seconds += number * 7 * kDaySeconds;
        else if (!inTime && unit == 'D') seconds += number * kDaySeconds;
        else if (inTime && unit == 'H') seconds += number * 3600;
        else if (inTime && unit == 'M') seconds += number * 60;
        else if (inTime && unit == 'S') seconds += number;
        else return false;
        any = true;
    }
    seconds *= sign;
    return any;
}

// The recurrence rules Tolvek follows: FREQ DAILY, WEEKLY, MONTHLY or YEARLY with
// INTERVAL, COUNT, UNTIL, BYDAY, BYMONTHDAY, BYMONTH (and WKST).
enum class Frequency { Daily, Weekly, Monthly, Yearly };

struct WeekdayRule {
    int ordinal;  // 0 every such weekday, else the n-th (negative: from the end)
    int weekday;  // 0 Sunday .. 6 Saturday
};

struct Recurrence {
    Frequency frequency = Frequency::Yearly;
    int64_t interval = 1;
    int64_t count = 0;          // 0: no COUNT
    bool hasUntil = false;
    int64_t untilDay = 0;       // day number
    std::vector<int> months;    // BYMONTH
    std::vector<int> monthDays; // BYMONTHDAY, negative from the end
    std::vector<WeekdayRule> weekdays;
    int weekStart = 1;          // Monday
};

// A whole value of at most ten characters as C's strtoll reads it: blanks and a sign may
// come before the digits, and C sees the value only up to a NUL in it.
bool ParseInteger(std::string_view text, int64_t& number, int64_t least, int64_t most) {
    if (text.empty() || text.size() > 10) return false;
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const std::size_t digits = at;
    int64_t parsed = 0;
    while (at < text.size() && IsDigit(text[at])) parsed = parsed * 10 + (text[at++] - '0');
    if (at == digits) at = 0;  // no digits: nothing is read
    if (at != text.size() && text[at] != '\0') return false;
    if (negative) parsed = -parsed;
    if (parsed < least || parsed > most) return false;
    number = parsed;
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

int WeekdayNumber(const std::string& code) {
    static const char* const kCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    for (std::size_t i = 0; i < std::size(kCodes); ++i)
        if (code == kCodes[i]) return static_cast<int>(i);
    return -1;
}

bool ParseRecurrence(const std::string& value, Recurrence& rule) {
    bool hasFrequency = false;
    for (const std::string& part : Split(Upper(value), ';')) {
        const std::size_t equals = part.find('=');
        if (equals == std::string::npos) return false;
        const std::string name = part.substr(0, equals);
        const std::string text = part.substr(equals + 1);
        int64_t number = 0;
        if (name == "FREQ"sv) {
            hasFrequency = true;
            if (text == "DAILY"sv) rule.frequency = Frequency::Daily;
            else if (text == "WEEKLY"sv) rule.frequency = Frequency::Weekly;
            else if (text == "MONTHLY"sv) rule.frequency = Frequency::Monthly;
            else if (text == "YEARLY"sv) rule.frequency = Frequency::Yearly;
            else return false;
        } else if (name == "INTERVAL"sv) {
            if (!ParseInteger(text, rule.interval, 1, 10000)) return false;
        } else if (name == "COUNT"sv) {
            if (!ParseInteger(text, rule.count, 1, 1000000000)) return false;
        } else if (name == "UNTIL"sv) {
            Date until;
            int64_t seconds = 0;
            if (!ParseDateTime(text, until, seconds)) return false;
            rule.hasUntil = true;
            rule.untilDay = DaysFromCivil(until.year, until.month, until.day);
        } else if (name == "BYMONTH"sv) {
            for (const std::string& month : Split(text, ','))
                if (!ParseInteger(month, number, 1, 12)) return false;
                else rule.months.push_back(static_cast<int>(number));
        } else if (name == "BYMONTHDAY"sv) {
            for (const std::string& day : Split(text, ','))
                if (!ParseInteger(day, number, -31, 31) || number == 0) return false;
                else rule.monthDays.push_back(static_cast<int>(number));
        } else if (name == "BYDAY"sv) {
            for (const std::string& day : Split(text, ',')) {
                if (day.size() < 2) return false;
                const int weekday = WeekdayNumber(day.substr(day.size() - 2));
                int64_t ordinal = 0;
                if (weekday < 0 || (day.size() > 2 && (!ParseInteger(day.substr(0, day.size() - 2), ordinal, -53, 53) ||
                                                        ordinal == 0)))
                    return false;
                rule.weekdays.push_back({static_cast<int>(ordinal), weekday});
            }
        } else if (name == "WKST"sv) {
            rule.weekStart = WeekdayNumber(text);
            if (rule.weekStart < 0) return false;
        } else {
            return false;  // BYSETPOS, BYWEEKNO, BYYEARDAY, BYHOUR and the like
        }
    }
    if (!hasFrequency || (rule.count != 0 && rule.hasUntil)) return false;
    // Ordinal weekdays belong to MONTHLY and YEARLY rules; days of the month not to WEEKLY.
    const bool ordinals = std::any_of(rule.weekdays.begin(), rule.weekdays.end(),
                                      [](const WeekdayRule& w) { return w.ordinal != 0; });
    if (ordinals && (rule.frequency == Frequency::Daily || rule.frequency == Frequency::Weekly)) return false;
    if (!rule.monthDays.empty() && rule.frequency == Frequency::Weekly) return false;
    return true;
}

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

int WeekdayOfDay(int64_t dayNumber) {
    const int64_t weekday = (dayNumber + 4) % 7;  // 1970-01-01 was a Thursday
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

// The days of a month or year (first..last) on the rule's weekdays; an ordinal picks the
// n-th such day within the span.
void AddWeekdays(const Recurrence& rule, int64_t first, int64_t last, std::vector<int64_t>& days) {
    for (const WeekdayRule& wanted : rule.weekdays) {
        const int64_t firstMatch = first + (wanted.weekday - WeekdayOfDay(first) + 7) % 7;
        if (wanted.ordinal == 0) {
            for (int64_t day = firstMatch; day <= last; day += 7) days.push_back(day);
        } else if (wanted.ordinal > 0) {
            const int64_t day = firstMatch + 7 * (wanted.ordinal - 1);
            if (day <= last) days.push_back(day);
        } else {
            const int64_t lastMatch = last - (WeekdayOfDay(last) - wanted.weekday + 7) % 7;
            const int64_t day = lastMatch + 7 * (wanted.ordinal + 1);
            if (day >= first) days.push_back(day);
        }
    }
}

bool OnRuleWeekday(const Recurrence& rule, int64_t day) {
    if (rule.weekdays.empty()) return true;
    return std::any_of(rule.weekdays.begin(), rule.weekdays.end(),
                       [&](const WeekdayRule& w) { return w.weekday == WeekdayOfDay(day); });
}

// The days one month contributes to a MONTHLY rule, or to a YEARLY one with BYMONTH.
void AddMonthDays(const Recurrence& rule, int64_t year, int64_t month, int64_t startDay,
                  std::vector<int64_t>& days) {
    const int64_t length = MonthLength(month, year);
    const int64_t first = DaysFromCivil(year, month, 1);
    if (!rule.monthDays.empty()) {
        for (int monthDay : rule.monthDays) {
            const int64_t day = monthDay > 0 ? monthDay : length + 1 + monthDay;
            if (day >= 1 && day <= length && OnRuleWeekday(rule, first + day - 1)) days.push_back(first + day - 1);
        }
    } else if (!rule.weekdays.empty()) {
        AddWeekdays(rule, first, first + length - 1, days);
    } else if (startDay <= length) {
        days.push_back(first + startDay - 1);
    }
}

// The candidate days of period `index` of the rule, counted from the start's period.
std::vector<int64_t> PeriodDays(const Recurrence& rule, const Date& start, int64_t startDay, int64_t index) {
    std::vector<int64_t> days;
    switch (rule.frequency) {
        case Frequency::Daily: {
            const int64_t day = startDay + index * rule.interval;
            const Date date = CivilFromDays(day);
            const bool monthDayFits =
                rule.monthDays.empty() ||
                std::any_of(rule.monthDays.begin(), rule.monthDays.end(), [&](int monthDay) {
                    return monthDay > 0 ? monthDay == date.day
                                        : MonthLength(date.month, date.year) + 1 + monthDay == date.day;
                });
            if (monthDayFits && OnRuleWeekday(rule, day)) days.push_back(day);
            break;
        }
        case Frequency::Weekly: {
            const int64_t weekFirst = startDay - (WeekdayOfDay(startDay) - rule.weekStart + 7) % 7 + index * 7 * rule.interval;
            for (int64_t day = weekFirst; day < weekFirst + 7; ++day) {
                const bool wanted = rule.weekdays.empty() ? WeekdayOfDay(day) == WeekdayOfDay(startDay)
                                                          : OnRuleWeekday(rule, day);
                if (wanted) days.push_back(day);
            }
            break;
        }
        case Frequency::Monthly: {
            const int64_t monthIndex = start.year * 12 + (start.month - 1) + index * rule.interval;
            AddMonthDays(rule, monthIndex / 12, monthIndex % 12 + 1, start.day, days);
            break;
        }
        case Frequency::Yearly: {
            const int64_t year = start.year + index * rule.interval;
            if (year > 9999) break;
            if (rule.months.empty() && rule.monthDays.empty() && !rule.weekdays.empty()) {
                AddWeekdays(rule, DaysFromCivil(year, 1, 1), DaysFromCivil(year, 12, 31), days);
            } else if (rule.months.empty() && !rule.monthDays.empty()) {
                for (int month = 1; month <= 12; ++month) AddMonthDays(rule, year, month, start.day, days);
            } else {
                const std::vector<int> months = rule.months.empty() ? std::vector<int>{static_cast<int>(start.month)}
                                                                    : rule.months;
                for (int month : months) AddMonthDays(rule, year, month, start.day, days);
            }
            break;
        }
    }
    // BYMONTH limits the daily, weekly and monthly rules.
    if (!rule.months.empty() && rule.frequency != Frequency::Yearly)
        days.erase(std::remove_if(days.begin(), days.end(),
                                  [&](int64_t day) { return !Contains(rule.months, static_cast<int>(CivilFromDays(day).month)); }),
                   days.end());
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

// The first day of period `index`: no day of it, nor of any later period, comes before.
int64_t PeriodFirstDay(const Recurrence& rule, const Date& start, int64_t startDay, int64_t index) {
    switch (rule.frequency) {
        case Frequency::Daily: return startDay + index * rule.interval;
        case Frequency::Weekly: return startDay - 6 + index * 7 * rule.interval;
        case Frequency::Monthly: {
            const int64_t monthIndex = start.year * 12 + (start.month - 1) + index * rule.interval;
            return DaysFromCivil(monthIndex / 12, monthIndex % 12 + 1, 1);
        }
        case Frequency::Yearly: break;
    }
    return DaysFromCivil(start.year + index * rule.interval, 1, 1);
}

enum class Occurrence { Found, Passed, Beyond };

// The first occurrence on or after today, DTSTART being the first of all.
Occurrence NextOccurrenceOf(const Recurrence& rule, const Date& start, int64_t today, int64_t& found) {
    const int64_t startDay = DaysFromCivil(start.year, start.month, start.day);
    int64_t instances = 1;
    if (startDay >= today) {
        found = startDay;
        return Occurrence::Found;
    }
    for (int64_t index = 0; index < kMostPeriods; ++index) {
        const std::vector<int64_t> days = PeriodDays(rule, start, startDay, index);
        for (int64_t day : days) {
            if (day <= startDay) continue;
            if (rule.hasUntil && day > rule.untilDay) return Occurrence::Passed;
            if (rule.count != 0 && ++instances > rule.count) return Occurrence::Passed;
            if (day >= today) {
                if (day > today + kHorizonDays) return Occurrence::Beyond;
                found = day;
                return Occurrence::Found;
            }
        }
        const int64_t nextPeriod = PeriodFirstDay(rule, start, startDay, index + 1);
        if (rule.hasUntil && nextPeriod > rule.untilDay) return Occurrence::Passed;
        if (nextPeriod > today + kHorizonDays) return Occurrence::Beyond;
    }
    return Occurrence::Beyond;
}


// What an event's lines said. The texts are copies: the lines they came from are gone by
// the event's end. Their room is reused from event to event.
struct EventFields {
    bool hasStart = false;
    Date start{0, 0, 0};
    int64_t startSeconds = 0;
    bool startIsDate = true;
    bool hasEnd = false;
    Date end{0, 0, 0};
    int64_t endSeconds = 0;
    bool malformed = false;
    std::string rule;
    bool hasRule = false;
    std::string summary;
    std::string storedDate, storedAdvance, storedPeriod, part;
    bool kept = false;
    bool hasTrigger = false;
    std::string triggerParameters, triggerValue;
    int alarms = 0;
};

// Empties the fields for the next event without giving back the room of their texts.
void ClearEvent(EventFields& event) {
    event.hasStart = false;
    event.start = {0, 0, 0};
    event.startSeconds = 0;
    event.startIsDate = true;
    event.hasEnd = false;
    event.end = {0, 0, 0};
    event.endSeconds = 0;
    event.malformed = false;
    event.hasRule = false;
    event.kept = false;
    event.hasTrigger = false;
    event.alarms = 0;
    for (std::string* text : {&event.rule, &event.summary, &event.storedDate, &event.storedAdvance,
                              &event.storedPeriod, &event.part, &event.triggerParameters, &event.triggerValue})
        text->clear();
}

enum class EntryResult { Note, Passed, Unreadable, Ignored };

// YYYY-MM-DD as Tolvek stores it, open parts 0.
bool ParseStoredDate(std::string_view value, Note& note) {
    const std::size_t first = value.find('-');
    const std::size_t second = first == std::string_view::npos ? first : value.find('-', first + 1);
    if (second == std::string_view::npos || value.find('-', second + 1) != std::string_view::npos) return false;
    int64_t year, month, day;
    if (!ParseInteger(value.substr(0, first), year, 0, 9999) ||
        !ParseInteger(value.substr(first + 1, second - first - 1), month, 0, 12) ||
        !ParseInteger(value.substr(second + 1), day, 1, 31))
        return false;
    note.year = static_cast<int32_t>(year);
    note.month = static_cast<int32_t>(month);
    note.day = static_cast<int32_t>(day);
    return true;
}

int64_t SecondsBetween(const Date& from, int64_t fromSeconds, const Date& to, int64_t toSeconds) {
    return (DaysFromCivil(to.year, to.month, to.day) - DaysFromCivil(from.year, from.month, from.day)) * kDaySeconds +
           toSeconds - fromSeconds;
}

// The advance the event's first alarm asks for, or false when it has none that is readable.
bool AlarmAdvance(const EventFields& event, int32_t& advance) {
    if (!event.hasTrigger) return false;
    ContentLine trigger;
    trigger.parameters = event.triggerParameters;
    trigger.value = event.triggerValue;
    int64_t fromMidnight = 0;
    if (HasParameterValue(trigger, "VALUE", "DATE-TIME")) {
        Date at;
        int64_t seconds = 0;
        if (!ParseDateTime(trigger.value, at, seconds)) return false;
        fromMidnight = SecondsBetween(event.start, 0, at, seconds);
    } else {
        int64_t offset = 0;
        if (!ParseDuration(trigger.value, offset)) return false;
        int64_t anchor = event.startSeconds;
        if (HasParameterValue(trigger, "RELATED", "END")) {
            if (event.hasEnd) anchor += SecondsBetween(event.start, event.startSeconds, event.end, event.endSeconds);
            else if (event.startIsDate) anchor += kDaySeconds;
        }
        fromMidnight = anchor + offset;
    }
    advance = AdvanceForAlarm(fromMidnight);
    return true;
}

EntryResult EventToNote(const EventFields& event, const Today& today, const Note& defaults,
                        const CodePage& codePage, Note& note, bool& altered) {
    if (!event.part.empty() && event.part != "1"sv) return EntryResult::Ignored;  // the rest of a split note
    if (event.malformed || !event.hasStart) return EntryResult::Unreadable;
    note = Note();
    note.period = defaults.period;
    note.advance = defaults.advance;
    int64_t number = 0;
    int32_t alarmAdvance = 0;
    // Tolvek's own advance wins over the alarm's, which is then not read at all.
    if (!event.storedAdvance.empty() && ParseInteger(event.storedAdvance, number, INT32_MIN, INT32_MAX))
        note.advance = static_cast<int32_t>(number);
    else if (AlarmAdvance(event, alarmAdvance))
        note.advance = alarmAdvance;
    if (!event.storedPeriod.empty() && ParseInteger(event.storedPeriod, number, INT32_MIN, INT32_MAX))
        note.period = static_cast<int32_t>(number);
    if (event.kept) note.obsoleteDeclined = 1;
    SetTextFromValue(note, event.summary, codePage, altered);

    if (!event.storedDate.empty() && ParseStoredDate(event.storedDate, note)) return EntryResult::Note;

    const int64_t todayNumber = DaysFromCivil(today.year, today.month, today.day);
    const Date& start = event.start;
    if (!event.hasRule) {
        if (DaysFromCivil(start.year, start.month, start.day) < todayNumber) return EntryResult::Passed;
        note.year = static_cast<int32_t>(start.year);
        note.month = static_cast<int32_t>(start.month);
        note.day = static_cast<int32_t>(start.day);
        return EntryResult::Note;
    }
    Recurrence rule;
    if (!ParseRecurrence(event.rule, rule)) return EntryResult::Unreadable;
    const bool endless = rule.interval == 1 && rule.count == 0 && !rule.hasUntil && rule.weekdays.empty();
    const bool oneMonthDay = rule.monthDays.size() <= 1 && (rule.monthDays.empty() || rule.monthDays[0] > 0 ||
                                                            rule.monthDays[0] == -1);
    if (endless && oneMonthDay && rule.frequency == Frequency::Yearly && rule.months.size() <= 1) {
        // Every year on one day: the year stays open.
        note.month = rule.months.empty() ? static_cast<int32_t>(start.month) : rule.months[0];
        const int64_t longest = note.month == 2 ? 29 : MonthLength(note.month, 2001);
        const int64_t day = rule.monthDays.empty() ? start.day : rule.monthDays[0] > 0 ? rule.monthDays[0] : longest;
        if (day > longest) return EntryResult::Unreadable;
        note.day = static_cast<int32_t>(day);
        return EntryResult::Note;
    }
    if (endless && oneMonthDay && rule.frequency == Frequency::Monthly && rule.months.empty()) {
        // Every month on one day: month and year stay open.
        note.day = static_cast<int32_t>(rule.monthDays.empty() ? start.day : rule.monthDays[0] > 0 ? rule.monthDays[0] : 31);
        return EntryResult::Note;
    }
    int64_t next = 0;
    switch (NextOccurrenceOf(rule, start, todayNumber, next)) {
        case Occurrence::Passed: return EntryResult::Passed;
        case Occurrence::Beyond: return EntryResult::Unreadable;
        case Occurrence::Found: break;
    }
    const Date date = CivilFromDays(next);
    note.year = static_cast<int32_t>(date.year);
    note.month = static_cast<int32_t>(date.month);
    note.day = static_cast<int32_t>(date.day);
    return EntryResult::Note;
}


// The properties the import reads; every other one is passed over.
enum class Property {
    Begin, End, Start, Finish, Rule, Summary, Trigger, StoredDate, StoredAdvance, StoredPeriod, Part, Kept,
    FormattedName, StructuredName, Birthday, Anniversary, Other
};

Property PropertyNamed(std::string_view name) {
    // By length first: it tells most names apart at once.
    auto either = [&](std::string_view upper, Property property) {
        return SameUpper(name, upper) ? property : Property::Other;
    };
    switch (name.size()) {
        case 1: return either("N"sv, Property::StructuredName);
        case 2: return either("FN"sv, Property::FormattedName);
        case 3: return either("END"sv, Property::End);
        case 4: return either("BDAY"sv, Property::Birthday);
        case 5:
            if (SameUpper(name, "BEGIN"sv)) return Property::Begin;
            if (SameUpper(name, "DTEND"sv)) return Property::Finish;
            return either("RRULE"sv, Property::Rule);
        case 7:
            if (SameUpper(name, "DTSTART"sv)) return Property::Start;
            if (SameUpper(name, "SUMMARY"sv)) return Property::Summary;
            return either("TRIGGER"sv, Property::Trigger);
        case 11: return either("ANNIVERSARY"sv, Property::Anniversary);
        case 13:
            if (SameUpper(name, "X-TOLVEK-DATE"sv)) return Property::StoredDate;
            if (SameUpper(name, "X-TOLVEK-PART"sv)) return Property::Part;
            return either("X-TOLVEK-KEPT"sv, Property::Kept);
        case 15: return either("X-TOLVEK-PERIOD"sv, Property::StoredPeriod);
        case 16: return either("X-TOLVEK-ADVANCE"sv, Property::StoredAdvance);
        default: return Property::Other;
    }
}

void TakeEventLine(const ContentLine& line, Property property, bool inAlarm, EventFields& event) {
    if (inAlarm) {
        if (property == Property::Trigger && event.alarms == 1) {
            event.hasTrigger = true;
            event.triggerParameters.assign(line.parameters.data(), line.parameters.size());
            event.triggerValue.assign(line.value.data(), line.value.size());
        }
        return;
    }
    switch (property) {
        case Property::Start:
        case Property::Finish: {
            Date date;
            int64_t seconds = 0;
            if (!ParseDateTime(line.value, date, seconds)) {
                if (property == Property::Start) event.malformed = true;
                return;
            }
            if (property == Property::Start) {
                event.hasStart = true;
                event.start = date;
                event.startSeconds = seconds;
                event.startIsDate = line.value.size() == 8;
            } else {
                event.hasEnd = true;
                event.end = date;
                event.endSeconds = seconds;
            }
            return;
        }
        case Property::Rule:
            if (event.hasRule) event.malformed = true;  // several rules: beyond what a note holds
            event.hasRule = true;
            event.rule.assign(line.value.data(), line.value.size());
            return;
        case Property::Summary: event.summary.assign(line.value.data(), line.value.size()); return;
        case Property::StoredDate: event.storedDate.assign(line.value.data(), line.value.size()); return;
        case Property::StoredAdvance: event.storedAdvance.assign(line.value.data(), line.value.size()); return;
        case Property::StoredPeriod: event.storedPeriod.assign(line.value.data(), line.value.size()); return;
        case Property::Part: event.part.assign(line.value.data(), line.value.size()); return;
        case Property::Kept: event.kept = line.value == "1"sv; return;
        default: return;
    }
}

// A vCard date: YYYY-MM-DD, YYYYMMDD, --MMDD or --MM-DD, a time after it ignored.
bool ParseCardDate(std::string value, int64_t& month, int64_t& day) {
    const std::size_t time = value.find('T');
    if (time != std::string::npos) value.resize(time);
    value.erase(std::remove(value.begin(), value.end(), '-'), value.end());
    // After the dashes go: YYYYMMDD, or MMDD for a date without a year.
    int64_t year = 2000;
    std::size_t at = 0;
    if (value.size() == 8) {
        if (!ReadNumber(value, 0, 4, year)) return false;
        at = 4;
    } else if (value.size() != 4) {
        return false;
    }
    if (!ReadNumber(value, at, 2, month) || !ReadNumber(value, at + 2, 2, day)) return false;
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= (month == 2 ? 29 : MonthLength(month, 2001));
}

// A BDAY or ANNIVERSARY, kept until the card's name is known.
struct CardDate {
    bool givenAsText;  // VALUE=TEXT: words such as "circa 1800", not a date
    std::string value;
};

struct CardFields {
    std::string formattedName;
    std::string structuredName;
    std::vector<CardDate> dates;
};

void TakeCardLine(const ContentLine& line, Property property, CardFields& card) {
    if (property == Property::FormattedName) card.formattedName = ValueAsUtf8(line);
    else if (property == Property::StructuredName) card.structuredName = ValueAsUtf8(line);
    else if (property == Property::Birthday || property == Property::Anniversary)
        card.dates.push_back({HasParameterValue(line, "VALUE"sv, "TEXT"sv), std::string(line.value)});
}

std::string CardName(const CardFields& card) {
    if (!card.formattedName.empty()) return card.formattedName;
    // N is Family;Given;Additional;Prefixes;Suffixes: shown as "Given Family".
    const std::vector<std::string> parts = Split(card.structuredName, ';');
    std::string name = parts.size() > 1 ? parts[1] : "";
    if (!parts[0].empty()) name += (name.empty() ? "" : " ") + parts[0];
    return name;
}

// The components whose lines the import reads; named once, where they open.
enum class Component { Calendar, Card, Event, Alarm, Other };

struct OpenComponent {
    std::string name;  // in capitals
    Component kind;
};

Component ComponentNamed(std::string_view upper) {
    if (upper == "VEVENT"sv) return Component::Event;
    if (upper == "VALARM"sv) return Component::Alarm;
    if (upper == "VCARD"sv) return Component::Card;
    if (upper == "VCALENDAR"sv) return Component::Calendar;
    return Component::Other;
}

// Where the lines that follow belong, by the components open around them.
enum class Scope { Outside, Event, EventAlarm, Card, Elsewhere };

Scope ScopeOf(const std::vector<OpenComponent>& stack) {
    if (stack.empty()) return Scope::Outside;
    switch (stack.back().kind) {
        case Component::Event: return Scope::Event;
        case Component::Card: return Scope::Card;
        case Component::Alarm:
            if (stack.size() >= 2 && stack[stack.size() - 2].kind == Component::Event) return Scope::EventAlarm;
            return Scope::Elsewhere;
        default: return Scope::Elsewhere;
    }
}

// The import as it goes, content line by content line.
struct Reading {
    Reading(const Today& today, const Note& defaults, const CodePage& codePage)
        : today(today), defaults(defaults), codePage(codePage) {}
    const Today& today;
    const Note& defaults;
    const CodePage& codePage;
    CalendarImport result;
    bool sawContainer = false, sawEntry = false;
    std::vector<OpenComponent> stack;  // innermost last
    Scope scope = Scope::Outside;
    EventFields event;
    CardFields card;
};

void Take(Reading& reading, EntryResult entry, const Note& note, bool altered) {
    switch (entry) {
        case EntryResult::Note:
            reading.result.notes.push_back(note);
            if (altered) ++reading.result.altered;
            break;
        case EntryResult::Passed: ++reading.result.passed; break;
        case EntryResult::Unreadable: ++reading.result.unreadable; break;
        case EntryResult::Ignored: break;
    }
}

void CloseCard(Reading& reading) {
    const CardFields& card = reading.card;
    for (const CardDate& date : card.dates) {
        reading.sawEntry = true;
        int64_t month = 0, day = 0;
        if (date.givenAsText || !ParseCardDate(date.value, month, day)) {
            Take(reading, EntryResult::Unreadable, Note(), false);
            continue;
        }
        Note note;
        note.period = reading.defaults.period;
        note.advance = reading.defaults.advance;
        note.month = static_cast<int32_t>(month);
        note.day = static_cast<int32_t>(day);
        bool altered = false;
        SetNoteText(note, NoteTextFrom(UnescapeText(CardName(card)), reading.codePage, altered));
        Take(reading, EntryResult::Note, note, altered);
    }
}

void ReadContentLine(Reading& reading, std::string_view text) {
    ContentLine line;
    if (!ParseContentLine(text, line)) {
        if (reading.scope == Scope::Event) reading.event.malformed = true;
        return;
    }
    const Property property = PropertyNamed(line.name);
    std::vector<OpenComponent>& stack = reading.stack;
    if (property == Property::Begin) {
        std::string name(line.value);
        MakeUpper(name);
        const Component opened = ComponentNamed(name);
        if (opened == Component::Calendar || opened == Component::Card) reading.sawContainer = true;
        if (opened == Component::Event) ClearEvent(reading.event);
        if (opened == Component::Card) reading.card = CardFields();
        if (opened == Component::Alarm && reading.scope == Scope::Event) ++reading.event.alarms;  // the scope around it
        stack.push_back({std::move(name), opened});
        reading.scope = ScopeOf(stack);
        return;
    }
    if (property == Property::End) {
        Component closed;
        if (!stack.empty() && SameUpper(line.value, stack.back().name)) {
            closed = stack.back().kind;
            stack.pop_back();
        } else {
            // A component closed out of order: what it held cannot be trusted.
            auto isEvent = [](const OpenComponent& open) { return open.kind == Component::Event; };
            if (std::any_of(stack.begin(), stack.end(), isEvent)) reading.event.malformed = true;
            auto open = std::find_if(stack.rbegin(), stack.rend(),
                                     [&](const OpenComponent& o) { return SameUpper(line.value, o.name); });
            if (open == stack.rend()) return;
            closed = open->kind;
            stack.erase(std::next(open).base(), stack.end());
        }
        reading.scope = ScopeOf(stack);
        if (closed == Component::Event) {
            reading.sawEntry = true;
            Note note;
            bool altered = false;
            const EntryResult entry =
                EventToNote(reading.event, reading.today, reading.defaults, reading.codePage, note, altered);
            Take(reading, entry, note, altered);
        } else if (closed == Component::Card) {
            CloseCard(reading);
        }
        return;
    }
    switch (reading.scope) {
        case Scope::Event: TakeEventLine(line, property, false, reading.event); break;
        case Scope::EventAlarm: TakeEventLine(line, property, true, reading.event); break;
        case Scope::Card: TakeCardLine(line, property, reading.card); break;
        case Scope::Outside:
        case Scope::Elsewhere: break;
    }
}

// Reads every whole content line of `text`; gives where the first line it left starts (a
// line that may go on in the next part).
std::size_t ReadContentLines(Reading& reading, std::string_view text, bool last) {
    LogicalLines lines(text, last);
    std::string_view line;
    while (lines.Next(line)) ReadContentLine(reading, line);
    return lines.Unread();
}

CalendarImport FinishReading(Reading& reading) {
    CalendarImport& result = reading.result;
    if (!reading.sawContainer) result.verdict = CalendarVerdict::NotACalendar;
    else if (!reading.sawEntry) result.verdict = CalendarVerdict::NothingInIt;
    else result.verdict = CalendarVerdict::Read;
    // Events outside any calendar are no calendar either: nothing of such a file is taken.
    if (result.verdict != CalendarVerdict::Read) {
        CalendarImport refused;
        refused.verdict = result.verdict;
        return refused;
    }
    return std::move(result);
}

// Room for a note per 256 bytes at once (Tolvek's own events take about 360): growing the
// list 10,000 notes long copied it over and over into fresh memory.
std::size_t NotesRoomFor(uint64_t bytes) { return static_cast<std::size_t>(bytes / 256); }

bool HasUtf8Mark(std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"sv; }
bool HasUtf16Mark(std::string_view text) {
    return text.substr(0, 2) == "\xFF\xFE"sv || text.substr(0, 2) == "\xFE\xFF"sv;
}

// A UTF-16 text after its byte-order mark, as UTF-8.
std::string Utf16AsUtf8(std::string_view text) {
    return Utf8FromUtf16(text.data() + 2, text.size() - 2, text[0] == '\xFE');
}

}  // namespace

CalendarImport ImportCalendarFile(FileSystem& files, const std::string& name, const Today& today,
                                  const Note& defaults, const CodePage& codePage, std::size_t partSize) {
    CalendarImport refused;
    OpenFailure failure;
    const std::unique_ptr<ReadableFile> file = files.OpenForReading(name, failure);
    uint64_t size = 0;
    if (!file || !file->Size(size)) {
        refused.read = FileRead::Unreadable;
        return refused;
    }
    if (size > kLargestCalendarFile) {
        refused.read = FileRead::TooLarge;
        return refused;
    }
    Reading reading(today, defaults, codePage);
    reading.result.notes.reserve(NotesRoomFor(size));
    // The file is read in parts into one room and parsed as it comes: a copy of the whole
    // file would cost fresh memory as large as the file, which costs as much as the reading.
    // The first part holds a byte-order mark whole.
    std::string room(std::max<std::size_t>(partSize, 4), '\0');
    std::size_t carried = 0;  // the start of a line that the part before could not end
    uint64_t left = size;
    bool first = true;
    do {
        if (carried == room.size()) room.resize(2 * room.size());  // a line longer than the room
        const std::size_t length = static_cast<std::size_t>(std::min<uint64_t>(left, room.size() - carried));
        if (length > 0 && !file->ReadExactly(&room[carried], length)) {
            refused.read = FileRead::Unreadable;
            return refused;
        }
        left -= length;
        std::string_view text(room.data(), carried + length);
        if (first && HasUtf16Mark(text)) {
            // Read whole, then converted and read as bytes in memory are.
            std::string bytes(text);
            bytes.resize(static_cast<std::size_t>(size));
            if (left > 0 && !file->ReadExactly(&bytes[text.size()], static_cast<std::size_t>(left))) {
                refused.read = FileRead::Unreadable;
                return refused;
            }
            return ReadCalendarFile(bytes, today, defaults, codePage);
        }
        if (first && HasUtf8Mark(text)) text.remove_prefix(3);
        first = false;
        const std::size_t read = ReadContentLines(reading, text, left == 0);
        carried = text.size() - read;
        std::memmove(&room[0], text.data() + read, carried);
    } while (left > 0);
    return FinishReading(reading);
}

int32_t AdvanceForAlarm(int64_t secondsFromMidnight) {
    // The day the reminder must be shown by; Tolvek shows it from that day's start.
    const int64_t leadDays = secondsFromMidnight >= 0 ? 0 : (-secondsFromMidnight + kDaySeconds - 1) / kDaySeconds;
    if (leadDays == 0) return 4;
    if (leadDays <= 1) return 3;
    if (leadDays <= 3) return 2;
    if (leadDays <= 7) return 1;
    return 0;
}

CalendarImport ReadCalendarFile(std::string_view bytes, const Today& today, const Note& defaults,
                                const CodePage& codePage) {
    Reading reading(today, defaults, codePage);
    reading.result.notes.reserve(NotesRoomFor(bytes.size()));
    if (HasUtf16Mark(bytes)) {
        ReadContentLines(reading, Utf16AsUtf8(bytes), true);
    } else {
        if (HasUtf8Mark(bytes)) bytes.remove_prefix(3);
        ReadContentLines(reading, bytes, true);
    }
    return FinishReading(reading);
}

uint32_t DropNotesAlreadyStored(const NoteStore& store, std::vector<Note>& notes) {
    using Key = std::tuple<int32_t, int32_t, int32_t, std::string>;
    std::map<Key, uint32_t> stored;
    for (uint32_t i = 0; i < store.Count(); ++i) {
        const Note& note = store.At(i);
        ++stored[Key(note.year, note.month, note.day, NoteText(note))];
    }
    uint32_t dropped = 0;
    std::vector<Note> kept;
    kept.reserve(notes.size());
    for (const Note& note : notes) {
        const auto match = stored.find(Key(note.year, note.month, note.day, NoteText(note)));
        if (match != stored.end() && match->second > 0) {
            --match->second;
            ++dropped;
        } else {
            kept.push_back(note);
        }
    }
    notes.swap(kept);
    return dropped;
}
