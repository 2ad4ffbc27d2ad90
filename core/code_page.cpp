#include "code_page.h"

#include <cstdint>
#include <iterator>

// Windows gives the five bytes it leaves undefined as the control characters of their value.
const char16_t kWindows1250High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

namespace {

// The base letter of U+00C0 to U+017F, "?" where there is none.
constexpr char kLatinBaseLetters[] =
    "AAAAAA?CEEEEIIII?NOOOOO??UUUUY??aaaaaa?ceeeeiiii?nooooo??uuuuy?yAaAaAaCcCcCcCcDd??EeEeEeEeEeGgGgG"
    "gGgHh??IiIiIiIiI???JjKk?LlLlLl????NnNnNn???OoOoOo??RrRrRrSsSsSsSsTtTt??UuUuUuUuUuUuWwYyYZzZzZz?";

class Windows1250 : public CodePage {
public:
    std::string ToUtf8(const std::string& ansi) const override {
        std::string out;
        out.reserve(ansi.size() + ansi.size() / 4);
        for (const char byte : ansi) {
            const auto value = static_cast<unsigned char>(byte);
            if (value < 0x80) {
                out += byte;
            } else {
                AppendUtf8(out, kWindows1250High[value - 0x80]);
            }
        }
        return out;
    }

    std::string FromUtf8(const std::string& utf8, bool& altered) const override {
        std::string out;
        out.reserve(utf8.size());
        for (std::size_t at = 0; at < utf8.size();) {
            const char32_t character = NextUtf8(utf8, at);
            const char converted = Convert(character);
            // Every character beyond ASCII that comes out as ASCII was fitted or lost.
            if (character >= 0x80 && static_cast<unsigned char>(converted) < 0x80) altered = true;
            out += converted;
        }
        return out;
    }

private:
    static char Convert(char32_t character) {
        if (character < 0x80) return static_cast<char>(character);
        for (std::size_t i = 0; i < std::size(kWindows1250High); ++i)
            if (kWindows1250High[i] == character) return static_cast<char>(0x80 + i);
        if (character >= 0xC0 && character <= 0x17F) return kLatinBaseLetters[character - 0xC0];
        return '?';
    }
};

}  // namespace

const CodePage& Windows1250CodePage() {
    static const Windows1250 table;
    return table;
}

char32_t NextUtf8(const std::string& text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        ++at;
        return 0xFFFD;
    }
    if (text.size() - at < static_cast<std::size_t>(length)) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        value = value << 6 | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++at;
        return 0xFFFD;
    }
    at += static_cast<std::size_t>(length);
    return value;
}

void AppendUtf8(std::string& out, char32_t character) {
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | character >> 6);
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | character >> 12);
        out += static_cast<char>(0x80 | (character >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | character >> 18);
        out += static_cast<char>(0x80 | (character >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (character >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
}

namespace {

// UTF-16 units, `count` of them, read by `unitAt`, to UTF-8; unpaired surrogates become U+FFFD.
template <typename UnitAt>
std::string Utf8FromUnits(std::size_t count, UnitAt unitAt) {
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            const char32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
    return out;
}

}  // namespace

std::string Utf8FromUtf16(const char* bytes, std::size_t size, bool bigEndian) {
    return Utf8FromUnits(size / 2, [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (char32_t{first} << 8 | second) : (char32_t{second} << 8 | first);
    });
}

std::string Utf8FromUtf16(const std::u16string& text) {
    return Utf8FromUnits(text.size(), [&](std::size_t i) -> char32_t { return text[i]; });
}

std::size_t Utf8PrefixLength(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text.size();
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return end;
}
