// Calendars (iCalendar, RFC 5545) and address books (vCard 2.1, 3 and 4) as notes: every
// event and every birthday or anniversary that a note can hold, read whole before anything
// changes, so a bad file changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "date_rules.h"
#include "file_system.h"
#include "note.h"
#include "note_store.h"

// Larger files are refused unread: a diary's calendar is far smaller.
constexpr uint64_t kLargestCalendarFile = 8 * 1024 * 1024;

// The file is read in parts of this size, each parsed before the next is read.
constexpr std::size_t kCalendarReadPart = 64 * 1024;

enum class FileRead { Ok, TooLarge, Unreadable };

enum class CalendarVerdict {
    Read,           // notes (or counted entries) came out of it
    NotACalendar,   // neither a calendar nor an address book
    NothingInIt,    // a calendar or address book without an event or birthday
};

struct CalendarImport {
    FileRead read = FileRead::Ok;  // anything else: the file was not read, and nothing came of it
    CalendarVerdict verdict = CalendarVerdict::NotACalendar;
    std::vector<Note> notes;
    uint32_t unreadable = 0;  // malformed entries and rules outside what Tolvek follows
    uint32_t passed = 0;      // events whose last occurrence lies before today
    uint32_t altered = 0;     // texts cut to a note's length or with characters replaced
};

// Reads the whole file named `name`, unless it is larger than kLargestCalendarFile or
// cannot be read. `defaults` gives the period and advance of notes whose entry does not say
// them. Dates of repeating events are resolved against `today`.
CalendarImport ImportCalendarFile(FileSystem& files, const std::string& name, const Today& today,
                                  const Note& defaults, const CodePage& codePage,
                                  std::size_t partSize = kCalendarReadPart);

// The same for a file's bytes already in memory.
CalendarImport ReadCalendarFile(std::string_view bytes, const Today& today, const Note& defaults,
                                const CodePage& codePage);

// Removes from `notes` those already in the diary with the same date and text, each stored
// note matching one imported note at most; gives how many went.
uint32_t DropNotesAlreadyStored(const NoteStore& store, std::vector<Note>& notes);

// The nearest advance that reminds no later than an alarm `secondsFromMidnight` from the
// start of the event's day (negative: before it) asks.
int32_t AdvanceForAlarm(int64_t secondsFromMidnight);
