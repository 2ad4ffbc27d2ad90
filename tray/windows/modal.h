// Every modal window of the program (dialogs and message boxes) opens through here, so
// that a shut-down chosen while any of them is open can end them first and destroy the
// diary only once no dialog, command or reminder pass can still be using it.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "message_box.h"

// Runs a dialog template modally; gives its result, or -1 when it could not be shown.
INT_PTR RunModalDialog(int templateId, HWND owner, DLGPROC procedure, LPARAM parameter);
// Called by each modal dialog procedure on WM_INITDIALOG, so a shut-down can end it; gives
// the dialog the program's icons.
void NoteDialogOpened(HWND dialog);
// The program's one way to show a message box, counted as a modal window: a shut-down
// chosen meanwhile waits for the answer.
int ShowTrayMessageBox(const MessageBoxText& box);
// Runs the system's Open or Save dialog; false when it was cancelled, failed, or a
// shut-down chosen meanwhile ended it as if cancelled.
bool RunFileDialog(OPENFILENAMEW& dialog, bool save);
// True while any modal window of the program is open.
bool ModalWindowOpen();

// True once the user chose "Shut down" while a modal window was open; flows that open
// windows or use the diary stop as soon as they see it.
bool ShutDownPending();
// Shuts down at once when no modal window is open; otherwise ends the open dialogs and
// shuts down when the last modal window has returned.
void RequestShutDown(HWND mainWindow);
// True the first time only: the shut-down itself runs once.
bool BeginShutDown();
// Forgets a pending or finished shut-down; for a program that runs again in the same process (tests).
void ResetModalState();
