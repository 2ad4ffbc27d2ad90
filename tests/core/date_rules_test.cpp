#include <gtest/gtest.h>

#include <climits>

#include "date_rules.h"
#include "test_support.h"

using test_support::CoreTest;
using test_support::MakeNote;
using test_support::NextOccurrence;
using test_support::OccursNoLaterThan;
using test_support::SetToday;

namespace {

struct ResolveCase {
    int32_t todayYear, todayMonth, todayDay;  // today
    int32_t year, month, day;                 // stored
    int32_t wantYear, wantMonth;              // resolved (the day never changes)
};

class NextOccurrenceTest : public CoreTest {};

TEST_F(NextOccurrenceTest, FillsOpenPartsWithTheEarliestDateNotBeforeToday) {
    const ResolveCase cases[] = {
        // today 15 June 2004 (a Tuesday)
        {2004, 6, 15, 0, 0, 15, 2004, 6},
        {2004, 6, 15, 0, 0, 14, 2004, 7},
        {2004, 6, 15, 0, 0, 31, 2004, 6},
        {2004, 6, 15, 0, 6, 14, 2005, 6},
        {2004, 6, 15, 0, 6, 15, 2004, 6},
        {2004, 6, 15, 0, 7, 1, 2004, 7},
        {2004, 6, 15, 0, 5, 20, 2005, 5},
        {2004, 6, 15, 2004, 0, 20, 2004, 6},
        {2004, 6, 15, 2004, 0, 14, 2004, 7},
        {2004, 6, 15, 2005, 0, 3, 2005, 1},
        {2004, 6, 15, 2003, 0, 3, 2003, 12},
        {2004, 6, 15, 2004, 3, 5, 2004, 3},  // single date in the past stays
        // today 20 December 2004
        {2004, 12, 20, 0, 0, 10, 2005, 1},
        {2004, 12, 20, 0, 0, 20, 2004, 12},
        {2004, 12, 20, 2004, 0, 10, 2004, 12},  // fixed year never passes December
        {2004, 12, 20, 0, 12, 19, 2005, 12},
        {2004, 12, 20, 0, 12, 20, 2004, 12},
        {2004, 12, 21, 0, 12, 20, 2005, 12},
    };
    for (const ResolveCase& c : cases) {
        SetToday(c.todayYear, c.todayMonth, c.todayDay);
        int32_t day = c.day, month = c.month, year = c.year;
        NextOccurrence(day, month, year);
        EXPECT_EQ(c.wantYear, year) << "stored " << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(c.wantMonth, month) << "stored " << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(c.day, day);
    }
}

TEST_F(NextOccurrenceTest, EveryMonthMovesOnTheDayAfterItsDay) {
    SetToday(2004, 6, 15);
    int32_t day = 15, month = 0, year = 0;
    NextOccurrence(day, month, year);
    EXPECT_EQ(6, month);
    SetToday(2004, 6, 16);
    day = 15, month = 0, year = 0;
    NextOccurrence(day, month, year);
    EXPECT_EQ(7, month);
    EXPECT_EQ(2004, year);
}

class OrderTest : public CoreTest {};

TEST_F(OrderTest, ComparesNextOccurrencesWithTiesTrueBothWays) {
    SetToday(2004, 6, 15);
    const Note everyMonth15 = MakeNote(0, 0, 15);
    const Note today = MakeNote(2004, 6, 15);
    const Note passed = MakeNote(2004, 3, 5);
    const Note nextYearJune14 = MakeNote(0, 6, 14);
    EXPECT_TRUE(OccursNoLaterThan(ReadToday(), everyMonth15, today));
    EXPECT_TRUE(OccursNoLaterThan(ReadToday(), today, everyMonth15));
    EXPECT_TRUE(OccursNoLaterThan(ReadToday(), passed, today));  // passed dates sort first
    EXPECT_FALSE(OccursNoLaterThan(ReadToday(), today, passed));
    EXPECT_FALSE(OccursNoLaterThan(ReadToday(), nextYearJune14, today));
    EXPECT_TRUE(OccursNoLaterThan(ReadToday(), today, nextYearJune14));
}

class ObsoleteTest : public CoreTest {};

TEST_F(ObsoleteTest, DateHasPassedOnlyAfterItsLastPossibleDay) {
    struct Case {
        int32_t year, month, day;             // stored
        int32_t todayYear, todayMonth, todayDay;
        bool obsolete;
    };
    const Case cases[] = {
        {2004, 3, 5, 2004, 3, 5, false},
        {2004, 3, 5, 2004, 3, 6, true},
        {2004, 0, 10, 2004, 12, 10, false},
        {2004, 0, 10, 2004, 12, 11, true},
        {2004, 0, 31, 2004, 12, 31, false},
        {2004, 0, 31, 2005, 1, 1, true},
        {0, 3, 5, 2030, 1, 1, false},
        {0, 0, 1, 2099, 12, 31, false},
    };
    for (const Case& c : cases) {
        SetToday(c.todayYear, c.todayMonth, c.todayDay);
        EXPECT_EQ(c.obsolete, IsObsolete(MakeNote(c.year, c.month, c.day)))
            << c.year << "-" << c.month << "-" << c.day << " on " << c.todayYear << "-"
            << c.todayMonth << "-" << c.todayDay;
    }
}

class DueTest : public CoreTest {
protected:
    // The first day on which a period-2 single-date note is due, found by walking days.
    static bool DueOn(const Note& note, int32_t year, int32_t month, int32_t day) {
        SetToday(year, month, day);
        return IsDue(note);
    }
};

TEST_F(DueTest, ReminderWindowOpensOnTheTabledDayForEachAdvance) {
    struct Case {
        int32_t year, month, day;   // the occurrence
        int32_t advance;
        int32_t openYear, openMonth, openDay;  // first day of the window
        int32_t dayBeforeYear, dayBeforeMonth, dayBeforeDay;
    };
    const Case cases[] = {
        {2004, 3, 1, 0, 2004, 2, 1, 2004, 1, 31},
        {2004, 3, 1, 1, 2004, 2, 23, 2004, 2, 22},
        {2004, 3, 1, 2, 2004, 2, 27, 2004, 2, 26},
        {2004, 3, 1, 3, 2004, 2, 29, 2004, 2, 28},
        {2004, 3, 1, 4, 2004, 3, 1, 2004, 2, 29},
        {2005, 3, 1, 0, 2005, 2, 1, 2005, 1, 31},
        {2005, 3, 1, 1, 2005, 2, 22, 2005, 2, 21},
        {2005, 3, 1, 2, 2005, 2, 26, 2005, 2, 25},
        {2005, 3, 1, 3, 2005, 2, 28, 2005, 2, 27},
        {2005, 3, 1, 4, 2005, 3, 1, 2005, 2, 28},
        {2005, 1, 3, 0, 2004, 12, 3, 2004, 12, 2},
        {2005, 1, 3, 1, 2004, 12, 27, 2004, 12, 26},
        {2005, 1, 3, 2, 2004, 12, 31, 2004, 12, 30},
        {2005, 1, 3, 3, 2005, 1, 2, 2005, 1, 1},
        {2005, 1, 3, 4, 2005, 1, 3, 2005, 1, 2},
        {2004, 3, 31, 0, 2004, 3, 1, 2004, 2, 29},  // 31 February is reached by no day
        {2004, 3, 31, 1, 2004, 3, 24, 2004, 3, 23},
        {2004, 3, 31, 2, 2004, 3, 28, 2004, 3, 27},
        {2004, 3, 31, 3, 2004, 3, 30, 2004, 3, 29},
        {2004, 3, 31, 4, 2004, 3, 31, 2004, 3, 30},
        {2004, 1, 15, 0, 2003, 12, 15, 2003, 12, 14},
        {2004, 1, 15, 1, 2004, 1, 8, 2004, 1, 7},
        {2004, 1, 15, 2, 2004, 1, 12, 2004, 1, 11},
        {2004, 1, 15, 3, 2004, 1, 14, 2004, 1, 13},
        {2004, 1, 15, 4, 2004, 1, 15, 2004, 1, 14},
        // Gregorian February: 2100 is no leap year, 2000 is.
        {2100, 3, 1, 1, 2100, 2, 22, 2100, 2, 21},
        {2000, 3, 1, 1, 2000, 2, 23, 2000, 2, 22},
        {2100, 3, 1, 3, 2100, 2, 28, 2100, 2, 27},
    };
    for (const Case& c : cases) {
        const Note note = MakeNote(c.year, c.month, c.day, 2, c.advance);
        EXPECT_TRUE(DueOn(note, c.openYear, c.openMonth, c.openDay))
            << c.year << "-" << c.month << "-" << c.day << " advance " << c.advance;
        EXPECT_FALSE(DueOn(note, c.dayBeforeYear, c.dayBeforeMonth, c.dayBeforeDay))
            << c.year << "-" << c.month << "-" << c.day << " advance " << c.advance;
    }
}

TEST_F(DueTest, PeriodDecidesWhetherAnOpenWindowShowsNow) {
    struct Case {
        int32_t period;
        int startupPass;
        int32_t todayDay;  // June 2004: 14th a Monday, 15th a Tuesday
        bool due;
    };
    const Case cases[] = {
        {0, 1, 14, true},  {0, 0, 14, false}, {0, 1, 15, false},
        {1, 1, 15, true},  {1, 0, 15, false}, {2, 0, 15, true},
        {2, 1, 14, true},  {3, 1, 14, false}, {-1, 1, 14, false},
        {INT32_MAX, 1, 14, false},
    };
    for (const Case& c : cases) {
        SetToday(2004, 6, c.todayDay);
        isStartupPass = c.startupPass;
        EXPECT_EQ(c.due, IsDue(MakeNote(0, 0, 20, c.period, 0)))
            << "period " << c.period << " startup " << c.startupPass << " day " << c.todayDay;
    }
}

TEST_F(DueTest, AdvanceAboveFourActsAsThatDay) {
    const Note note = MakeNote(2004, 6, 20, 2, 5);
    EXPECT_FALSE(DueOn(note, 2004, 6, 19));
    EXPECT_TRUE(DueOn(note, 2004, 6, 20));
}

TEST_F(DueTest, EveryMonthWithAMonthInAdvanceIsAlwaysDue) {
    const Note note = MakeNote(0, 0, 10, 2, 0);
    for (int32_t month = 1; month <= 12; ++month)
        for (int32_t day = 1; day <= 31; ++day)
            EXPECT_TRUE(DueOn(note, 2004, month, day)) << month << "/" << day;
}

TEST_F(DueTest, ThirtyFirstInAThirtyDayMonth) {
    // Resolved to 31 June: "that day" never opens in June, "one day" opens on the 30th.
    EXPECT_FALSE(DueOn(MakeNote(0, 0, 31, 2, 4), 2004, 6, 30));
    EXPECT_TRUE(DueOn(MakeNote(0, 0, 31, 2, 3), 2004, 6, 30));
    EXPECT_FALSE(DueOn(MakeNote(0, 0, 31, 2, 3), 2004, 6, 29));
}

TEST_F(DueTest, EveryYearOnChristmasEveAMonthAhead) {
    const Note note = MakeNote(0, 12, 24, 2, 0);
    EXPECT_FALSE(DueOn(note, 2004, 11, 23));
    EXPECT_TRUE(DueOn(note, 2004, 11, 24));
    EXPECT_TRUE(DueOn(note, 2004, 12, 24));
    EXPECT_FALSE(DueOn(note, 2004, 12, 25));
    EXPECT_TRUE(DueOn(note, 2005, 11, 24));
}

TEST_F(DueTest, PassedNoteStaysDueUntilTheUserKeepsIt) {
    Note note = MakeNote(2004, 3, 5, 2, 4);
    EXPECT_TRUE(DueOn(note, 2004, 6, 15));
    note.obsoleteDeclined = 1;
    EXPECT_FALSE(DueOn(note, 2004, 6, 15));
    // Declined but not yet passed (the refusal is only ever given for passed notes,
    // yet a damaged file may hold it): still shown on its day.
    EXPECT_TRUE(DueOn(note, 2004, 3, 5));
}

class WeekdayTest : public CoreTest {};

TEST_F(WeekdayTest, GivesTheWeekdayOfTheNextOccurrence) {
    struct Case {
        int32_t todayYear, todayMonth;
        int32_t year, month, day;
        int weekday;
    };
    const Case cases[] = {
        {2004, 6, 2000, 1, 1, 6},  {2004, 6, 2004, 2, 29, 0}, {2004, 6, 2004, 3, 1, 1},
        {2004, 6, 2004, 12, 24, 5}, {2004, 6, 2005, 1, 1, 6},  {2004, 6, 2005, 3, 1, 2},
        {2004, 6, 0, 12, 24, 5},   {2005, 6, 0, 12, 24, 6},   {2004, 6, 2004, 4, 31, 6},
        {2004, 6, 2005, 2, 30, 3}, {2004, 6, 1900, 1, 1, 1},  {2004, 6, 1600, 3, 1, 3},
        {2004, 6, 2100, 3, 1, 1},
    };
    for (const Case& c : cases) {
        SetToday(c.todayYear, c.todayMonth, 1);
        EXPECT_EQ(c.weekday, WeekdayOf(c.day, c.month, c.year))
            << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST_F(WeekdayTest, TodaysWeekdayAgreesWithTheCalendarOverFourHundredYears) {
    // Walk day by day from a known Saturday; the rule must agree with counting.
    int weekday = 6;  // 1 January 2000
    for (int32_t year = 2000; year < 2400; ++year) {
        for (int32_t month = 1; month <= 12; ++month) {
            const int32_t lengths[] = {31, IsGregorianLeapYear(year) ? 29 : 28, 31, 30, 31, 30,
                                       31, 31, 30, 31, 30, 31};
            for (int32_t day = 1; day <= lengths[month - 1]; ++day) {
                ASSERT_EQ(weekday, GregorianWeekday(year, month, day)) << year << "-" << month << "-" << day;
                weekday = (weekday + 1) % 7;
            }
        }
    }
}

// Values only a damaged file can hold must pass every rule without overflow (UBSan
// turns any signed overflow into a failure in the sanitizer build).
TEST_F(CoreTest, ExtremeValuesPassEveryRule) {
    const int32_t values[] = {INT32_MIN, INT32_MIN + 1, -400, -1, 0, 1, 12, 13, 31, 32, 9999,
                              INT32_MAX - 1, INT32_MAX};
    const int32_t todays[][3] = {{2004, 6, 15}, {2004, 12, 31}, {2004, 1, 1}};
    for (const auto& today : todays) {
        SetToday(today[0], today[1], today[2]);
        for (int32_t year : values)
            for (int32_t month : values)
                for (int32_t day : values)
                    for (int32_t advance : {0, 1, 2, 3, 4, INT32_MIN, INT32_MAX}) {
                        Note note = MakeNote(year, month, day, 2, advance);
                        note.obsoleteDeclined = 1;
                        (void)IsDue(note);
                        (void)IsObsolete(note);
                        (void)OccursNoLaterThan(ReadToday(), note, MakeNote(year, 0, day));
                        const int weekday = WeekdayOf(day, month, year);
                        ASSERT_GE(weekday, 0);
                        ASSERT_LE(weekday, 6);
                    }
    }
}

}  // namespace
