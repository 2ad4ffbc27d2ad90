// The texts of the reminder window and of the obsolete-note prompt.
#pragma once

#include <string>

#include "note.h"

// "\n<date> (<weekday of the next occurrence>)\n\n<text>", in the current language.
std::u16string ReminderWindowText(const Note& note, const std::u16string& noteText);

// "\n<date>\n\n<text>".
std::u16string ObsoletePromptText(const Note& note, const std::u16string& noteText);
