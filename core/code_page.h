// Note texts are stored in the system's ANSI code page; calendar files are UTF-8. The one
// conversion between them sits behind this seam: the Win32 layer asks the system, the
// host tests use a fixed Windows-1250 table. UTF-8 and UTF-16 helpers live here too.
#pragma once

#include <cstddef>
#include <string>

class CodePage {
public:
    virtual ~CodePage() = default;
    // Stored note text to UTF-8.
    virtual std::string ToUtf8(const std::string& ansi) const = 0;
    // UTF-8 to the code page: the best fit where there is one, "?" where there is none;
    // `altered` becomes true when any character did not arrive as it was.
    virtual std::string FromUtf8(const std::string& utf8, bool& altered) const = 0;
};

// Bytes 0x80 to 0xFF of Windows-1250, in which the Czech and Slovak texts are stored; below
// 0x80 it is ASCII.
extern const char16_t kWindows1250High[128];

// Windows-1250 (Czech and Slovak) by a fixed table, with accented Latin letters it lacks
// fitted to their base letter, as Windows does.
const CodePage& Windows1250CodePage();

// Decodes one character of UTF-8 at `at`, moving `at` past it. A malformed sequence gives
// U+FFFD and moves one byte on.
char32_t NextUtf8(const std::string& text, std::size_t& at);
void AppendUtf8(std::string& out, char32_t character);
// UTF-16 bytes (little- or big-endian) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(const char* bytes, std::size_t size, bool bigEndian);
std::string Utf8FromUtf16(const std::u16string& text);
// The longest start of `text` that ends on a character boundary and holds at most `bytes` bytes.
std::size_t Utf8PrefixLength(const std::string& text, std::size_t bytes);
