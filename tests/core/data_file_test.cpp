#include <gtest/gtest.h>

#include "data_file.h"
#include "diary_builders.h"
#include "memory_file_system.h"
#include "note_store.h"
#include "test_support.h"

using namespace test_support;

namespace {

class DataFileTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        languageIndex = 0;
    }
    MemoryFileSystem disk;
};

TEST_F(DataFileTest, FirstStartCreatesAnEmptySixteenByteDiaryAndItsBackup) {
    NoteStore store(disk);
    EXPECT_EQ(LoadOk, store.Result());
    EXPECT_EQ(0u, store.Count());
    const Bytes file = disk.Get(kDataFileName);
    ASSERT_EQ(16u, file.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), Bytes(file.end() - 4, file.end()));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), Bytes(file.begin() + 4, file.begin() + 8));
    EXPECT_EQ(Bytes({0, 0, 0, 0}), Bytes(file.begin() + 8, file.begin() + 12));
    EXPECT_EQ(file, disk.Get(kBackupFileName));
    EXPECT_EQ(2u, disk.Names().size()) << "no temporary file may remain";
}

TEST_F(DataFileTest, EmptyDiaryTakesOverItsLanguage) {
    disk.Put(kDataFileName, DiaryFile({}, 2));
    NoteStore store(disk);
    EXPECT_EQ(LoadOk, store.Result());
    EXPECT_EQ(2, languageIndex);
}

TEST_F(DataFileTest, UnknownLanguageIsKeptAndWrittenBackUnchanged) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 5, 1)}, 7));
    {
        NoteStore store(disk);
        EXPECT_EQ(7, languageIndex);
    }  // destruction saves
    const Bytes file = disk.Get(kDataFileName);
    ASSERT_EQ(16u + 124u, file.size());
    EXPECT_EQ(Bytes({7, 0, 0, 0}), Bytes(file.end() - 8, file.end() - 4));
}

TEST_F(DataFileTest, SaveWritesTheExactLayoutInStoreOrder) {
    disk.Put(kDataFileName, DiaryFile({}, 1));
    NoteStore store(disk);
    Note later = MakeNote(2004, 9, 1, 1, 3, "later");
    later.obsoleteDeclined = 1;
    const Note sooner = MakeNote(0, 0, 20, 2, 0, "sooner");
    ASSERT_TRUE(store.Add(later));
    ASSERT_TRUE(store.Add(sooner));
    const Bytes file = disk.Get(kDataFileName);
    const uint32_t tag = static_cast<uint32_t>(GetInt32(file.data()));
    EXPECT_LE(tag, 32767u);
    EXPECT_EQ(DiaryFile({sooner, later}, 1, tag), file);
}

TEST_F(DataFileTest, TwoSavesOfTheSameListDifferOnlyInTheirTags) {
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 5, 1, 0, 0, "a"), MakeNote(2010, 0, 3)}));
    NoteStore store(disk);
    ASSERT_TRUE(store.Save());
    const Bytes first = disk.Get(kDataFileName);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(WithoutTags(first), WithoutTags(disk.Get(kDataFileName)));
}

TEST_F(DataFileTest, MismatchedTagsAreCorruptAndLeaveLanguageAlone) {
    languageIndex = 1;
    disk.Put(kDataFileName, DiaryFile({MakeNote(0, 5, 1)}, 2, 10, 11));
    NoteStore store(disk);
    EXPECT_EQ(LoadCorrupt, store.Result());
    EXPECT_EQ(0u, store.Count());
    EXPECT_EQ(1, languageIndex);
    EXPECT_FALSE(disk.Has(kBackupFileName)) << "a corrupt file never becomes the backup";
}

TEST_F(DataFileTest, EveryTruncationOfAValidFileIsCorrupt) {
    const Bytes whole = DiaryFile({MakeNote(0, 5, 1, 0, 0, "one"), MakeNote(2004, 7, 2, 1, 1, "two")}, 1);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        MemoryFileSystem cut;
        cut.Put(kDataFileName, Bytes(whole.begin(), whole.begin() + static_cast<long>(length)));
        NoteStore store(cut);
        EXPECT_EQ(LoadCorrupt, store.Result()) << "length " << length;
        EXPECT_EQ(0u, store.Count());
    }
}

TEST_F(DataFileTest, HugeCountInATinyFileIsRejectedBeforeAnyAllocation) {
    Bytes file = DiaryFile({});
    file[4] = file[5] = file[6] = file[7] = 0xFF;  // four billion records claimed
    disk.Put(kDataFileName, file);
    NoteStore store(disk);
    EXPECT_EQ(LoadCorrupt, store.Result());
    EXPECT_LE(disk.largestRead, 8u) << "only the header may be read";
}

TEST_F(DataFileTest, BytesAfterTheTrailerAreIgnoredAndNotBackedUp) {
    const Bytes valid = DiaryFile({MakeNote(0, 5, 1)}, 0, 77);
    Bytes longer = valid;
    longer.push_back(0xAB);
    disk.Put(kDataFileName, longer);
    NoteStore store(disk);
    EXPECT_EQ(LoadOk, store.Result());
    EXPECT_EQ(1u, store.Count());
    EXPECT_EQ(valid, disk.Get(kBackupFileName));
}

TEST_F(DataFileTest, TextWithoutTerminatorSurvivesALoadAndSaveByteForByte) {
    Note note = MakeNote(0, 5, 1);
    std::fill(note.text, note.text + sizeof note.text, 'w');
    disk.Put(kDataFileName, DiaryFile({note}, 0, 5));
    NoteStore store(disk);
    ASSERT_EQ(1u, store.Count());
    EXPECT_EQ(std::string(100, 'w'), NoteText(store.At(0)));
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(WithoutTags(DiaryFile({note}, 0, 5)), WithoutTags(disk.Get(kDataFileName)));
}

// The backup is written while the file is read: any step of it failing still loads the
// diary, keeps the old backup and leaves no temporary file.
TEST_F(DataFileTest, BackupThatCannotBeWrittenStillLoadsAndKeepsTheOldOne) {
    const FileStep steps[] = {FileStep::Create, FileStep::Write, FileStep::ShortWrite, FileStep::Flush,
                              FileStep::Close, FileStep::Replace};
    const Bytes oldBackup = DiaryFile({}, 0, 1);
    std::vector<Note> notes;
    for (int i = 0; i < 700; ++i) notes.push_back(MakeNote(0, 1 + i % 12, 1 + i % 28));  // more than one run
    for (const FileStep step : steps) {
        SCOPED_TRACE(static_cast<int>(step));
        MemoryFileSystem files;
        files.Put(kBackupFileName, oldBackup);
        files.Put(kDataFileName, DiaryFile(notes, 2));
        files.failing = step;
        NoteStore store(files);
        EXPECT_EQ(LoadOk, store.Result());
        EXPECT_EQ(700u, store.Count());
        EXPECT_EQ(oldBackup, files.Get(kBackupFileName));
        EXPECT_FALSE(files.Has(std::string(kBackupFileName) + ".new"));
        store.Clear();
    }
}

TEST_F(DataFileTest, SuccessfulLoadRefreshesTheBackup) {
    disk.Put(kBackupFileName, DiaryFile({}, 0, 1));
    const Bytes current = DiaryFile({MakeNote(0, 1, 1)}, 0, 2);
    disk.Put(kDataFileName, current);
    NoteStore store(disk);
    EXPECT_EQ(current, disk.Get(kBackupFileName));
}

TEST_F(DataFileTest, MissingFileWithBackupAsksAndRestoringLoadsTheBackup) {
    const Bytes backup = DiaryFile({MakeNote(0, 1, 1, 0, 0, "kept")}, 1, 9);
    disk.Put(kBackupFileName, backup);
    {
        NoteStore store(disk);
        EXPECT_EQ(LoadNoFileBackupExists, store.Result());
        EXPECT_EQ(0u, store.Count());
    }
    EXPECT_FALSE(disk.Has(kDataFileName)) << "a failed load is discarded without saving";
    RecoverMissingDataFile(disk, true);
    EXPECT_EQ(backup, disk.Get(kDataFileName));
    NoteStore store(disk);
    ASSERT_EQ(LoadOk, store.Result());
    EXPECT_EQ("kept", NoteText(store.At(0)));
    EXPECT_EQ(1, languageIndex);
}

TEST_F(DataFileTest, MissingFileWithBackupDeclinedStartsAnEmptyDiary) {
    disk.Put(kBackupFileName, DiaryFile({MakeNote(0, 1, 1)}));
    RecoverMissingDataFile(disk, false);
    EXPECT_FALSE(disk.Has(kBackupFileName));
    NoteStore store(disk);
    EXPECT_EQ(LoadOk, store.Result());
    EXPECT_EQ(0u, store.Count());
    EXPECT_EQ(16u, disk.Get(kDataFileName).size());
}

TEST_F(DataFileTest, CannotCreateWhenTheEmptyDiaryCannotBeWritten) {
    disk.failing = FileStep::Create;
    NoteStore store(disk);
    EXPECT_EQ(LoadCannotCreate, store.Result());
    EXPECT_TRUE(disk.Names().empty());
    NoteStore again(disk);  // the next try succeeds once writing works
    EXPECT_EQ(LoadOk, again.Result());
}

// A data file or backup that is there but refuses to be read (another program holds it, or
// this user may not read it) is never taken for a missing one: nothing is created, restored,
// deleted or backed up over it.
TEST_F(DataFileTest, FileThatIsThereButCannotBeReadChangesNothing) {
    struct Case {
        const char* name;
        bool diary, backup;      // which files are there
        const char* refusing;    // the one that refuses its first read
    };
    const Case cases[] = {
        {"diary held, no backup", true, false, kDataFileName},
        {"diary held, a backup", true, true, kDataFileName},
        {"no diary, backup held", false, true, kBackupFileName},
    };
    const Bytes diary = DiaryFile({MakeNote(0, 5, 1, 0, 0, "one"), MakeNote(2004, 7, 2, 1, 1, "two")}, 1, 21);
    const Bytes backup = DiaryFile({MakeNote(0, 5, 1, 0, 0, "one")}, 1, 22);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        if (c.diary) files.Put(kDataFileName, diary);
        if (c.backup) files.Put(kBackupFileName, backup);
        const auto before = files.Snapshot();
        files.failing = FileStep::OpenForReading;  // the first read of a file that is there
        {
            NoteStore store(files);
            EXPECT_EQ(LoadUnreadable, store.Result());
            EXPECT_EQ(0u, store.Count());
            EXPECT_EQ(c.refusing, store.Unreadable().name);
            EXPECT_NE("", store.Unreadable().reason);
        }
        EXPECT_EQ(before, files.Snapshot()) << "a store that did not load whole writes nothing";
        EXPECT_EQ(before, files.AfterPowerCut());
    }
}

// Another program may put a "tolvek.dat" in place while the empty diary is being made: the
// empty one never replaces it, and the load reads the one that appeared.
TEST_F(DataFileTest, EmptyDiaryNeverReplacesADiaryThatAppearedMeanwhile) {
    const Bytes appeared = DiaryFile({MakeNote(0, 5, 1, 0, 0, "one"), MakeNote(2004, 7, 2, 1, 1, "two")}, 2, 31);
    disk.beforeMoveWithoutReplacing = [&] {
        if (!disk.Has(kDataFileName)) disk.Put(kDataFileName, appeared);
    };
    NoteStore store(disk);
    ASSERT_EQ(LoadOk, store.Result());
    EXPECT_EQ(2u, store.Count());
    EXPECT_EQ(appeared, disk.Get(kDataFileName));
    EXPECT_EQ(appeared, disk.Get(kBackupFileName));
    EXPECT_EQ(2u, disk.Names().size()) << "no temporary file may remain";

    // Nor does restoring the backup replace a diary that appeared while the user was asked.
    MemoryFileSystem asked;
    asked.Put(kBackupFileName, DiaryFile({}, 0, 32));
    asked.beforeMoveWithoutReplacing = [&] { asked.Put(kDataFileName, appeared); };
    EXPECT_TRUE(RecoverMissingDataFile(asked, true));
    EXPECT_EQ(appeared, asked.Get(kDataFileName));
    EXPECT_EQ(2u, asked.Names().size());
}

// The backup that a load refreshes is on the disk before it takes the name: a power cut
// right after the start leaves the last good backup, never an empty one.
TEST_F(DataFileTest, RefreshedBackupSurvivesAPowerCut) {
    const Bytes current = DiaryFile({MakeNote(0, 1, 1, 0, 0, "kept")}, 0, 2);
    disk.Put(kBackupFileName, DiaryFile({}, 0, 1));
    disk.Put(kDataFileName, current);
    NoteStore store(disk);
    ASSERT_EQ(LoadOk, store.Result());
    EXPECT_EQ(current, disk.AfterPowerCut()[kBackupFileName]);
}

TEST_F(DataFileTest, CorruptFileIsMovedAsideThenTheBackupIsOffered) {
    const Bytes damaged = DiaryFile({MakeNote(0, 5, 1)}, 0, 3, 4);
    disk.Put(kDataFileName, damaged);
    disk.Put(kBackupFileName, DiaryFile({}, 0, 8));
    disk.Put(kCorruptFileName, Bytes{1, 2, 3});
    {
        NoteStore store(disk);
        ASSERT_EQ(LoadCorrupt, store.Result());
    }
    EXPECT_TRUE(SetCorruptDataFileAside(disk));
    EXPECT_FALSE(disk.Has(kDataFileName));
    EXPECT_EQ(damaged, disk.Get(kCorruptFileName));
    NoteStore store(disk);
    EXPECT_EQ(LoadNoFileBackupExists, store.Result());
}

TEST_F(DataFileTest, CorruptFileThatCannotBeMovedIsCopiedAsideOrNeverDeleted) {
    // What stands in the way, and whether the file still gets set aside.
    struct Case {
        const char* name;
        FileStep failing;
        const char* locked;
        bool setAside;
        const char* blocking;  // the file named as standing in the way
    };
    const Case cases[] = {
        {"the move fails once", FileStep::Replace, "", true, ""},
        {"corrupt-file name read-only", FileStep::None, kCorruptFileName, false, kCorruptFileName},
        {"data file held", FileStep::None, kDataFileName, false, kDataFileName},
    };
    const Bytes damaged = DiaryFile({}, 0, 3, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.Put(kDataFileName, damaged);
        files.failing = c.failing;
        if (*c.locked) files.locked.insert(c.locked);
        std::string blocking = "?";
        EXPECT_EQ(c.setAside, SetCorruptDataFileAside(files, &blocking));
        EXPECT_EQ(c.blocking, blocking);
        EXPECT_LE(files.waitedReplaces, 1) << "one wait for a held file, not one a step";
        EXPECT_EQ(!c.setAside, files.Has(kDataFileName));
        EXPECT_EQ(damaged, files.Get(c.setAside ? kCorruptFileName : kDataFileName));
        EXPECT_FALSE(files.Has(std::string(kCorruptFileName) + ".new"));
    }
}

}  // namespace
