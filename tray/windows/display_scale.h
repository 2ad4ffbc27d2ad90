// The display scale, for what the program sizes in pixels itself: the list's columns and
// the icons. Dialogs made from templates scale with their font on their own.
#pragma once

#include <windows.h>

// The dots per inch of the monitor a window is on; the system's on Windows before 10,
// which have no per-window scale.
UINT WindowDpi(HWND window);
// A size given in pixels at 96 dots per inch, at `dpi`.
int ScaledToDpi(int pixelsAt96, UINT dpi);
// A size given in pixels at 96 dots per inch, grown as much as the text in the control's
// font grows at `dpi`. A font that comes in a few sizes only (such as the bitmap "MS Sans
// Serif") grows by another share than the scale: a column sized by the scale alone would
// cut its texts off or run past its list.
int ScaledWithFont(HWND control, int pixelsAt96, UINT dpi);
// The sides of the small (title bar, tray) and large (task switcher) icons at `dpi`.
int SmallIconSide(UINT dpi);
int LargeIconSide(UINT dpi);
// An icon group's picture at `side` pixels, loaded once and kept for the program's life.
HICON IconAtSide(int groupId, int side);
// Shows the program icon in each icon static of a dialog at the large-icon size of its
// scale, or at the largest stored size that still leaves it inside the dialog: a dialog
// whose font grows by less than the scale would otherwise cut the icons off.
void FitDialogIcons(HWND dialog);
// Gives a window the program's small and large icons at the scale `dpi`, for its title
// bar and the task switcher.
void SetProgramIcons(HWND window, UINT dpi);
// True when the system re-lays a dialog itself on a change of scale (per-monitor
// awareness version 2); a window must otherwise take the suggested rectangle itself.
bool SystemRescalesDialogs(HWND window);
