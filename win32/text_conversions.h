// Conversions between the system's ANSI code page, UTF-16 and UTF-8: the one place that
// asks the system for them, so every program converts alike. Whole strings, embedded NULs
// included; invalid input becomes U+FFFD on the way to UTF-16.
#pragma once

#include <string>

#include "code_page.h"

std::wstring WideFromAnsi(const std::string& ansi);
// Characters the code page lacks become their best fit or its default character.
std::string AnsiFromWide(const std::wstring& wide);
// The same; `altered` becomes true when any character did not arrive as it was.
std::string AnsiFromWide(const std::wstring& wide, bool& altered);

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);

// Note texts, behind the calendar's seam: the system's ANSI code page with its best fit,
// "?" where it has none.
const CodePage& AnsiCodePage();
