// The start-up sweep of passed notes and the reminder passes.
#pragma once

#include <windows.h>

void ObsoleteSweep();
void ReminderPass();
// The hourly timer's callback.
void CALLBACK HourlyTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
