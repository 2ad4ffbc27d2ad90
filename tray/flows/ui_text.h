// The user-interface texts of the current language: the 51 entries of a text table and
// the about text, converted from the Windows-1250 resources to UTF-16 so that the wide
// window functions show the accents whatever the system's ANSI code page is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui_text_entries.h"

// Longest table line taken, in bytes; a longer line is cut here so that a reader may
// copy any entry into a buffer of 256 characters.
constexpr std::size_t kUiTextLineLimit = 255;

// Entry N is line N of the current language's table; all empty until a language is
// applied. An entry stays valid until the next LoadUiText, ApplyLanguage or ClearUiText.
extern std::array<std::u16string, kUiTextCount> UiText;

// The entry's place in UiText.
constexpr std::size_t TxtIndex(Txt entry) { return static_cast<std::size_t>(entry); }

// The current language's text of `entry`.
const std::u16string& Text(Txt entry);

// The entry `offset` places after `first`, for the runs indexed by a stored value (the
// kAdvanceCount advances from Txt::AdvanceMonth and so on); an empty text when that
// lies outside the table.
const std::u16string& Text(Txt first, int offset);

// The whole about text of the current language, lines separated by CR LF.
extern std::u16string aboutText;

// The bytes of one locked text resource; they must outlive every ApplyLanguage.
struct TextResource {
    const char* bytes;
    std::size_t size;
};

// The characters one by one as UTF-16 units: for the ASCII of numbers and dates, and for
// Windows wide text, which is UTF-16 already.
template <typename Chars>
std::u16string ToU16(const Chars& text) {
    return std::u16string(text.begin(), text.end());
}

// Windows-1250 bytes to UTF-16, one unit per byte. The five bytes the code page leaves
// undefined (0x81, 0x83, 0x88, 0x90, 0x98) become U+0081 and so on, as Windows maps them.
std::u16string FromWindows1250(const char* bytes, std::size_t length);

// Fills entries 0 to 50 from the table's lines: each line runs up to the next CR, and the
// CR and the byte after it (the LF) are skipped. Nothing after the 51st line is read, and
// nothing at or past text + size ever is. A malformed table still gives 51 entries:
// lines missing at the end are empty, the last line may end at the end of the bytes
// instead of a CR, a NUL ends an entry's text early (the window would stop there too)
// and a line over kUiTextLineLimit bytes is cut to that length.
void LoadUiText(const char* text, std::size_t size);

// Registers the six resources, index 0 English, 1 Czech, 2 Slovak. Start-up calls it
// once with the locked resources, before the first ApplyLanguage.
void SetTextResources(const TextResource tables[3], const TextResource abouts[3]);

// Sets languageIndex to `index` and loads its table and about text: Czech for 1, Slovak
// for 2, English for every other value, which stays in languageIndex as it is.
void ApplyLanguage(int32_t index);

// Empties all 51 entries, the state before the first language is applied.
void ClearUiText();
