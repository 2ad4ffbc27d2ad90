#include <gtest/gtest.h>

#include <cstring>

#include "note.h"

TEST(NoteRecord, EncodesFieldsLittleEndianInFileOrder) {
    Note note;
    note.year = 0x01020304;
    note.month = -2;
    note.day = 31;
    note.period = 2;
    note.advance = 4;
    note.obsoleteDeclined = 1;
    SetNoteText(note, "Ab");
    unsigned char record[kNoteRecordSize];
    EncodeNote(note, record);
    const unsigned char expectedHead[24] = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 31, 0, 0, 0,
                                            2, 0, 0, 0, 4,    0,    0,    0,    1,  0, 0, 0};
    EXPECT_EQ(0, std::memcmp(record, expectedHead, sizeof expectedHead));
    EXPECT_EQ('A', record[24]);
    EXPECT_EQ('b', record[25]);
    EXPECT_EQ(0, record[26]);
    const Note back = DecodeNote(record);
    EXPECT_EQ(0, std::memcmp(&back, &note, sizeof note));
}

TEST(NoteRecord, TextWithoutTerminatorIsKeptWholeAndReadOnlyToItsEnd) {
    unsigned char record[kNoteRecordSize];
    std::memset(record, 'x', sizeof record);
    const Note note = DecodeNote(record);
    EXPECT_EQ(std::string(kNoteTextSize, 'x'), NoteText(note));
    unsigned char again[kNoteRecordSize];
    EncodeNote(note, again);
    EXPECT_EQ(0, std::memcmp(record, again, sizeof record));
}

TEST(NoteRecord, SetTextKeepsAtMost99CharactersAndTerminates) {
    Note note;
    std::memset(note.text, 'q', sizeof note.text);
    SetNoteText(note, std::string(150, 'z'));
    EXPECT_EQ(std::string(99, 'z'), NoteText(note));
    EXPECT_EQ('\0', note.text[99]);
    SetNoteText(note, "short");
    EXPECT_EQ("short", NoteText(note));
    EXPECT_EQ('\0', note.text[98]);  // no leftover of the longer text
}
