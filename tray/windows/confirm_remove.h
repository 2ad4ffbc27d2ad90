// The remove confirmation, asked before a note leaves the diary.
#pragma once

#include <windows.h>

#include "note_store.h"

// Asks "Really remove that note?"; on Yes removes the note `id` if it is still stored.
// Gives 1 when a note was removed, 0 otherwise.
int ConfirmRemove(HWND owner, NoteId id);
