#include "date_rules.h"

#include <ctime>

int isStartupPass = 1;

namespace {

Today LocalClockToday() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);  // single-threaded program
    if (!local) return Today{1970, 1, 1, 4};
    return Today{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_wday};
}

TodaySource todaySource = LocalClockToday;

bool IsBefore(const ResolvedDate& a, const ResolvedDate& b) { return !IsOnOrBefore(b, a); }

ResolvedDate TodayAsDate(const Today& today) { return {today.year, today.month, today.day}; }

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t quotient = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --quotient;
    return quotient;
}

}  // namespace

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = FloorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t MonthLength(int64_t month, int64_t year) {
    switch (month) {
        case 4: case 6: case 9: case 11: return 30;
        case 2: return IsGregorianLeapYear(year) ? 29 : 28;
        default: return 31;
    }
}

Date CivilFromDays(int64_t days) {
    // The inverse of DaysFromCivil, by eras of 400 years.
    days += 719468;
    const int64_t era = FloorDiv(days, 146097);
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

Today ReadToday() { return todaySource(); }

void SetTodaySource(TodaySource source) { todaySource = source ? source : LocalClockToday; }

bool IsOnOrBefore(const ResolvedDate& a, const ResolvedDate& b) {
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day <= b.day;
}

bool IsGregorianLeapYear(int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

ResolvedDate ResolveAgainst(const Today& today, int32_t day, int32_t month, int32_t year) {
    ResolvedDate date{year, month, day};
    const bool todayNotPastDay = today.day <= day;
    if (year == 0 && month != 0) {
        const bool thisYear = today.month < month || (today.month == month && todayNotPastDay);
        date.year = thisYear ? today.year : int64_t{today.year} + 1;
    } else if (year != 0 && month == 0) {
        if (year > today.year) {
            date.month = 1;
        } else if (year < today.year) {
            date.month = 12;
        } else {
            date.month = todayNotPastDay ? today.month : int64_t{today.month} + 1;
            if (date.month > 12) date.month = 12;
        }
    } else if (year == 0 && month == 0) {
        date.year = today.year;
        date.month = today.month;
        if (!todayNotPastDay) {
            date.month += 1;
            if (date.month > 12) {
                date.month = 1;
                date.year += 1;
            }
        }
    }
    return date;
}

bool IsObsolete(const Note& note) {
    const ResolvedDate last{note.year == 0 ? 9999 : note.year, note.month == 0 ? 12 : note.month,
                            note.day};
    return IsBefore(last, TodayAsDate(ReadToday()));
}

bool IsDue(const Note& note) {
    const Today today = ReadToday();
    ResolvedDate start = ResolveAgainst(today, note.day, note.month, note.year);
    switch (note.advance) {
        case 0: start.month -= 1; break;
        case 1: start.day -= 7; break;
        case 2: start.day -= 3; break;
        case 3: start.day -= 1; break;
        default: break;
    }
    if (start.month < 1) {
        start.month = 12;
        start.year -= 1;
    }
    if (start.day < 1) {  // borrow once from the month before
        start.month -= 1;
        if (start.month < 1) {
            start.month = 12;
            start.year -= 1;
        }
        start.day += MonthLength(start.month, start.year);
    }
    if (IsBefore(TodayAsDate(today), start)) return false;
    // A passed note the user chose to keep was promised never to be shown again.
    if (note.obsoleteDeclined != 0 && IsObsolete(note)) return false;
    switch (note.period) {
        case 0: return today.weekday == 1 && isStartupPass != 0;
        case 1: return isStartupPass != 0;
        case 2: return true;
        default: return false;
    }
}

int GregorianWeekday(int64_t year, int64_t month, int64_t day) {
    const int64_t monthIndex = month - 1;
    const int64_t carriedYear = year + FloorDiv(monthIndex, 12);
    const int64_t normalMonth = monthIndex - FloorDiv(monthIndex, 12) * 12 + 1;
    const int64_t days = DaysFromCivil(carriedYear, normalMonth, 1) + (day - 1);
    // 1970-01-01 was a Thursday (4).
    const int64_t weekday = (days + 4) % 7;
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

int WeekdayOf(int32_t day, int32_t month, int32_t year) {
    const ResolvedDate date = ResolveAgainst(ReadToday(), day, month, year);
    return GregorianWeekday(date.year, date.month, date.day);
}
