// The start-up sweep of passed notes and the reminder passes, with their two windows.
#pragma once

#include <windows.h>

#include "note_store.h"

// Offers every passed note that the user has not kept for removal.
void ObsoleteSweep();
// Shows every due note, from the last to the first.
void ReminderPass();
// The hourly timer's callback: a reminder pass.
void CALLBACK HourlyTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// The reminder window for the stored note `id`; returns when it has ended.
void ShowReminder(NoteId id);
// Asks whether to remove the passed note: 1 Yes, 0 No, -1 when it could not be asked.
int AskRemoveObsolete(const Note& note);
