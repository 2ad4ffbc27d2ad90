#include <gtest/gtest.h>

#include <climits>

#include "editor_fields.h"
#include "ui_text.h"

namespace {

class EditorFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearUiText();
        for (std::size_t i = 0; i < UiText.size(); ++i) UiText[i] = {u't', char16_t(u'A' + i % 26)};
    }
    void TearDown() override { ClearUiText(); }
    static Note Fields(int32_t year, int32_t month, int32_t day, int32_t advance, int32_t period) {
        Note note;
        note.year = year;
        note.month = month;
        note.day = day;
        note.advance = advance;
        note.period = period;
        return note;
    }
};

TEST_F(EditorFieldsTest, ListsHoldTheItemsInOrder) {
    const EditorLists lists = BuildEditorLists(2004);
    ASSERT_EQ(31u, lists.days.size());
    EXPECT_EQ(u"1.", lists.days.front());
    EXPECT_EQ(u"31.", lists.days.back());
    ASSERT_EQ(13u, lists.months.size());
    EXPECT_EQ(Text(Txt::EveryMonth), lists.months.front());
    EXPECT_EQ(Text(Txt::December), lists.months.back());
    ASSERT_EQ(18u, lists.years.size()) << "Every year and 2003 to 2019";
    EXPECT_EQ(Text(Txt::EveryYear), lists.years[0]);
    EXPECT_EQ(u"2003", lists.years[1]);
    EXPECT_EQ(u"2019", lists.years.back());
    EXPECT_EQ(std::vector<std::u16string>({Text(Txt::AdvanceMonth), Text(Txt::AdvanceWeek), Text(Txt::AdvanceThreeDays),
                                           Text(Txt::AdvanceDay), Text(Txt::AdvanceSameDay)}), lists.advances);
    EXPECT_EQ(std::vector<std::u16string>({Text(Txt::PeriodMonday), Text(Txt::PeriodStartup), Text(Txt::PeriodHourly)}), lists.periods);
}

TEST_F(EditorFieldsTest, YearListReachesTenYearsAfterToday) {
    const EditorLists lists = BuildEditorLists(2026);
    EXPECT_EQ(u"2036", lists.years.back());
    EXPECT_EQ(1u + (2036 - 2003 + 1), lists.years.size());
    // Today's year can be chosen and is stored as itself.
    const EditorChoice choice = ChoiceForNote(Fields(2026, 12, 8, 0, 0), lists);
    EXPECT_EQ(u"2026", lists.years[static_cast<std::size_t>(choice.year)]);
    EXPECT_EQ(2026, NoteFromChoice(choice, "", Note{}).year);
}

TEST_F(EditorFieldsTest, NoteSelectsItsPositionsAndAcceptingUnchangedGivesItBack) {
    struct Case {
        int32_t year, month, day, advance, period;
    };
    const Case cases[] = {{0, 0, 1, 0, 0}, {2004, 12, 7, 2, 2}, {2019, 2, 31, 4, 1}, {2003, 1, 30, 1, 0}};
    const EditorLists lists = BuildEditorLists(2004);
    for (const Case& c : cases) {
        Note shown = Fields(c.year, c.month, c.day, c.advance, c.period);
        shown.obsoleteDeclined = 1;
        const EditorChoice choice = ChoiceForNote(shown, lists);
        EXPECT_EQ(c.month, choice.month);
        EXPECT_EQ(c.day - 1, choice.day);
        EXPECT_EQ(c.year == 0 ? 0 : c.year - 2002, choice.year);
        const Note stored = NoteFromChoice(choice, "kept text", shown);
        EXPECT_EQ(c.year, stored.year);
        EXPECT_EQ(c.month, stored.month);
        EXPECT_EQ(c.day, stored.day);
        EXPECT_EQ(c.advance, stored.advance);
        EXPECT_EQ(c.period, stored.period);
        EXPECT_EQ(0, stored.obsoleteDeclined) << "accepting always clears the refusal";
        EXPECT_EQ("kept text", NoteText(stored));
    }
}

TEST_F(EditorFieldsTest, ValuesWithoutAnItemSelectNothingAndNeverStoreAnUnseenValue) {
    const EditorLists lists = BuildEditorLists(2004);
    const Note shown = Fields(1999, 13, 0, 7, -1);
    const EditorChoice choice = ChoiceForNote(shown, lists);
    EXPECT_EQ(-1, choice.year);
    EXPECT_EQ(-1, choice.month);
    EXPECT_EQ(-1, choice.day);
    EXPECT_EQ(-1, choice.advance);
    EXPECT_EQ(-1, choice.period);
    const Note stored = NoteFromChoice(choice, "", shown);
    EXPECT_EQ(1999, stored.year) << "the note's own year, never 2001";
    EXPECT_EQ(0, stored.month);
    EXPECT_EQ(1, stored.day);
    EXPECT_EQ(0, stored.advance);
    EXPECT_EQ(0, stored.period);
    // A year just before the list (2002 would be position 0, "Every year") selects nothing.
    EXPECT_EQ(-1, ChoiceForNote(Fields(2002, 1, 1, 0, 0), lists).year);
    EXPECT_EQ(-1, ChoiceForNote(Fields(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN), lists).year);
}

TEST_F(EditorFieldsTest, TextIsCutAt99Characters) {
    const Note stored = NoteFromChoice(EditorChoice{}, std::string(120, 'x'), Note{});
    EXPECT_EQ(std::string(99, 'x'), NoteText(stored));
}

}  // namespace
