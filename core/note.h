// The note record: the same 124 bytes in memory and in the data file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kNoteTextSize = 100;
constexpr std::size_t kNoteRecordSize = 124;

struct Note {
    int32_t year = 0;              // 0 = every year
    int32_t month = 0;             // 0 = every month, else 1 to 12
    int32_t day = 1;               // 1 to 31, never checked against the month
    int32_t period = 0;            // 0 every Monday, 1 every start, 2 every hour
    int32_t advance = 0;           // 0 month, 1 week, 2 three days, 3 one day, 4 that day
    int32_t obsoleteDeclined = 0;  // 1 once the user chose to keep a passed note
    char text[kNoteTextSize] = {}; // NUL-terminated when written by us; may lack it in a damaged file
};

static_assert(sizeof(Note) == kNoteRecordSize, "a note is 124 bytes");
static_assert(offsetof(Note, year) == 0 && offsetof(Note, month) == 4 &&
                  offsetof(Note, day) == 8 && offsetof(Note, period) == 12 &&
                  offsetof(Note, advance) == 16 && offsetof(Note, obsoleteDeclined) == 20 &&
                  offsetof(Note, text) == 24,
              "note fields in file order without gaps");

// Explicit little-endian encoding, so the file never depends on the compiler's layout.
void EncodeNote(const Note& note, unsigned char* record);
Note DecodeNote(const unsigned char* record);

void PutInt32(unsigned char* bytes, int32_t value);
int32_t GetInt32(const unsigned char* bytes);

// The text up to its NUL, or all 100 bytes when a damaged record has none.
std::string NoteText(const Note& note);
// The same, as a view of the note's own bytes.
std::string_view NoteTextView(const Note& note);
// Copies at most 99 bytes and always terminates.
void SetNoteText(Note& note, std::string_view text);
