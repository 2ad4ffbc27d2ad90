#include <gtest/gtest.h>

#include <climits>

#include "list_texts.h"
#include "ui_text.h"

namespace {

Note Dated(int32_t year, int32_t month, int32_t day, int32_t period = 0, int32_t advance = 0) {
    Note note;
    note.year = year;
    note.month = month;
    note.day = day;
    note.period = period;
    note.advance = advance;
    return note;
}

TEST(ListTexts, DateShowsDashesForOpenPartsAndNoLeadingZeros) {
    struct Case {
        int32_t year, month, day;
        std::u16string text;
    };
    const Case cases[] = {
        {2004, 12, 24, u"24. 12. 2004"},
        {0, 0, 1, u"1. --. ----"},
        {0, 3, 5, u"5. 3. ----"},
        {0, 2, 29, u"29. 2. ----"},
        {2004, 0, 7, u"7. --. 2004"},
        {INT32_MIN, INT32_MIN, INT32_MIN, u"-2147483648. -2147483648. -2147483648"},
        {INT32_MAX, -1, INT32_MAX, u"2147483647. -1. 2147483647"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, DateText(Dated(c.year, c.month, c.day)));
}

class ReminderTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearUiText();
        // The advances, then the periods, as e0 to e7 (built without operator+, on which GCC 12
        // warns falsely in an optimised build).
        for (int i = 0; i < kAdvanceCount + kPeriodCount; ++i)
            UiText[TxtIndex(Txt::AdvanceMonth) + static_cast<std::size_t>(i)] = {u'e', char16_t(u'0' + i)};
    }
    void TearDown() override { ClearUiText(); }
};

TEST_F(ReminderTextTest, AdvanceBlankPeriodWithOutOfRangeValuesLeftOut) {
    struct Case {
        int32_t advance, period;
        std::u16string text;
    };
    const Case cases[] = {
        {1, 2, u"e1 e7"},  {0, 0, u"e0 e5"},          {4, 1, u"e4 e6"},
        {5, 1, u" e6"},    {-1, 3, u" "},             {INT32_MIN, INT32_MAX, u" "},
        {3, -1, u"e3 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, ReminderText(Dated(0, 0, 1, c.period, c.advance))) << c.advance << "/" << c.period;
}

}  // namespace
