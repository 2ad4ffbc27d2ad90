#include <gtest/gtest.h>

#include <random>

#include "diary_builders.h"
#include "note_store.h"
#include "test_support.h"

using namespace test_support;

namespace {

class NoteStoreTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        languageIndex = 0;
    }
    std::vector<std::string> Texts(const NoteStore& store) const {
        std::vector<std::string> texts;
        for (uint32_t i = 0; i < store.Count(); ++i) texts.push_back(NoteText(store.At(i)));
        return texts;
    }
    MemoryFileSystem disk;
};

TEST_F(NoteStoreTest, InsertOrdersByNextOccurrenceWithTiesAfterEarlierNotes) {
    NoteStore store(disk);
    store.Insert(MakeNote(0, 0, 15, 2, 4, "tie-1"));       // today
    EXPECT_EQ(std::vector<std::string>({"tie-1"}), Texts(store));
    store.Insert(MakeNote(2004, 7, 1, 2, 4, "july"));
    store.Insert(MakeNote(2004, 6, 15, 2, 4, "tie-2"));    // same day as tie-1
    store.Insert(MakeNote(2004, 3, 5, 2, 4, "passed"));    // passed dates come first
    store.Insert(MakeNote(0, 6, 14, 2, 4, "next-year"));
    store.Insert(MakeNote(0, 0, 15, 2, 4, "tie-3"));
    EXPECT_EQ(std::vector<std::string>({"passed", "tie-1", "tie-2", "tie-3", "july", "next-year"}),
              Texts(store));
}

TEST_F(NoteStoreTest, LoadOrdersRecordsWhateverTheirOrderInTheFile) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 6, 14, 0, 0, "c"), MakeNote(2004, 7, 1, 0, 0, "b"),
                                       MakeNote(0, 0, 15, 0, 0, "a")}));
    NoteStore store(disk);
    EXPECT_EQ(std::vector<std::string>({"a", "b", "c"}), Texts(store));
}

// Random diaries full of ties, open parts, passed dates and days 29 to 31, and in every
// fourth round some notes of a damaged file's dates, early or late in the file: loading
// must give exactly the order of inserting the file's records one by one.
TEST_F(NoteStoreTest, LoadOrderEqualsOneByOneInsertion) {
    std::mt19937 random(20041224);
    const int32_t years[] = {0, 0, 2003, 2004, 2004, 2005, 2019};
    // year, month, day: beyond what an ordinary date needs, on either side
    const int32_t damaged[][3] = {{-1, 5, 5},      {2004, 40, 5},     {2004, 6, 64},  {2004, 6, 0},
                                  {1 << 21, 1, 1}, {INT32_MIN, 0, 1}, {0, 0, -7},     {0, INT32_MAX, 1},
                                  {2004, -3, 9},   {INT32_MAX, 12, INT32_MAX}, {(1 << 21) - 1, 31, 63}};
    const int32_t todays[][3] = {{2004, 6, 15}, {2004, 12, 31}, {2004, 2, 29}, {2005, 1, 1}};
    for (const auto& today : todays) {
        SetToday(today[0], today[1], today[2]);
        for (int round = 0; round < 20; ++round) {
            std::vector<Note> notes;
            // One diary a round spans several of the runs the file is read in.
            const int count = round == 0 || round == 4 ? 1500 : static_cast<int>(random() % 60);
            for (int i = 0; i < count; ++i) {
                Note note = MakeNote(years[random() % 7], static_cast<int32_t>(random() % 13),
                                     static_cast<int32_t>(random() % 4 == 0 ? 28 + random() % 4 : 1 + random() % 31));
                if (round % 4 == 3 && random() % 8 == 0) {
                    const auto& date = damaged[random() % std::size(damaged)];
                    note = MakeNote(date[0], date[1], date[2]);
                }
                SetNoteText(note, std::to_string(i));
                notes.push_back(note);
            }
            if (round == 4) notes.back() = MakeNote(-5, 1, 1, 2, 4, "damaged, last of many runs");
            MemoryFileSystem loaded;
            loaded.Put(kDataFileName, DiaryFile(notes));
            NoteStore fromFile(loaded);
            MemoryFileSystem inserted;
            NoteStore oneByOne(inserted);
            for (const Note& note : notes) oneByOne.Insert(note);
            ASSERT_EQ(Texts(oneByOne), Texts(fromFile)) << "round " << round;
        }
    }
}

TEST_F(NoteStoreTest, IdentityFollowsTheNoteWhenPositionsMove) {
    NoteStore store(disk);
    NoteId june = kNoNote, july = kNoNote;
    ASSERT_TRUE(store.Add(MakeNote(2004, 7, 1, 2, 4, "july"), &july));
    ASSERT_TRUE(store.Add(MakeNote(2004, 6, 20, 2, 4, "june"), &june));
    EXPECT_NE(june, july);
    uint32_t position = 99;
    ASSERT_TRUE(store.Find(july, position));
    EXPECT_EQ(1u, position);
    ASSERT_TRUE(RemoveNote(store, june));
    ASSERT_TRUE(store.Find(july, position));
    EXPECT_EQ(0u, position);
    EXPECT_EQ(july, store.IdAt(0));
    EXPECT_FALSE(store.Find(june, position));
    // A stale identity removes nothing, where a stale position would remove "july".
    EXPECT_TRUE(RemoveNote(store, june));
    EXPECT_EQ(std::vector<std::string>({"july"}), Texts(store));
}

// Every stored identity is found at its position and every departed one is not found,
// after a load and through random insertions, removals, replacements and a clear.
TEST_F(NoteStoreTest, FindGivesEachNotesPositionThroughEveryChange) {
    std::mt19937 random(18);
    std::vector<Note> file;
    for (int i = 0; i < 40; ++i) file.push_back(MakeNote(2004, 1 + i % 12, 1 + i % 28, 2, 4, std::to_string(i)));
    disk.Put(kDataFileName, DiaryFile(file));
    NoteStore store(disk);
    std::vector<NoteId> departed;
    const auto expectIndexAgrees = [&](int step) {
        for (uint32_t i = 0; i < store.Count(); ++i) {
            uint32_t position = 99999;
            ASSERT_TRUE(store.Find(store.IdAt(i), position)) << "step " << step << ", position " << i;
            ASSERT_EQ(i, position) << "step " << step;
        }
        for (NoteId id : departed) {
            uint32_t position = 0;
            ASSERT_FALSE(store.Find(id, position)) << "step " << step << ": note " << id << " is gone";
        }
    };
    expectIndexAgrees(-1);
    for (int step = 0; step < 300; ++step) {
        const Note note = MakeNote(random() % 2 ? 0 : 2004, static_cast<int32_t>(random() % 13),
                                   static_cast<int32_t>(1 + random() % 31), 2, 4, "new");
        const uint32_t position = store.Count() ? static_cast<uint32_t>(random() % store.Count()) : 0;
        switch (random() % 3) {
            case 0: store.Insert(note); break;
            case 1:
                if (store.Count() == 0) break;
                departed.push_back(store.IdAt(position));
                store.RemoveAt(position);
                break;
            default:
                if (store.Count() == 0) break;
                departed.push_back(store.IdAt(position));
                store.Replace(store.IdAt(position), note);
                break;
        }
        expectIndexAgrees(step);
    }
    uint32_t unused = 0;
    EXPECT_FALSE(store.Find(kNoNote, unused));
    EXPECT_FALSE(store.Find(1000000, unused)) << "never handed out";
    for (uint32_t i = 0; i < store.Count(); ++i) departed.push_back(store.IdAt(i));
    store.Clear();
    expectIndexAgrees(300);
}

TEST_F(NoteStoreTest, ReplaceMovesTheNoteInOneSaveOrAddsItWhenGone) {
    NoteStore store(disk);
    NoteId first = kNoNote;
    ASSERT_TRUE(store.Add(MakeNote(2004, 6, 20, 2, 4, "a"), &first));
    ASSERT_TRUE(store.Add(MakeNote(2004, 7, 1, 2, 4, "b")));
    int changes = 0;
    disk.afterEveryChange = [&] { ++changes; };
    ASSERT_TRUE(store.Replace(first, MakeNote(2004, 8, 1, 2, 4, "a moved")));
    disk.afterEveryChange = nullptr;
    EXPECT_EQ(std::vector<std::string>({"b", "a moved"}), Texts(store));
    EXPECT_EQ(3, changes) << "one temporary file created, written and renamed: a single save";
    ASSERT_TRUE(RemoveNote(store, store.IdAt(1)));
    ASSERT_TRUE(store.Replace(first, MakeNote(2004, 5, 1, 2, 4, "back")));
    EXPECT_EQ(std::vector<std::string>({"back", "b"}), Texts(store));
}

TEST_F(NoteStoreTest, IdentitiesAreNeverReused) {
    NoteStore store(disk);
    const NoteId first = store.Insert(MakeNote(0, 0, 1));
    store.RemoveAt(0);
    const NoteId second = store.Insert(MakeNote(0, 0, 1));
    EXPECT_NE(first, second);
    EXPECT_NE(kNoNote, second);
}

TEST_F(NoteStoreTest, RemovingTheOnlyNoteLeavesAnEmptyFile) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 0, 1)}));
    NoteStore store(disk);
    ASSERT_TRUE(store.RemoveAt(0));
    EXPECT_EQ(0u, store.Count());
    const Bytes file = disk.Get(kDataFileName);
    ASSERT_EQ(16u, file.size());
    EXPECT_EQ(0, GetInt32(file.data() + 4));
}

TEST_F(NoteStoreTest, ChangeInPlaceReachesTheDiskOnlyWithTheNextSave) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(2004, 3, 5)}));
    NoteStore store(disk);
    const Bytes before = disk.Get(kDataFileName);
    store.At(0).obsoleteDeclined = 1;
    EXPECT_EQ(before, disk.Get(kDataFileName));
    ASSERT_TRUE(store.Add(MakeNote(0, 0, 20)));
    const Bytes after = disk.Get(kDataFileName);
    EXPECT_EQ(1, GetInt32(after.data() + 8 + 20)) << "declined flag of the first record";
}

TEST_F(NoteStoreTest, DestructionSavesAChangeMadeInPlace) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(2004, 3, 5)}));
    {
        NoteStore store(disk);
        store.At(0).obsoleteDeclined = 1;
    }
    EXPECT_EQ(1, GetInt32(disk.Get(kDataFileName).data() + 8 + 20));
}

TEST_F(NoteStoreTest, CloseSavesOnceAndDestructionWritesNothingMore) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(2004, 3, 5)}));
    {
        NoteStore store(disk);
        store.At(0).obsoleteDeclined = 1;
        EXPECT_TRUE(store.Close());
        EXPECT_EQ(0u, store.Count());
    }
    const Bytes file = disk.Get(kDataFileName);
    ASSERT_EQ(16u + 124u, file.size()) << "the closed store's destruction must not save it empty";
    EXPECT_EQ(1, GetInt32(file.data() + 8 + 20));
}

TEST_F(NoteStoreTest, ClearEmptiesWithoutSaving) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 0, 1)}));
    NoteStore store(disk);
    const Bytes before = disk.Get(kDataFileName);
    store.Clear();
    EXPECT_EQ(0u, store.Count());
    EXPECT_EQ(before, disk.Get(kDataFileName));
}

}  // namespace
