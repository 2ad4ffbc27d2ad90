// The about box, opened by the main window's Info button.
#pragma once

#include <windows.h>

// Shows the about text of the current language; gives 1.
int ShowAbout(HWND owner);
