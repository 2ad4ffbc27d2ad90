#include "list_texts.h"

#include "ui_text.h"

namespace {

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

std::u16string DateText(const Note& note) {
    std::string text = std::to_string(note.day) + ". ";
    text += note.month == 0 ? "--" : std::to_string(note.month);
    text += ". ";
    text += note.year == 0 ? "----" : std::to_string(note.year);
    return Ascii(text);
}

std::u16string ReminderText(const Note& note) {
    std::u16string text;
    if (note.advance >= 0 && note.advance <= 4) text += UiText[static_cast<std::size_t>(30 + note.advance)];
    text += u' ';
    if (note.period >= 0 && note.period <= 2) text += UiText[static_cast<std::size_t>(35 + note.period)];
    return text;
}
