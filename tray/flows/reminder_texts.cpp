#include "reminder_texts.h"

#include "date_rules.h"
#include "list_texts.h"
#include "ui_text.h"

std::u16string ReminderWindowText(const Note& note, const std::u16string& noteText) {
    const int weekday = WeekdayOf(note.day, note.month, note.year);
    return u"\n" + DateText(note) + u" (" + Text(Txt::Sunday, weekday) + u")\n\n" + noteText;
}

std::u16string ObsoletePromptText(const Note& note, const std::u16string& noteText) {
    return u"\n" + DateText(note) + u"\n\n" + noteText;
}
