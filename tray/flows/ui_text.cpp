#include "ui_text.h"

#include <algorithm>
#include <cstring>

#include "code_page.h"
#include "data_file.h"

std::array<std::u16string, kUiTextCount> UiText;
std::u16string aboutText;

namespace {

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
