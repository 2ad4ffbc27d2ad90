// The per-user folder where Tolvek keeps the diary of a user whose diary cannot or may not
// live in the installation directory, and the account it belongs to.
#pragma once

#include <string>

// "<local application data>\Tolvek Diary"; empty when the known folder cannot be had.
std::wstring UserDataFolder();

// The same path in the ANSI code page, for the programs' ANSI message texts.
std::string UserDataFolderText();

// The account running this process, as its SID text; empty when it cannot be had.
std::string CurrentAccountSid();
