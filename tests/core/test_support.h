// Shared helpers for the core's tests: a settable today and short note builders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "date_rules.h"
#include "note.h"

namespace test_support {

inline Today& FixedToday() {
    static Today today{2004, 6, 15, 2};
    return today;
}

inline Today ReadFixedToday() { return FixedToday(); }

// Sets today's date (the weekday follows from it) for every rule.
inline void SetToday(int32_t year, int32_t month, int32_t day) {
    FixedToday() = Today{year, month, day, GregorianWeekday(year, month, day)};
    SetTodaySource(ReadFixedToday);
}

inline Note MakeNote(int32_t year, int32_t month, int32_t day, int32_t period = 2,
                     int32_t advance = 4, const std::string& text = "", int32_t declined = 0) {
    Note note;
    note.year = year;
    note.month = month;
    note.day = day;
    note.period = period;
    note.advance = advance;
    note.obsoleteDeclined = declined;
    SetNoteText(note, text);
    return note;
}

// Resets the process-wide state the rules and the store read.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetToday(2004, 6, 15);
        isStartupPass = 1;
    }
    void TearDown() override { SetTodaySource(nullptr); }
};

}  // namespace test_support
