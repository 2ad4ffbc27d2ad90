// Text for the wide window functions: the UTF-16 user-interface texts as they are. Note
// texts, stored in the ANSI code page, go through text_conversions.h.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
