#include "ui_text.h"

#include <algorithm>
#include <cstring>

#include "data_file.h"

std::array<std::u16string, kUiTextCount> UiText;
std::u16string aboutText;

namespace {

// Bytes 0x80 to 0xFF of Windows-1250; below 0x80 the code page is ASCII.
constexpr char16_t kWindows1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

TextResource tableResources[kLanguageCount] = {};
TextResource aboutResources[kLanguageCount] = {};

int SlotOf(int32_t index) {
    if (index == 1 || index == 2) {
        return index;
    }
    return 0;  // English for every value the data file may hold besides Czech and Slovak
}

}  // namespace

const std::u16string& Text(Txt entry) { return UiText[TxtIndex(entry)]; }

const std::u16string& Text(Txt first, int offset) {
    static const std::u16string kNone;
    const int64_t entry = static_cast<int64_t>(first) + offset;
    return entry >= 0 && entry < kUiTextCount ? UiText[static_cast<std::size_t>(entry)] : kNone;
}

std::u16string FromWindows1250(const char* bytes, std::size_t length) {
    std::u16string text;
    if (bytes == nullptr) {
        return text;  // a resource that was never registered
    }
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        text.push_back(byte < 0x80 ? static_cast<char16_t>(byte) : kWindows1250High[byte - 0x80]);
    }
    return text;
}

void LoadUiText(const char* text, std::size_t size) {
    // Built aside and swapped in, so the table never mixes two languages.
    std::array<std::u16string, kUiTextCount> entries;
    std::size_t cursor = 0;
    for (std::u16string& entry : entries) {
        if (text == nullptr || cursor >= size) {
            break;  // the remaining lines are missing and stay empty
        }
        const char* line = text + cursor;
        const std::size_t rest = size - cursor;
        const void* cr = std::memchr(line, '\r', rest);
        const std::size_t length =
            cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - line) : rest;
        std::size_t shown = std::min(length, kUiTextLineLimit);
        if (const void* nul = std::memchr(line, '\0', shown)) {
            shown = static_cast<std::size_t>(static_cast<const char*>(nul) - line);
        }
        entry = FromWindows1250(line, shown);
        cursor += length + 2;  // the CR and the byte after it, which is not looked at
    }
    UiText.swap(entries);
}

void SetTextResources(const TextResource tables[3], const TextResource abouts[3]) {
    for (int slot = 0; slot < kLanguageCount; ++slot) {
        tableResources[slot] = tables[slot];
        aboutResources[slot] = abouts[slot];
    }
}

void ApplyLanguage(int32_t index) {
    languageIndex = index;
    const int slot = SlotOf(index);
    LoadUiText(tableResources[slot].bytes, tableResources[slot].size);
    aboutText = FromWindows1250(aboutResources[slot].bytes, aboutResources[slot].size);
}

void ClearUiText() {
    for (std::u16string& entry : UiText) {
        std::u16string().swap(entry);  // gives the memory back, not only the length
    }
}
