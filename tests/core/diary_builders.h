// Builds data-file bytes by hand, independently of the code under test.
#pragma once

#include <cstdint>
#include <vector>

#include "memory_file_system.h"
#include "note.h"

namespace test_support {

inline void AppendInt32(Bytes& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

inline Bytes DiaryFile(const std::vector<Note>& notes, int32_t language, uint32_t tag,
                       uint32_t trailingTag) {
    Bytes bytes;
    AppendInt32(bytes, tag);
    AppendInt32(bytes, static_cast<uint32_t>(notes.size()));
    for (const Note& note : notes) {
        AppendInt32(bytes, static_cast<uint32_t>(note.year));
        AppendInt32(bytes, static_cast<uint32_t>(note.month));
        AppendInt32(bytes, static_cast<uint32_t>(note.day));
        AppendInt32(bytes, static_cast<uint32_t>(note.period));
        AppendInt32(bytes, static_cast<uint32_t>(note.advance));
        AppendInt32(bytes, static_cast<uint32_t>(note.obsoleteDeclined));
        bytes.insert(bytes.end(), note.text, note.text + sizeof note.text);
    }
    AppendInt32(bytes, static_cast<uint32_t>(language));
    AppendInt32(bytes, trailingTag);
    return bytes;
}

inline Bytes DiaryFile(const std::vector<Note>& notes, int32_t language = 0, uint32_t tag = 1234) {
    return DiaryFile(notes, language, tag, tag);
}

// The file's bytes with both tags blanked, for comparing content across saves.
inline Bytes WithoutTags(Bytes bytes) {
    if (bytes.size() >= 16) {
        for (int i = 0; i < 4; ++i) {
            bytes[static_cast<std::size_t>(i)] = 0;
            bytes[bytes.size() - 4 + static_cast<std::size_t>(i)] = 0;
        }
    }
    return bytes;
}

}  // namespace test_support
