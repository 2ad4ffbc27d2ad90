// The per-user folder where Tolvek keeps the diary of a user who may not write the
// installation directory (a standard user with the program under "C:\Program Files").
#pragma once

#include <string>

// "<local application data>\Tolvek Diary"; empty when the known folder cannot be had.
std::wstring UserDataFolder();

// The same path in the ANSI code page, for the programs' ANSI message texts.
std::string UserDataFolderText();
