#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "data_file.h"
#include "ui_text.h"

#ifndef TOLVEK_RESOURCE_DIR
#error "TOLVEK_RESOURCE_DIR must name tray/resources"
#endif

using namespace std::string_literals;

namespace {

constexpr std::size_t kAboutLines = 12;
constexpr std::size_t kTrailerLength = 89;

// The texts every table and about text must hold. Entry 1 and about lines 4, 6, 8 and 12
// carry our own credit, site, address and terms, so only their shape is fixed here.
struct LanguageTexts {
    const char* name;
    int32_t index;
    const char* tableFile;
    const char* aboutFile;
    const char16_t* entries[kUiTextCount];
    const char16_t* titleName;  // entry 1 starts with it, then the run of spaces
    std::size_t titleSpaces;
    const char16_t* aboutTitle;    // line 1; line 2 underlines it with '-'
    const char16_t* aboutHistory;  // line 10
};

const LanguageTexts kEnglish = {
    "English", 0, "text_en.txt", "about_en.txt",
    {
        u"The Tolvek Diary",  // 0
        nullptr,  // 1: product name, spaces and credit, checked on their own
        u"Date",  // 2
        u"Text",  // 3
        u"Reminder",  // 4
        u"Add to Diary",  // 5
        u"Add",  // 6
        u"Modify",  // 7
        u"Remove",  // 8
        u"Close",  // 9
        u"Accept",  // 10
        u"Cancel",  // 11
        u"Yes",  // 12
        u"No",  // 13
        u"Restore",  // 14
        u"Shut down",  // 15
        u"Every month",  // 16
        u"January",  // 17
        u"February",  // 18
        u"March",  // 19
        u"April",  // 20
        u"May",  // 21
        u"June",  // 22
        u"July",  // 23
        u"August",  // 24
        u"September",  // 25
        u"October",  // 26
        u"November",  // 27
        u"December",  // 28
        u"Every year",  // 29
        u"A month in advance",  // 30
        u"A week in advance",  // 31
        u"3 days in advance",  // 32
        u"A day in advance",  // 33
        u"That day",  // 34
        u"every monday",  // 35
        u"on startup",  // 36
        u"once an hour",  // 37
        u"            Really remove that note?",  // 38
        u"Tolvek:",  // 39
        u"The following note has become obsolete:",  // 40
        u"May I remove it from the diary?",  // 41
        u"Tolvek diary reminder:",  // 42
        u"Thanks",  // 43
        u"Sunday",  // 44
        u"Monday",  // 45
        u"Tuesday",  // 46
        u"Wednesday",  // 47
        u"Thursday",  // 48
        u"Friday",  // 49
        u"Saturday",  // 50
        u"Export to calendar...",  // 51
        u"Import from calendar...",  // 52
        u"iCalendar (*.ics)",  // 53
        u"Calendars and contacts (*.ics;*.vcf)",  // 54
        u"%n note was exported to %f.",  // 55
        u"%n notes were exported to %f.",  // 56
        u"%n notes were exported to %f.",  // 57
        u"Not exported, their dates are damaged: %n",  // 58
        u"The calendar could not be written to %f. Nothing was exported.",  // 59
        u"Import %n note from %f?",  // 60
        u"Import %n notes from %f?",  // 61
        u"Import %n notes from %f?",  // 62
        u"Already in the diary, skipped: %n",  // 63
        u"Already passed, not imported: %n",  // 64
        u"Could not be read, skipped: %n",  // 65
        u"Text shortened or letters replaced: %n",  // 66
        u"%f is neither a calendar nor an address book. Nothing was imported.",  // 67
        u"%f is larger than 8 MB. Nothing was imported.",  // 68
        u"%f could not be read. Nothing was imported.",  // 69
        u"%f holds no event and no birthday. Nothing was imported.",  // 70
    },
    u"The Tolvek Diary v1.1", 93,
    u"Tolvek Diary v1.1",
    u"See history.txt file in the program directory for a list of recent changes and new "
    u"features.",
};

const LanguageTexts kCzech = {
    "Czech", 1, "text_cs.txt", "about_cs.txt",
    {
        u"Kvorlík Tolvek",  // 0
        nullptr,  // 1: product name, spaces and credit, checked on their own
        u"Datum",  // 2
        u"Text",  // 3
        u"Buzerace",  // 4
        u"Přidat do Kvorlíku",  // 5
        u"Přidat",  // 6
        u"Změnit",  // 7
        u"Smazat",  // 8
        u"Zavřít",  // 9
        u"Uložit",  // 10
        u"Zrušit",  // 11
        u"Jo",  // 12
        u"Ne",  // 13
        u"Ukázat",  // 14
        u"Vypnout",  // 15
        u"Každý měsíc",  // 16
        u"Leden",  // 17
        u"Únor",  // 18
        u"Březen",  // 19
        u"Duben",  // 20
        u"Květen",  // 21
        u"Červen",  // 22
        u"Červenec",  // 23
        u"Srpen",  // 24
        u"Září",  // 25
        u"Říjen",  // 26
        u"Listopad",  // 27
        u"Prosinec",  // 28
        u"Každý rok",  // 29
        u"Měsíc dopředu",  // 30
        u"Týden dopředu",  // 31
        u"3 dni dopředu",  // 32
        u"Den dopředu",  // 33
        u"Ten den",  // 34
        u"každé pondělí",  // 35
        u"vždy při startu",  // 36
        u"každou celou hodinu",  // 37
        u"Opravdu chces ten záznam vymazat?",  // 38
        u"Kvorlík:",  // 39
        u"Následující záznam se již nikdy nezobrazí:",  // 40
        u"Mohu ho smazat ze seznamu?",  // 41
        u"Kvorlík hlásí:",  // 42
        u"Děkuji",  // 43
        u"Neděle",  // 44
        u"Pondělí",  // 45
        u"Úterí",  // 46
        u"Středa",  // 47
        u"Čtvrtek",  // 48
        u"Pátek",  // 49
        u"Sobota",  // 50
        u"Exportovat do kalendáře...",  // 51
        u"Importovat z kalendáře...",  // 52
        u"iCalendar (*.ics)",  // 53
        u"Kalendáře a kontakty (*.ics;*.vcf)",  // 54
        u"%n poznámka byla exportována do %f.",  // 55
        u"%n poznámky byly exportovány do %f.",  // 56
        u"%n poznámek bylo exportováno do %f.",  // 57
        u"Neexportováno, datum je poškozené: %n",  // 58
        u"Kalendář se nepodařilo zapsat do %f. Nic nebylo exportováno.",  // 59
        u"Importovat %n poznámku ze souboru %f?",  // 60
        u"Importovat %n poznámky ze souboru %f?",  // 61
        u"Importovat %n poznámek ze souboru %f?",  // 62
        u"Už jsou v Kvorlíku, přeskočeno: %n",  // 63
        u"Už proběhly, neimportováno: %n",  // 64
        u"Nelze přečíst, přeskočeno: %n",  // 65
        u"Text zkrácen nebo písmena nahrazena: %n",  // 66
        u"%f není kalendář ani adresář kontaktů. Nic nebylo importováno.",  // 67
        u"%f je větší než 8 MB. Nic nebylo importováno.",  // 68
        u"%f nelze přečíst. Nic nebylo importováno.",  // 69
        u"%f neobsahuje žádnou událost ani narozeniny. Nic nebylo importováno.",  // 70
    },
    u"Kvorlík Tolvek v1.1", 91,
    u"Kvorlík Tolvek v1.1",
    u"Soubor history.txt v instalačním adresáři obsahuje seznam změn a nových funkcí v "
    u"programu.",
};

const LanguageTexts kSlovak = {
    "Slovak", 2, "text_sk.txt", "about_sk.txt",
    {
        u"Kvorlík Tolvek",  // 0
        nullptr,  // 1: product name, spaces and credit, checked on their own
        u"Dátum",  // 2
        u"Text",  // 3
        u"Buzerácia",  // 4
        u"Pridať do Kvorlíku",  // 5
        u"Pridať",  // 6
        u"Zmeniť",  // 7
        u"Zmazať",  // 8
        u"Zatvoriť",  // 9
        u"Uložiť",  // 10
        u"Zrušiť",  // 11
        u"Áno",  // 12
        u"Nie",  // 13
        u"Ukázať",  // 14
        u"Vypnúť",  // 15
        u"Každý mesiac",  // 16
        u"Január",  // 17
        u"Február",  // 18
        u"Marec",  // 19
        u"Apríl",  // 20
        u"Máj",  // 21
        u"Jún",  // 22
        u"Júl",  // 23
        u"August",  // 24
        u"September",  // 25
        u"Október",  // 26
        u"November",  // 27
        u"December",  // 28
        u"Každý rok",  // 29
        u"Mesiac dopredu",  // 30
        u"Týždeň dopredu",  // 31
        u"3 dni dopredu",  // 32
        u"Deň dopredu",  // 33
        u"Ten deň",  // 34
        u"každý pondelok",  // 35
        u"vždy pri štarte",  // 36
        u"každú celú hodinu",  // 37
        u"Naozaj chceš ten záznam vymazať?",  // 38
        u"Kvorlík:",  // 39
        u"Nasledujúci záznam sa už nikdy nezobrazí:",  // 40
        u"     Môžem ho vymazať?",  // 41
        u"Kvorlík hlási:",  // 42
        u"Ďakujem",  // 43
        u"Nedeľa",  // 44
        u"Pondelok",  // 45
        u"Utorok",  // 46
        u"Streda",  // 47
        u"Štvrtok",  // 48
        u"Piatok",  // 49
        u"Sobota",  // 50
        u"Exportovať do kalendára...",  // 51
        u"Importovať z kalendára...",  // 52
        u"iCalendar (*.ics)",  // 53
        u"Kalendáre a kontakty (*.ics;*.vcf)",  // 54
        u"%n poznámka bola exportovaná do %f.",  // 55
        u"%n poznámky boli exportované do %f.",  // 56
        u"%n poznámok bolo exportovaných do %f.",  // 57
        u"Neexportované, dátum je poškodený: %n",  // 58
        u"Kalendár sa nepodarilo zapísať do %f. Nič nebolo exportované.",  // 59
        u"Importovať %n poznámku zo súboru %f?",  // 60
        u"Importovať %n poznámky zo súboru %f?",  // 61
        u"Importovať %n poznámok zo súboru %f?",  // 62
        u"Už sú v Kvorlíku, preskočené: %n",  // 63
        u"Už prebehli, neimportované: %n",  // 64
        u"Nedajú sa prečítať, preskočené: %n",  // 65
        u"Text skrátený alebo písmená nahradené: %n",  // 66
        u"%f nie je kalendár ani adresár kontaktov. Nič nebolo importované.",  // 67
        u"%f je väčší ako 8 MB. Nič nebolo importované.",  // 68
        u"%f sa nedá prečítať. Nič nebolo importované.",  // 69
        u"%f neobsahuje žiadnu udalosť ani narodeniny. Nič nebolo importované.",  // 70
    },
    u"Kvorlík Tolvek v1.1", 92,
    u"Kvorlík Tolvek v1.1",
    u"Súbor history.txt v inštalačnom adresári obsahuje zoznam zmien a nových funkcií v "
    u"programe.",
};

const LanguageTexts* const kLanguages[] = {&kEnglish, &kCzech, &kSlovak};

// A resource's bytes in a heap block of exactly their size, so that AddressSanitizer
// reports any read past the end.
struct ExactBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;

    explicit ExactBytes(const std::string& bytes)
        : data(new char[bytes.size()]), size(bytes.size()) {
        std::memcpy(data.get(), bytes.data(), bytes.size());
    }
    TextResource Resource() const { return TextResource{data.get(), size}; }
};

std::string ReadResourceFile(const char* name) {
    const std::string path = std::string(TOLVEK_RESOURCE_DIR) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The shipped files, read once and kept for the whole run because the registry keeps
// pointers into them.
struct ShippedResources {
    std::vector<std::string> tables;
    std::vector<std::string> abouts;
    std::vector<ExactBytes> tableBlocks;
    std::vector<ExactBytes> aboutBlocks;

    ShippedResources() {
        for (const LanguageTexts* language : kLanguages) {
            tables.push_back(ReadResourceFile(language->tableFile));
            abouts.push_back(ReadResourceFile(language->aboutFile));
            tableBlocks.emplace_back(tables.back());
            aboutBlocks.emplace_back(abouts.back());
        }
    }
};

const ShippedResources& Shipped() {
    static const ShippedResources resources;
    return resources;
}

// glibc's own Windows-1250 decoder, the reference our table is held against. False when
// it rejects the bytes.
bool IconvFromCp1250(const std::string& bytes, std::u16string& text) {
    iconv_t converter = iconv_open("UTF-16LE", "CP1250");
    EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1)) << "iconv lacks CP1250";
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string in = bytes;
    std::string out(bytes.size() * 4 + 4, '\0');
    char* inPtr = &in[0];
    std::size_t inLeft = in.size();
    char* outPtr = &out[0];
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) {
        return false;
    }
    text.clear();
    for (std::size_t i = 0; i + 1 < out.size() - outLeft; i += 2) {
        const auto low = static_cast<unsigned char>(out[i]);
        const auto high = static_cast<unsigned char>(out[i + 1]);
        text.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    return true;
}

std::u16string Decode(const std::string& bytes) {
    std::u16string text;
    EXPECT_TRUE(IconvFromCp1250(bytes, text)) << "not Windows-1250: " << bytes;
    return text;
}

std::vector<std::string> Split(const std::string& bytes, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = bytes.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(bytes.substr(start));
            return parts;
        }
        parts.push_back(bytes.substr(start, at - start));
        start = at + separator.size();
    }
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
        } else {
            out += "\\u" + std::to_string(static_cast<unsigned>(unit));
        }
    }
    return out;
}

// Entry 1: the product name, exactly `spaces` spaces, then a credit that is not empty.
void ExpectTitleEntry(const std::u16string& entry, const LanguageTexts& language) {
    const std::u16string name = language.titleName;
    ASSERT_GE(entry.size(), name.size() + language.titleSpaces + 1) << Narrow(entry);
    EXPECT_EQ(name, entry.substr(0, name.size()));
    EXPECT_EQ(std::u16string(language.titleSpaces, u' '),
              entry.substr(name.size(), language.titleSpaces));
    EXPECT_NE(u' ', entry[name.size() + language.titleSpaces])
        << "the run of spaces is longer than " << language.titleSpaces;
}

void ExpectEntries(const std::vector<std::u16string>& entries, const LanguageTexts& language) {
    ASSERT_EQ(static_cast<std::size_t>(kUiTextCount), entries.size());
    for (int n = 0; n < kUiTextCount; ++n) {
        SCOPED_TRACE(std::string(language.name) + " entry " + std::to_string(n));
        if (n == 1) {
            ExpectTitleEntry(entries[n], language);
        } else {
            EXPECT_EQ(std::u16string(language.entries[n]), entries[n]) << Narrow(entries[n]);
        }
    }
}

std::vector<std::u16string> CurrentEntries() {
    return std::vector<std::u16string>(UiText.begin(), UiText.end());
}

void ExpectAllEntriesEmpty() {
    for (int n = 0; n < kUiTextCount; ++n) {
        EXPECT_TRUE(UiText[n].empty()) << "entry " << n << ": " << Narrow(UiText[n]);
    }
}

// Lines "L0", "L1", ... each ended by CR LF.
std::string NumberedLines(int count) {
    std::string bytes;
    for (int n = 0; n < count; ++n) {
        bytes += "L" + std::to_string(n) + "\r\n";
    }
    return bytes;
}

}  // namespace

// The files as the resource compiler embeds them.

TEST(TextTableFiles, HoldFiftyOneCrLfLinesThenTheTrailerAndNothingElse) {
    for (std::size_t i = 0; i < std::size(kLanguages); ++i) {
        const std::string& bytes = Shipped().tables[i];
        SCOPED_TRACE(kLanguages[i]->tableFile);
        EXPECT_EQ(std::string::npos, bytes.find('\0'));
        const std::vector<std::string> parts = Split(bytes, "\r\n");
        ASSERT_EQ(static_cast<std::size_t>(kUiTextCount) + 1, parts.size());
        EXPECT_EQ(std::string(kTrailerLength, '#'), parts.back());
        for (std::size_t n = 0; n < static_cast<std::size_t>(kUiTextCount); ++n) {
            EXPECT_EQ(std::string::npos, parts[n].find_first_of("\r\n")) << "line " << n;
            EXPECT_LE(parts[n].size(), kUiTextLineLimit) << "line " << n;
        }
    }
}

TEST(AboutTextFiles, HoldTwelveCrLfSeparatedLinesWithAnUnderlinedTitle) {
    for (std::size_t i = 0; i < std::size(kLanguages); ++i) {
        const std::string& bytes = Shipped().abouts[i];
        SCOPED_TRACE(kLanguages[i]->aboutFile);
        EXPECT_EQ(std::string::npos, bytes.find('\0'));
        const std::vector<std::string> lines = Split(bytes, "\r\n");
        ASSERT_EQ(kAboutLines, lines.size());
        for (std::size_t n = 0; n < kAboutLines; ++n) {
            EXPECT_EQ(std::string::npos, lines[n].find_first_of("\r\n")) << "line " << n + 1;
        }
        EXPECT_FALSE(lines[0].empty());
        // One byte is one character in Windows-1250.
        EXPECT_EQ(std::string(lines[0].size(), '-'), lines[1]);
        EXPECT_FALSE(lines.back().empty()) << "the text ends in a line break";
    }
}

TEST(TextTableFiles, EveryEntryReadsAsItsLanguageText) {
    for (std::size_t i = 0; i < std::size(kLanguages); ++i) {
        std::vector<std::u16string> entries;
        const std::vector<std::string> parts = Split(Shipped().tables[i], "\r\n");
        ASSERT_GE(parts.size(), static_cast<std::size_t>(kUiTextCount));
        for (int n = 0; n < kUiTextCount; ++n) {
            entries.push_back(Decode(parts[n]));
        }
        ExpectEntries(entries, *kLanguages[i]);
    }
}

TEST(AboutTextFiles, FixedLinesReadAsGivenAndOurOwnLinesAreFilled) {
    for (std::size_t i = 0; i < std::size(kLanguages); ++i) {
        const LanguageTexts& language = *kLanguages[i];
        SCOPED_TRACE(language.aboutFile);
        const std::vector<std::string> lines = Split(Shipped().abouts[i], "\r\n");
        ASSERT_EQ(kAboutLines, lines.size());
        const std::u16string title = language.aboutTitle;
        EXPECT_EQ(title, Decode(lines[0]));
        EXPECT_EQ(std::u16string(title.size(), u'-'), Decode(lines[1]));
        EXPECT_EQ(std::u16string(language.aboutHistory), Decode(lines[9]));
        for (std::size_t line : {3, 5, 7, 9, 11}) {
            EXPECT_TRUE(lines[line - 1].empty()) << "line " << line;
        }
        // Credit, web site, e-mail request and terms: our own wording, never left out.
        for (std::size_t line : {4, 6, 8, 12}) {
            EXPECT_FALSE(Decode(lines[line - 1]).empty()) << "line " << line;
        }
        EXPECT_NE(std::string::npos, lines[7].find('@')) << "the e-mail request has no address";
    }
}

// The code page conversion, byte by byte against glibc.

TEST(FromWindows1250, MatchesIconvForEveryByteAndKeepsUndefinedBytesAsC1Controls) {
    const std::u16string undefinedBytes = {0x81, 0x83, 0x88, 0x90, 0x98};
    std::string all;
    for (int value = 0; value < 256; ++value) {
        all.push_back(static_cast<char>(value));
    }
    const std::u16string converted = FromWindows1250(all.data(), all.size());
    ASSERT_EQ(all.size(), converted.size());
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE("byte " + std::to_string(value));
        std::u16string reference;
        if (IconvFromCp1250(std::string(1, static_cast<char>(value)), reference)) {
            ASSERT_EQ(1u, reference.size());
            EXPECT_EQ(reference[0], converted[value]);
        } else {
            // Windows maps the holes of the code page to the C1 control of the same number.
            EXPECT_NE(std::u16string::npos, undefinedBytes.find(static_cast<char16_t>(value)))
                << "iconv rejects a byte the code page defines";
            EXPECT_EQ(static_cast<char16_t>(value), converted[value]);
        }
    }
}

TEST(FromWindows1250, ConvertsOnlyTheGivenLengthAndKeepsNulBytes) {
    const char bytes[] = {'a', '\0', '\x8A', 'z', 'q'};
    EXPECT_EQ(std::u16string(u"a\0Šz", 4), FromWindows1250(bytes, 4));
    EXPECT_EQ(std::u16string(), FromWindows1250(bytes, 0));
    EXPECT_EQ(std::u16string(), FromWindows1250(nullptr, 0));
}

// Applying a language and parsing tables.

class UiTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        TextResource tables[3];
        TextResource abouts[3];
        for (std::size_t i = 0; i < 3; ++i) {
            tables[i] = Shipped().tableBlocks[i].Resource();
            abouts[i] = Shipped().aboutBlocks[i].Resource();
        }
        SetTextResources(tables, abouts);
        ClearUiText();
        aboutText.clear();
        languageIndex = 0;
    }

    void TearDown() override {
        ClearUiText();
        aboutText.clear();
        languageIndex = 0;
    }

    static std::u16string AboutOf(const LanguageTexts& language) {
        return Decode(Shipped().abouts[static_cast<std::size_t>(language.index)]);
    }

    static void ExpectLanguageShown(const LanguageTexts& language) {
        ExpectEntries(CurrentEntries(), language);
        EXPECT_EQ(AboutOf(language), aboutText) << language.name << " about text";
    }
};

TEST_F(UiTextTest, CzechAndSlovakHaveTheirOwnIndexes) {
    ApplyLanguage(1);
    EXPECT_EQ(1, languageIndex);
    ExpectLanguageShown(kCzech);

    ApplyLanguage(2);
    EXPECT_EQ(2, languageIndex);
    ExpectLanguageShown(kSlovak);
}

TEST_F(UiTextTest, EveryOtherIndexShowsEnglishAndIsKeptAsItIs) {
    for (int32_t index : {0, 3, -1, 7, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE("index " + std::to_string(index));
        ApplyLanguage(1);  // a different language first, so the switch is visible
        ApplyLanguage(index);
        EXPECT_EQ(index, languageIndex);
        ExpectLanguageShown(kEnglish);
    }
}

TEST_F(UiTextTest, SwitchingManyTimesLeavesOnlyTheLastLanguage) {
    const int32_t order[] = {0, 1, 2, 1, 9, 2, 0, 2, -5, 1};
    for (int round = 0; round < 50; ++round) {
        for (int32_t index : order) {
            ApplyLanguage(index);
        }
    }
    ApplyLanguage(2);
    ExpectLanguageShown(kSlovak);
    ApplyLanguage(2);  // the current language again changes nothing
    ExpectLanguageShown(kSlovak);
}

TEST_F(UiTextTest, NamedEntriesAndRunsReachTheirLines) {
    ApplyLanguage(0);
    EXPECT_EQ(u"The Tolvek Diary", Text(Txt::TrayTip));
    EXPECT_EQ(u"            Really remove that note?", Text(Txt::RemoveQuestion));
    EXPECT_EQ(u"Tolvek:", Text(Txt::ReminderTitle));
    EXPECT_EQ(u"Thanks", Text(Txt::Thanks));
    EXPECT_EQ(u"Every month", Text(Txt::EveryMonth, 0));
    EXPECT_EQ(u"December", Text(Txt::EveryMonth, kMonthListCount - 1));
    EXPECT_EQ(u"Every year", Text(Txt::EveryYear));
    EXPECT_EQ(u"A month in advance", Text(Txt::AdvanceMonth, 0));
    EXPECT_EQ(u"That day", Text(Txt::AdvanceMonth, kAdvanceCount - 1));
    EXPECT_EQ(u"every monday", Text(Txt::PeriodMonday, 0));
    EXPECT_EQ(u"once an hour", Text(Txt::PeriodMonday, kPeriodCount - 1));
    EXPECT_EQ(u"Sunday", Text(Txt::Sunday, 0));
    EXPECT_EQ(u"Saturday", Text(Txt::Sunday, kWeekdayCount - 1));
    EXPECT_EQ(&UiText[50], &Text(Txt::Saturday));
    EXPECT_EQ(&UiText[kUiTextCount - 1], &Text(Txt::ImportNothing));
}

TEST_F(UiTextTest, OffsetsOutsideTheTableGiveAnEmptyText) {
    ApplyLanguage(2);
    EXPECT_EQ(u"Ďakujem", Text(Txt::Saturday, -7));
    for (int offset : {1, 2, INT32_MAX}) EXPECT_EQ(u"", Text(Txt::ImportNothing, offset)) << offset;
    for (int offset : {-1, INT32_MIN}) EXPECT_EQ(u"", Text(Txt::TrayTip, offset)) << offset;
}

TEST_F(UiTextTest, ClearingEmptiesEveryEntry) {
    ApplyLanguage(1);
    ASSERT_FALSE(UiText[0].empty());
    ClearUiText();
    ExpectAllEntriesEmpty();
}

TEST_F(UiTextTest, LanguageWithoutRegisteredResourcesLeavesEmptyTexts) {
    const TextResource none[3] = {};
    ApplyLanguage(1);
    SetTextResources(none, none);
    ApplyLanguage(0);
    ExpectAllEntriesEmpty();
    EXPECT_TRUE(aboutText.empty());
    EXPECT_EQ(0, languageIndex);
}

// Tables that are cut short or malformed: never a read past the end (checked by the
// sanitizer build), missing lines empty, nothing left from the previous language.

TEST_F(UiTextTest, TableOfTenLinesFillsTenEntriesAndEmptiesTheRest) {
    ApplyLanguage(1);
    const std::string& english = Shipped().tables[0];
    std::size_t end = 0;
    for (int n = 0; n < 10; ++n) {
        end = english.find("\r\n", end) + 2;
    }
    const ExactBytes cut(english.substr(0, end));
    LoadUiText(cut.data.get(), cut.size);
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE("entry " + std::to_string(n));
        if (n == 1) {
            ExpectTitleEntry(UiText[n], kEnglish);
        } else {
            EXPECT_EQ(std::u16string(kEnglish.entries[n]), UiText[n]);
        }
    }
    for (int n = 10; n < kUiTextCount; ++n) {
        EXPECT_TRUE(UiText[n].empty()) << "entry " << n << ": " << Narrow(UiText[n]);
    }
}

TEST_F(UiTextTest, LastLineWithoutCrEndsAtTheEndOfTheBytes) {
    const ExactBytes noFinalCr(std::string("Alpha\r\nBeta"));
    LoadUiText(noFinalCr.data.get(), noFinalCr.size);
    EXPECT_EQ(u"Alpha", UiText[0]);
    EXPECT_EQ(u"Beta", UiText[1]);
    for (int n = 2; n < kUiTextCount; ++n) {
        EXPECT_TRUE(UiText[n].empty()) << "entry " << n;
    }

    const ExactBytes crAtTheEnd(std::string("Alpha\r\nBeta\r"));
    LoadUiText(crAtTheEnd.data.get(), crAtTheEnd.size);
    EXPECT_EQ(u"Alpha", UiText[0]);
    EXPECT_EQ(u"Beta", UiText[1]);
    EXPECT_TRUE(UiText[2].empty());
}

TEST_F(UiTextTest, EmptyOrAbsentTableGivesEmptyEntries) {
    ApplyLanguage(2);
    const ExactBytes empty((std::string()));
    LoadUiText(empty.data.get(), empty.size);
    ExpectAllEntriesEmpty();

    ApplyLanguage(2);
    LoadUiText(nullptr, 100);
    ExpectAllEntriesEmpty();
}

TEST_F(UiTextTest, ByteAfterEachCrIsSkippedUnseen) {
    // Not only an LF: whatever follows the CR belongs to no line.
    const ExactBytes table(std::string("One\rXTwo\r\r\r\nThree\r\n"));
    LoadUiText(table.data.get(), table.size);
    EXPECT_EQ(u"One", UiText[0]);
    EXPECT_EQ(u"Two", UiText[1]);
    EXPECT_EQ(u"", UiText[2]);  // the CR at the cursor ends an empty line
    EXPECT_EQ(u"Three", UiText[3]);
}

TEST_F(UiTextTest, EmptyLinesAndSpacesAreKeptAsTheyStand) {
    const ExactBytes table(std::string("\r\n  two  \r\n\r\n x\r\n"));
    LoadUiText(table.data.get(), table.size);
    EXPECT_EQ(u"", UiText[0]);
    EXPECT_EQ(u"  two  ", UiText[1]);
    EXPECT_EQ(u"", UiText[2]);
    EXPECT_EQ(u" x", UiText[3]);
}

TEST_F(UiTextTest, ParseStopsAfterTheFiftyFirstLine) {
    // Exactly 51 lines and no trailer: the last LF is the last byte that may be touched.
    const ExactBytes exact(NumberedLines(kUiTextCount));
    LoadUiText(exact.data.get(), exact.size);
    EXPECT_EQ(u"L0", UiText[0]);
    EXPECT_EQ(u"L50", UiText[50]);

    const ExactBytes longer(NumberedLines(kUiTextCount + 19));
    LoadUiText(longer.data.get(), longer.size);
    EXPECT_EQ(u"L0", UiText[0]);
    EXPECT_EQ(u"L49", UiText[49]);
    EXPECT_EQ(u"L50", UiText[50]);
    EXPECT_EQ(u"L" + ToU16(std::to_string(kUiTextCount - 1)), UiText[kUiTextCount - 1]);
}

TEST_F(UiTextTest, OverlongLineIsCutAndTheNextLineStillFound) {
    const std::string longLine(300, 'a');
    const ExactBytes table(longLine + "\r\nNext\r\n" + std::string(255, 'b') + "\r\n");
    LoadUiText(table.data.get(), table.size);
    EXPECT_EQ(std::u16string(kUiTextLineLimit, u'a'), UiText[0]);
    EXPECT_EQ(u"Next", UiText[1]);
    EXPECT_EQ(std::u16string(255, u'b'), UiText[2]);
}

TEST_F(UiTextTest, NulInsideALineEndsThatEntryOnly) {
    const ExactBytes table("Ab\0cd\r\nEf\r\n\0\r\nGh"s);
    LoadUiText(table.data.get(), table.size);
    EXPECT_EQ(u"Ab", UiText[0]);
    EXPECT_EQ(u"Ef", UiText[1]);
    EXPECT_EQ(u"", UiText[2]);
    EXPECT_EQ(u"Gh", UiText[3]);
}

TEST_F(UiTextTest, AccentedBytesBecomeTheirLetters) {
    // Windows-1250 bytes of "Ďakujem", "Štvrtok" and "Nedeľa".
    const ExactBytes table(std::string("\xCF" "akujem\r\n\x8Atvrtok\r\nNede\xBE" "a\r\n"));
    LoadUiText(table.data.get(), table.size);
    EXPECT_EQ(u"Ďakujem", UiText[0]);
    EXPECT_EQ(u"Štvrtok", UiText[1]);
    EXPECT_EQ(u"Nedeľa", UiText[2]);
}
