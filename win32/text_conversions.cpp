#include "text_conversions.h"

#include <windows.h>

namespace {

std::wstring WideFrom(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string NarrowTo(UINT codePage, const std::wstring& wide, BOOL* usedDefault) {
    if (wide.empty()) return std::string();
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr,
                        usedDefault);
    return text;
}

class SystemAnsiCodePage : public CodePage {
public:
    std::string ToUtf8(const std::string& ansi) const override { return Utf8FromWide(WideFromAnsi(ansi)); }

    std::string FromUtf8(const std::string& utf8, bool& altered) const override {
        return AnsiFromWide(WideFromUtf8(utf8), altered);
    }
};

}  // namespace

std::wstring WideFromAnsi(const std::string& ansi) { return WideFrom(CP_ACP, ansi); }

std::string AnsiFromWide(const std::wstring& wide) { return NarrowTo(CP_ACP, wide, nullptr); }

std::string AnsiFromWide(const std::wstring& wide, bool& altered) {
    BOOL usedDefault = FALSE;
    std::string ansi = NarrowTo(CP_ACP, wide, &usedDefault);
    // A best fit changes the text without using the default character: it shows on the way back.
    if (usedDefault || WideFromAnsi(ansi) != wide) altered = true;
    return ansi;
}

std::wstring WideFromUtf8(const std::string& utf8) { return WideFrom(CP_UTF8, utf8); }

std::string Utf8FromWide(const std::wstring& wide) { return NarrowTo(CP_UTF8, wide, nullptr); }

const CodePage& AnsiCodePage() {
    static const SystemAnsiCodePage codePage;
    return codePage;
}
