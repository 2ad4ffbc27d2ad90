// Any bytes as a calendar or address book: the import must end without a crash, a leak or
// an endless loop, and every note it gives must be one the diary can hold and export. Read
// from a disk in parts of a size the input picks, it must give what it gives read whole.
#include <cstdlib>
#include <cstring>
#include <string>

#include "calendar_export.h"
#include "calendar_import.h"
#include "memory_file_system.h"

namespace {

bool SameImport(const CalendarImport& a, const CalendarImport& b) {
    return a.read == b.read && a.verdict == b.verdict && a.unreadable == b.unreadable && a.passed == b.passed &&
           a.altered == b.altered && a.notes.size() == b.notes.size() &&
           (a.notes.empty() || std::memcmp(a.notes.data(), b.notes.data(), a.notes.size() * sizeof(Note)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Today today{2004, 6, 15, 2};
    Note defaults;
    defaults.period = 1;
    defaults.advance = 2;
    const CalendarImport imported = ReadCalendarFile(bytes, today, defaults, Windows1250CodePage());
    if (imported.verdict != CalendarVerdict::Read && !imported.notes.empty()) std::abort();
    for (const Note& note : imported.notes) {
        if (!IsExportable(note)) std::abort();
        if (NoteText(note).size() >= kNoteTextSize) std::abort();
    }
    MemoryFileSystem disk;
    disk.Put("fuzz.ics", Bytes(data, data + size));
    const std::size_t part = size == 0 ? 1 : 1 + data[size - 1] % 64;
    const CalendarImport inParts = ImportCalendarFile(disk, "fuzz.ics", today, defaults, Windows1250CodePage(), part);
    if (!SameImport(imported, inParts)) std::abort();
    (void)ExportCalendar(imported.notes, today, UtcTime{2004, 6, 15, 0, 0, 0}, Windows1250CodePage());
    return 0;
}
