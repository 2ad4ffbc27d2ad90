// A save cut short or failing at any step must leave the old diary or the new one,
// never a damaged or empty one, and no temporary file after a failure.
#include <gtest/gtest.h>

#include "diary_builders.h"
#include "note_store.h"
#include "test_support.h"

using namespace test_support;

namespace {

class SaveFaultTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        languageIndex = 0;
        oldNotes = {MakeNote(0, 0, 1, 0, 0, "first"), MakeNote(2004, 8, 2, 1, 1, "second")};
        disk.Put(kDataFileName, DiaryFile(oldNotes, 1, 4321));
        oldFile = disk.Get(kDataFileName);
    }

    // Loads a copy of the given disk and gives the diary's content without its tags.
    static Bytes LoadedContent(const std::map<std::string, Bytes>& files, LoadResult& result) {
        MemoryFileSystem copy;
        copy.Restore(files);
        NoteStore store(copy);
        result = store.Result();
        if (result != LoadOk) return {};
        std::vector<Note> notes;
        for (uint32_t i = 0; i < store.Count(); ++i) notes.push_back(store.At(i));
        return WithoutTags(DiaryFile(notes, languageIndex));
    }

    void ExpectOldOrNew(const std::map<std::string, Bytes>& files, const Bytes& oldContent,
                        const Bytes& newContent, const std::string& moment) {
        LoadResult result = LoadCorrupt;
        const Bytes content = LoadedContent(files, result);
        ASSERT_EQ(LoadOk, result) << moment;
        EXPECT_TRUE(content == oldContent || content == newContent) << moment;
    }

    MemoryFileSystem disk;
    std::vector<Note> oldNotes;
    Bytes oldFile;
};

TEST_F(SaveFaultTest, CutShortAtEveryByteLeavesTheOldOrTheNewDiary) {
    LoadResult result = LoadCorrupt;
    const Bytes oldContent = LoadedContent(disk.Snapshot(), result);
    ASSERT_EQ(LoadOk, result);

    languageIndex = 1;
    NoteStore store(disk);
    ASSERT_EQ(LoadOk, store.Result());
    std::vector<std::map<std::string, Bytes>> moments;
    std::vector<std::map<std::string, Bytes>> powerCuts;
    disk.byteByByte = true;
    disk.afterEveryChange = [&] {
        moments.push_back(disk.Snapshot());
        powerCuts.push_back(disk.AfterPowerCut());
    };
    ASSERT_TRUE(store.Add(MakeNote(2004, 7, 4, 2, 2, "third")));
    disk.afterEveryChange = nullptr;
    const Bytes newContent = LoadedContent(disk.Snapshot(), result);
    ASSERT_EQ(LoadOk, result);
    ASSERT_NE(oldContent, newContent);
    ASSERT_GT(moments.size(), 3 * kNoteRecordSize) << "every byte written is a moment";

    for (std::size_t i = 0; i < moments.size(); ++i) {
        ExpectOldOrNew(moments[i], oldContent, newContent, "crash at change " + std::to_string(i));
        ExpectOldOrNew(powerCuts[i], oldContent, newContent, "power cut at change " + std::to_string(i));
    }
}

TEST_F(SaveFaultTest, EachFailingStepKeepsTheOldFileAndReportsFailure) {
    const FileStep steps[] = {FileStep::Create, FileStep::Write, FileStep::ShortWrite,
                              FileStep::Flush, FileStep::Close, FileStep::Replace};
    for (FileStep step : steps) {
        MemoryFileSystem faulty;
        faulty.Put(kDataFileName, oldFile);
        NoteStore store(faulty);
        ASSERT_EQ(LoadOk, store.Result());
        const std::vector<std::string> namesBefore = faulty.Names();
        faulty.failing = step;
        EXPECT_FALSE(store.Add(MakeNote(2004, 7, 4, 2, 2, "third"))) << static_cast<int>(step);
        EXPECT_EQ(oldFile, faulty.Get(kDataFileName)) << static_cast<int>(step);
        EXPECT_EQ(namesBefore, faulty.Names()) << "temporary file left after step " << static_cast<int>(step);
        EXPECT_EQ(3u, store.Count()) << "the list in memory keeps the change";
        // Once the disk works again the next save writes everything.
        ASSERT_TRUE(store.Save());
        MemoryFileSystem reread;
        reread.Put(kDataFileName, faulty.Get(kDataFileName));
        NoteStore again(reread);
        EXPECT_EQ(3u, again.Count());
    }
}

TEST_F(SaveFaultTest, FullDiskAtEveryByteKeepsTheOldFile) {
    const std::size_t newSize = oldFile.size() + kNoteRecordSize;
    for (std::size_t space = 0; space < newSize; ++space) {
        MemoryFileSystem full;
        full.Put(kDataFileName, oldFile);
        NoteStore store(full);
        const std::vector<std::string> namesBefore = full.Names();
        full.diskSpace = space;
        EXPECT_FALSE(store.Add(MakeNote(2004, 7, 4))) << "space " << space;
        EXPECT_EQ(oldFile, full.Get(kDataFileName)) << "space " << space;
        EXPECT_EQ(namesBefore, full.Names()) << "space " << space;
        full.diskSpace = SIZE_MAX;  // the destructor's save may then succeed
    }
}

TEST_F(SaveFaultTest, RestoringTheBackupIsAsSafeAsASave) {
    disk.Remove(kDataFileName);
    disk.Put(kBackupFileName, oldFile);
    disk.failing = FileStep::Flush;
    RecoverMissingDataFile(disk, true);
    EXPECT_FALSE(disk.Has(kDataFileName)) << "an unflushed restore must not replace the file";
    EXPECT_EQ(std::vector<std::string>({kBackupFileName}), disk.Names());
    RecoverMissingDataFile(disk, true);
    EXPECT_EQ(oldFile, disk.Get(kDataFileName));
    EXPECT_EQ(oldFile, disk.AfterPowerCut()[kDataFileName]);
}

}  // namespace
