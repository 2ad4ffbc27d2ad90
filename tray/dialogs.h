// The modal dialogs that change or show notes. Each is one function that runs it; data
// goes in as arguments and comes back only on acceptance.
#pragma once

#include <windows.h>

#include "note.h"
#include "note_store.h"

// Asks "Really remove that note?"; on Yes removes the note `id` if it is still stored.
// Gives 1 when a note was removed, 0 otherwise.
int ConfirmRemove(HWND owner, NoteId id);

// Shows the about text of the current language; gives 1.
int ShowAbout(HWND owner);

// Opens the note editor on `note`. On acceptance the edited note takes the place of the
// stored note `replacing` (or is added, for a new note or when that note is gone), in one
// save, and its advance and period become the defaults for new notes. On any other end
// nothing changes. Gives true when the editor was accepted.
bool EditNote(const Note& note, NoteId replacing);
