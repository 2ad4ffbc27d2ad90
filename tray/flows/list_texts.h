// The texts of a note's row in the main list: its date and its reminder settings.
#pragma once

#include <string>

#include "note.h"

// "24. 12. 2004", with "--" for every month and "----" for every year; any int32 fits.
std::u16string DateText(const Note& note);

// The advance text, a blank that is always there, and the period text, each from the
// current language; a value outside its range gives no text.
std::u16string ReminderText(const Note& note);
