// Conversions between the system's ANSI code page, UTF-8 and UTF-16, in one place.
#pragma once

#include <string>

#include "code_page.h"

// Note texts: the system's ANSI code page with its best fit, "?" where it has none.
const CodePage& AnsiCodePage();

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
