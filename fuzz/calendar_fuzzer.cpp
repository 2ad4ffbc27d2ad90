// Any bytes as a calendar or address book: the import must end without a crash, a leak or
// an endless loop, and every note it gives must be one the diary can hold and export.
#include <cstdlib>
#include <string>

#include "calendar_export.h"
#include "calendar_import.h"

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
    (void)ExportCalendar(imported.notes, today, UtcTime{2004, 6, 15, 0, 0, 0}, Windows1250CodePage());
    return 0;
}
