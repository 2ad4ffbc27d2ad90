#include "editor_fields.h"

#include "ui_text.h"

namespace {

std::u16string Number(int value, const char* suffix) { return ToU16(std::to_string(value) + suffix); }

// The position of `value` in a list whose first item stands for `first`; -1 outside it.
int PositionIn(int64_t value, int64_t first, std::size_t items) {
    const int64_t position = value - first;
    return position >= 0 && position < static_cast<int64_t>(items) ? static_cast<int>(position) : -1;
}

int PositionOrFirst(int position) { return position < 0 ? 0 : position; }

}  // namespace

int LastListedYear(int currentYear) { return currentYear + 10 > 2019 ? currentYear + 10 : 2019; }

EditorLists BuildEditorLists(int currentYear) {
    EditorLists lists;
    for (int day = 1; day <= 31; ++day) lists.days.push_back(Number(day, "."));
    for (int item = 0; item < kMonthListCount; ++item) lists.months.push_back(Text(Txt::EveryMonth, item));
    lists.years.push_back(Text(Txt::EveryYear));
    for (int year = kFirstListedYear; year <= LastListedYear(currentYear); ++year) lists.years.push_back(Number(year, ""));
    for (int advance = 0; advance < kAdvanceCount; ++advance) lists.advances.push_back(Text(Txt::AdvanceMonth, advance));
    for (int period = 0; period < kPeriodCount; ++period) lists.periods.push_back(Text(Txt::PeriodMonday, period));
    return lists;
}

EditorChoice ChoiceForNote(const Note& note, const EditorLists& lists) {
    EditorChoice choice;
    choice.year = note.year == 0 ? 0 : PositionIn(note.year, kFirstListedYear - 1, lists.years.size());
    if (choice.year == 0 && note.year != 0) choice.year = -1;
    choice.month = PositionIn(note.month, 0, lists.months.size());
    choice.day = PositionIn(note.day, 1, lists.days.size());
    choice.advance = PositionIn(note.advance, 0, lists.advances.size());
    choice.period = PositionIn(note.period, 0, lists.periods.size());
    return choice;
}

Note NoteFromChoice(const EditorChoice& choice, const std::string& text, const Note& shown) {
    Note note;
    if (choice.year < 0)
        note.year = shown.year;
    else
        note.year = choice.year == 0 ? 0 : choice.year + kFirstListedYear - 1;
    note.month = PositionOrFirst(choice.month);
    note.day = PositionOrFirst(choice.day) + 1;
    note.advance = PositionOrFirst(choice.advance);
    note.period = PositionOrFirst(choice.period);
    note.obsoleteDeclined = 0;
    SetNoteText(note, text);
    return note;
}
