// When a note next occurs, in what order notes stand, when a reminder is due,
// when a note has passed, and on which weekday it falls. Pure integer rules on
// the note's fields; dates are never validated against the calendar.
#pragma once

#include <cstdint>

#include "note.h"

// Today's local date; weekday 0 Sunday .. 6 Saturday.
struct Today {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t weekday;
};

// The one seam for "today": production reads the local clock, tests install their own source.
using TodaySource = Today (*)();
Today ReadToday();
void SetTodaySource(TodaySource source);  // nullptr restores the local clock

// A resolved date: plain integers, wide enough that no damaged value can overflow.
struct ResolvedDate {
    int64_t year;
    int64_t month;
    int64_t day;
};

// 1 until the start-up reminder passes have ended, then 0.
extern int isStartupPass;

// A note's next occurrence: its open parts (0) filled with the earliest date not before
// today; the day stays as stored.
ResolvedDate ResolveAgainst(const Today& today, int32_t day, int32_t month, int32_t year);

bool IsObsolete(const Note& note);
bool IsDue(const Note& note);
int WeekdayOf(int32_t day, int32_t month, int32_t year);

// Lexicographic (year, month, day) order.
bool IsOnOrBefore(const ResolvedDate& a, const ResolvedDate& b);

// Gregorian weekday (0 Sunday) of a day counted on from the first of the given month;
// months outside 1..12 carry into the year, so any values give an answer.
int GregorianWeekday(int64_t year, int64_t month, int64_t day);
bool IsGregorianLeapYear(int64_t year);

// A real calendar date (month 1..12, day within the month), for the calendar files.
using Date = ResolvedDate;
// Days since 1970-01-01 of a proleptic Gregorian date with month 1..12, and back.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);
Date CivilFromDays(int64_t days);
// Days in the month: 31, 30, or 28 or 29 for February.
int64_t MonthLength(int64_t month, int64_t year);
