#include <gtest/gtest.h>

#include <climits>

#include "../core/test_support.h"
#include "reminder_texts.h"
#include "ui_text.h"

using test_support::CoreTest;
using test_support::MakeNote;
using test_support::SetToday;

namespace {

class ReminderTextsTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ClearUiText();
        const char16_t* days[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
        for (std::size_t i = 0; i < std::size_t{kWeekdayCount}; ++i) UiText[TxtIndex(Txt::Sunday) + i] = days[i];
    }
    void TearDown() override {
        ClearUiText();
        CoreTest::TearDown();
    }
};

TEST_F(ReminderTextsTest, StoredDateWithTheWeekdayOfTheNextOccurrence) {
    SetToday(2004, 6, 15);
    EXPECT_EQ(u"\n24. 12. ---- (Fri)\n\nChristmas Eve", ReminderWindowText(MakeNote(0, 12, 24), u"Christmas Eve"));
    SetToday(2005, 1, 3);
    EXPECT_EQ(u"\n24. 12. ---- (Sat)\n\nChristmas Eve", ReminderWindowText(MakeNote(0, 12, 24), u"Christmas Eve"));
    EXPECT_EQ(u"\n15. --. ---- (Sat)\n\n", ReminderWindowText(MakeNote(0, 0, 15), u""));
    EXPECT_EQ(u"\n10. --. 2004 (Fri)\n\nx", ReminderWindowText(MakeNote(2004, 0, 10), u"x"));
}

TEST_F(ReminderTextsTest, ObsoletePromptShowsTheDateAsStored) {
    EXPECT_EQ(u"\n5. 3. 2004\n\ndentist", ObsoletePromptText(MakeNote(2004, 3, 5), u"dentist"));
    EXPECT_EQ(u"\n10. --. 2004\n\n", ObsoletePromptText(MakeNote(2004, 0, 10), u""));
}

TEST_F(ReminderTextsTest, AnyValuesFromADamagedFileGiveWholeTexts) {
    const std::u16string longText(100, u'w');  // a text without its NUL, read to its end
    const int32_t values[] = {INT32_MIN, -1, 0, 13, INT32_MAX};
    for (int32_t year : values)
        for (int32_t month : values)
            for (int32_t day : values) {
                const std::u16string text = ReminderWindowText(MakeNote(year, month, day), longText);
                ASSERT_EQ(longText, text.substr(text.size() - 100));
                const std::size_t open = text.find(u" (");
                ASSERT_NE(std::u16string::npos, open);
                EXPECT_EQ(3u, text.find(u")\n\n", open) - open - 2) << "a weekday name of the table";
            }
}

}  // namespace
