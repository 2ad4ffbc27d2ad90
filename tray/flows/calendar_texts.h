// The texts of the calendar export and import boxes in the current language: a count in
// its plural form, the file's name, and the import question's lines that apply.
#pragma once

#include <cstdint>
#include <string>

#include "calendar_import.h"
#include "ui_text.h"

// The form of a count in Czech and Slovak (English uses the same text for Few and Many):
// 0 for 1, 1 for 2 to 4, 2 for 0 and 5 and more; the offset from Txt::ExportedOne and
// Txt::ImportOne.
int PluralForm(uint32_t count);

// `text` with %n replaced by `count` and %f by `file`.
std::u16string FillIn(const std::u16string& text, uint32_t count, const std::u16string& file);

// "N notes were exported to <file>.", and on a line of its own how many notes could not be.
std::u16string ExportedText(uint32_t exported, uint32_t skipped, const std::u16string& file);

// What the import found, beyond the notes themselves.
struct ImportCounts {
    uint32_t notes = 0;          // to be added
    uint32_t alreadyStored = 0;  // same date and text as a stored note: skipped
    uint32_t passed = 0;
    uint32_t unreadable = 0;
    uint32_t altered = 0;        // shortened or with letters replaced
};

// "Import N notes from <file>?" and a line for each count that is not 0.
std::u16string ImportQuestionText(const ImportCounts& counts, const std::u16string& file);

// Why a file gives nothing to import, as one sentence naming it; empty when it does.
std::u16string ImportRefusalText(FileRead read, CalendarVerdict verdict, const std::u16string& file);
