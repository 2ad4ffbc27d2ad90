// DLLs from the system directory only: a DLL of the same name planted beside a program or
// in its current directory (a download folder, say) must never be loaded in its place.
#pragma once

#include <windows.h>

// Limits every later DLL search of this process to the system directory. Called first
// thing in each program's entry.
void RestrictDllSearchToSystem();

// Loads a DLL from the system directory, whatever the search order; nullptr when absent.
HMODULE LoadSystemLibrary(const char* name);
