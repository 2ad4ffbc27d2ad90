// The diary as an iCalendar file (RFC 5545) that phones, Outlook, Google Calendar,
// Thunderbird and Apple Calendar read, and that Tolvek's own import takes back exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_page.h"
#include "date_rules.h"
#include "note.h"

// A moment in UTC, for DTSTAMP.
struct UtcTime {
    int32_t year, month, day, hour, minute, second;
};

// The day a calendar shows for a stored day the month may lack: the month's last day
// (31 April on 30 April, 29 February on 28 February outside leap years). Tolvek itself
// keeps such a date as stored; a calendar has no such day.
int64_t CalendarDay(int64_t year, int64_t month, int64_t day);

// Whether the note's fields can be written as a calendar date at all: year 0 or 1 to
// 9999, month 0 to 12, day 1 to 31. Other values come only from a damaged data file.
bool IsExportable(const Note& note);

struct CalendarExport {
    std::string text;        // the whole file
    uint32_t exported = 0;   // notes written
    uint32_t skipped = 0;    // notes whose fields no calendar can hold
};

// The file for `notes`: one event per note (two for a day 29 or 30 of every month, the
// second marked), dated from `today`, stamped with `stamp`. Note texts are in `codePage`.
CalendarExport ExportCalendar(const std::vector<Note>& notes, const Today& today, const UtcTime& stamp,
                              const CodePage& codePage);

// A TEXT value with backslash, semicolon, comma and line breaks escaped.
std::string EscapeCalendarText(const std::string& utf8);
// One content line, folded at 75 octets without splitting a character, each part ended by CR LF.
std::string FoldContentLine(const std::string& line);
void AppendFoldedLine(std::string& out, const std::string& line);
