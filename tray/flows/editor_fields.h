// What the note editor shows and what it stores: the items of its five lists, the
// positions a note selects in them, and the note built back from the chosen positions.
#pragma once

#include <string>
#include <vector>

#include "note.h"

struct EditorLists {
    std::vector<std::u16string> days, months, years, advances, periods;
};

// Positions in the five lists; -1 means no item is selected.
struct EditorChoice {
    int year = -1, month = -1, day = -1, advance = -1, period = -1;
};

constexpr int kFirstListedYear = 2003;

// The last year offered: 2019, or ten years after `currentYear` when that is later, so
// that this year and the next ten can always be chosen.
int LastListedYear(int currentYear);

// The items in the current language; the year list is "Every year" and then the years.
EditorLists BuildEditorLists(int currentYear);

// The positions the note's fields select; a value without an item selects nothing.
EditorChoice ChoiceForNote(const Note& note, const EditorLists& lists);

// The note the editor stores. A list left without a selection keeps the note's own year,
// and stores the first item of any other list, so nothing the user could not see is stored.
Note NoteFromChoice(const EditorChoice& choice, const std::string& text, const Note& shown);
