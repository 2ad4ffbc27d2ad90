#include "note.h"

#include <algorithm>
#include <cstring>

void PutInt32(unsigned char* bytes, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    bytes[0] = static_cast<unsigned char>(bits);
    bytes[1] = static_cast<unsigned char>(bits >> 8);
    bytes[2] = static_cast<unsigned char>(bits >> 16);
    bytes[3] = static_cast<unsigned char>(bits >> 24);
}

int32_t GetInt32(const unsigned char* bytes) {
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                          static_cast<uint32_t>(bytes[2]) << 16 |
                          static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(bits);
}

void EncodeNote(const Note& note, unsigned char* record) {
    PutInt32(record + 0, note.year);
    PutInt32(record + 4, note.month);
    PutInt32(record + 8, note.day);
    PutInt32(record + 12, note.period);
    PutInt32(record + 16, note.advance);
    PutInt32(record + 20, note.obsoleteDeclined);
    std::memcpy(record + 24, note.text, kNoteTextSize);
}

Note DecodeNote(const unsigned char* record) {
    Note note;
    note.year = GetInt32(record + 0);
    note.month = GetInt32(record + 4);
    note.day = GetInt32(record + 8);
    note.period = GetInt32(record + 12);
    note.advance = GetInt32(record + 16);
    note.obsoleteDeclined = GetInt32(record + 20);
    std::memcpy(note.text, record + 24, kNoteTextSize);
    return note;
}

std::string NoteText(const Note& note) { return std::string(NoteTextView(note)); }

std::string_view NoteTextView(const Note& note) {
    const void* end = std::memchr(note.text, '\0', kNoteTextSize);
    return std::string_view(
        note.text, end ? static_cast<std::size_t>(static_cast<const char*>(end) - note.text) : kNoteTextSize);
}

void SetNoteText(Note& note, std::string_view text) {
    const std::size_t length = std::min(text.size(), kNoteTextSize - 1);
    // An empty view may point nowhere.
    if (length > 0) std::memcpy(note.text, text.data(), length);
    std::memset(note.text + length, 0, kNoteTextSize - length);
}
