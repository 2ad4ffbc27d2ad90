// Shared helpers for the core's tests: a settable today, short note builders and the
// by-identity removal and next-occurrence forms the tests state their cases in.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "date_rules.h"
#include "note.h"
#include "note_store.h"

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

// Fills the open parts (0) of a date with its next occurrence; the day stays.
inline void NextOccurrence(int32_t& day, int32_t& month, int32_t& year) {
    const ResolvedDate date = ResolveAgainst(ReadToday(), day, month, year);
    // Only open parts change, and they take values near today's, so they fit.
    month = static_cast<int32_t>(date.month);
    year = static_cast<int32_t>(date.year);
}

// Whether `existing` occurs on or before `newNote`, both resolved against one `today`:
// the order the store keeps.
inline bool OccursNoLaterThan(const Today& today, const Note& existing, const Note& newNote) {
    return IsOnOrBefore(ResolveAgainst(today, existing.day, existing.month, existing.year),
                        ResolveAgainst(today, newNote.day, newNote.month, newNote.year));
}

// Removes the note `id` if it is still stored, then saves; false only when a save failed.
inline bool RemoveNote(NoteStore& store, NoteId id) {
    uint32_t position = 0;
    if (!store.Find(id, position)) return true;
    return store.RemoveAt(position);
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
