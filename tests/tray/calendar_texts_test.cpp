// The export's and import's boxes as each language shows them, from the shipped tables.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "calendar_texts.h"
#include "messages.h"
#include "ui_text.h"

namespace {

const char* const kTables[] = {"text_en.txt", "text_cs.txt", "text_sk.txt"};

class CalendarTextsTest : public ::testing::Test {
protected:
    void Use(int language) {
        std::ifstream file(std::string(TOLVEK_RESOURCE_DIR) + "/" + kTables[language], std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        table_ = bytes.str();
        LoadUiText(table_.data(), table_.size());
    }
    void TearDown() override { ClearUiText(); }
    std::string table_;
};

TEST_F(CalendarTextsTest, CountsTakeTheirPluralForm) {
    // count, English, Czech, Slovak
    struct Case {
        uint32_t count;
        const char16_t* texts[3];
    };
    const Case cases[] = {
        {1, {u"1 note was exported to D.ics.", u"1 poznámka byla exportována do D.ics.", u"1 poznámka bola exportovaná do D.ics."}},
        {2, {u"2 notes were exported to D.ics.", u"2 poznámky byly exportovány do D.ics.", u"2 poznámky boli exportované do D.ics."}},
        {4, {u"4 notes were exported to D.ics.", u"4 poznámky byly exportovány do D.ics.", u"4 poznámky boli exportované do D.ics."}},
        {5, {u"5 notes were exported to D.ics.", u"5 poznámek bylo exportováno do D.ics.", u"5 poznámok bolo exportovaných do D.ics."}},
        {0, {u"0 notes were exported to D.ics.", u"0 poznámek bylo exportováno do D.ics.", u"0 poznámok bolo exportovaných do D.ics."}},
        {22, {u"22 notes were exported to D.ics.", u"22 poznámek bylo exportováno do D.ics.", u"22 poznámok bolo exportovaných do D.ics."}},
    };
    for (int language = 0; language < 3; ++language) {
        Use(language);
        for (const Case& c : cases) EXPECT_EQ(std::u16string(c.texts[language]), ExportedText(c.count, 0, u"D.ics")) << c.count;
    }
    Use(1);
    EXPECT_EQ(u"Importovat 3 poznámky ze souboru C:\\Dokumenty\\Kvorlík.ics?",
              ImportQuestionText({3, 0, 0, 0, 0}, u"C:\\Dokumenty\\Kvorlík.ics"));
    Use(2);
    EXPECT_EQ(u"Importovať 1 poznámku zo súboru x.vcf?", ImportQuestionText({1, 0, 0, 0, 0}, u"x.vcf"));
}

TEST_F(CalendarTextsTest, QuestionListsOnlyTheCountsThatApply) {
    Use(0);
    EXPECT_EQ(u"Import 12 notes from a.ics?\n\nAlready in the diary, skipped: 3\nCould not be read, skipped: 1",
              ImportQuestionText({12, 3, 0, 1, 0}, u"a.ics"));
    EXPECT_EQ(u"Import 1 note from a.ics?\n\nAlready passed, not imported: 2\nText shortened or letters replaced: 7",
              ImportQuestionText({1, 0, 2, 0, 7}, u"a.ics"));
    EXPECT_EQ(u"5 notes were exported to b.ics.\n\nNot exported, their dates are damaged: 2", ExportedText(5, 2, u"b.ics"));
}

TEST_F(CalendarTextsTest, RefusalsNameTheFileAndTheReason) {
    Use(0);
    EXPECT_EQ(u"big.ics is larger than 8 MB. Nothing was imported.",
              ImportRefusalText(FileRead::TooLarge, CalendarVerdict::Read, u"big.ics"));
    EXPECT_EQ(u"gone.ics could not be read. Nothing was imported.",
              ImportRefusalText(FileRead::Unreadable, CalendarVerdict::Read, u"gone.ics"));
    EXPECT_EQ(u"x.txt is neither a calendar nor an address book. Nothing was imported.",
              ImportRefusalText(FileRead::Ok, CalendarVerdict::NotACalendar, u"x.txt"));
    Use(1);
    EXPECT_EQ(u"e.ics neobsahuje žádnou událost ani narozeniny. Nic nebylo importováno.",
              ImportRefusalText(FileRead::Ok, CalendarVerdict::NothingInIt, u"e.ics"));
    EXPECT_EQ(u"", ImportRefusalText(FileRead::Ok, CalendarVerdict::Read, u"e.ics"));
    // A file name with a per cent sign stays as it is.
    EXPECT_EQ(u"1 poznámka byla exportována do 100%n.ics.", ExportedText(1, 0, u"100%n.ics"));
}

// The box as the tray program shows it: the text and title of the current language in
// UTF-8, a file name beyond the code page (Greek, a character outside 16 bits) kept whole,
// a lone surrogate replaced, and brought to the front after the file dialog.
TEST_F(CalendarTextsTest, BoxHoldsTheLanguagesTextAndTitleInUtf8AndComesToTheFront) {
    Use(1);
    const MessageBoxText box = CurrentLanguageBox(ExportedText(1, 0, u"C:\\Άννα\\𝄞.ics"), kBoxOk | kIconInformation);
    EXPECT_EQ(u8"1 poznámka byla exportována do C:\\Άννα\\𝄞.ics.", box.text);
    EXPECT_EQ(u8"Kvorlík Tolvek", box.title);
    EXPECT_EQ(0x10040u, box.style) << "MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND";
    Use(0);
    const std::u16string loneSurrogate = {u'a', 0xD800, u'b'};
    EXPECT_EQ("1 note was exported to a\xEF\xBF\xBD" "b.",
              CurrentLanguageBox(ExportedText(1, 0, loneSurrogate), kBoxOk).text);
    EXPECT_EQ("The Tolvek Diary", CurrentLanguageBox(u"", kBoxOk).title);
}

}  // namespace
