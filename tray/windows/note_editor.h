// The note editor, the one dialog that changes a note's date, reminder and text.
#pragma once

#include "note.h"
#include "note_store.h"

// Opens the note editor on `note`. On acceptance the edited note takes the place of the
// stored note `replacing` (or is added, for a new note or when that note is gone), in one
// save, and its advance and period become the defaults for new notes. On any other end
// nothing changes. Gives true when the editor was accepted.
bool EditNote(const Note& note, NoteId replacing);
