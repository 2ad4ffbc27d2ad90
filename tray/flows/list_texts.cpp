#include "list_texts.h"

#include "ui_text.h"

std::u16string DateText(const Note& note) {
    std::string text = std::to_string(note.day) + ". ";
    text += note.month == 0 ? "--" : std::to_string(note.month);
    text += ". ";
    text += note.year == 0 ? "----" : std::to_string(note.year);
    return ToU16(text);
}

std::u16string ReminderText(const Note& note) {
    std::u16string text;
    if (note.advance >= 0 && note.advance < kAdvanceCount) text += Text(Txt::AdvanceMonth, note.advance);
    text += u' ';
    if (note.period >= 0 && note.period < kPeriodCount) text += Text(Txt::PeriodMonday, note.period);
    return text;
}
