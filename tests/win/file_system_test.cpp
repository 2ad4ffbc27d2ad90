// The Windows disk behind the data file: a save replaces the file in one step, waits a
// moment for a program that holds it, and leaves it untouched when it cannot.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "data_file.h"
#include "file_system.h"
#include "note_store.h"

namespace {

class DiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        directory = std::string(base) + "tolvek-disk-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(directory.c_str(), nullptr);
        GetCurrentDirectoryA(MAX_PATH, base);
        previous = base;
        SetCurrentDirectoryA(directory.c_str());
        languageIndex = 0;
    }
    void TearDown() override {
        for (const char* name : {"tolvek.dat", "backup.dat", "tolvek.dat.new", "other.dat"}) DeleteFileA(name);
        SetCurrentDirectoryA(previous.c_str());
        RemoveDirectoryA(directory.c_str());
    }
    static DWORD SizeOf(const char* name) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return 0xFFFFFFFF;
        return data.nFileSizeLow;
    }
    static HANDLE HoldWithoutSharingDelete(const char* name) {
        return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    // As a backup or sync tool holds a file: nobody else may even read it.
    static HANDLE HoldWithoutSharing(const char* name) {
        return CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    static void Put(const char* name, const std::string& bytes) {
        const HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    static std::string TwoNoteDiary() {
        Note first, second;
        SetNoteText(first, "first");
        SetNoteText(second, "second");
        const std::vector<unsigned char> bytes = EncodeDataFile({&first, &second}, 0, 77);
        return std::string(bytes.begin(), bytes.end());
    }
    std::string directory, previous;
};

TEST_F(DiskTest, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    NoteStore store(DiskFileSystem());
    ASSERT_EQ(LoadOk, store.Result());
    EXPECT_EQ(16u, SizeOf("tolvek.dat"));
    EXPECT_EQ(16u, SizeOf("backup.dat"));
    Note note;
    SetNoteText(note, "on disk");
    ASSERT_TRUE(store.Add(note));
    EXPECT_EQ(16u + 124u, SizeOf("tolvek.dat"));
    EXPECT_EQ(0xFFFFFFFFu, SizeOf("tolvek.dat.new"));
    NoteStore again(DiskFileSystem());
    ASSERT_EQ(1u, again.Count());
    EXPECT_EQ("on disk", NoteText(again.At(0)));
}

TEST_F(DiskTest, SaveWaitsForAProgramThatHoldsTheFileBriefly) {
    NoteStore store(DiskFileSystem());
    const HANDLE holder = HoldWithoutSharingDelete("tolvek.dat");
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    std::thread release([holder] {
        Sleep(400);  // a scanner that looks at the file for a moment
        CloseHandle(holder);
    });
    EXPECT_TRUE(store.Add(Note{}));
    release.join();
    EXPECT_EQ(16u + 124u, SizeOf("tolvek.dat"));
}

TEST_F(DiskTest, SaveGivesUpOnAFileHeldForLongAndKeepsIt) {
    NoteStore store(DiskFileSystem());
    const HANDLE holder = HoldWithoutSharingDelete("tolvek.dat");
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_FALSE(store.Add(Note{}));
    CloseHandle(holder);
    EXPECT_EQ(16u, SizeOf("tolvek.dat"));
    EXPECT_EQ(0xFFFFFFFFu, SizeOf("tolvek.dat.new"));
}

// Only a file that is not there is missing; one that another program holds is there.
TEST_F(DiskTest, OpenTellsAMissingFileFromAHeldOne) {
    struct Case {
        const char* name;
        bool notThere;
    };
    const Case cases[] = {{"no such.dat", true}, {"no such folder\\tolvek.dat", true}, {"tolvek.dat", false}};
    Put("tolvek.dat", TwoNoteDiary());
    const HANDLE holder = HoldWithoutSharing("tolvek.dat");
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenFailure failure;
        EXPECT_EQ(nullptr, DiskFileSystem().OpenForReading(c.name, failure));
        EXPECT_EQ(c.notThere, failure.notThere);
        EXPECT_FALSE(failure.reason.empty());
    }
    CloseHandle(holder);
}

// A backup tool that holds the diary at logon: the load waits for it rather than making
// an empty diary that would replace the real one as soon as the tool lets go.
TEST_F(DiskTest, LoadWaitsForAHeldDiaryAndNeverReplacesIt) {
    Put("tolvek.dat", TwoNoteDiary());
    const HANDLE holder = HoldWithoutSharing("tolvek.dat");
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    std::thread release([holder] {
        Sleep(400);
        CloseHandle(holder);
    });
    NoteStore store(DiskFileSystem());
    release.join();
    EXPECT_EQ(LoadOk, store.Result());
    EXPECT_EQ(2u, store.Count());
    EXPECT_EQ(16u + 2 * 124u, SizeOf("tolvek.dat"));
}

TEST_F(DiskTest, MoveWithoutReplacingKeepsAFileThatIsThere) {
    Put("tolvek.dat", "kept");
    Put("other.dat", "new");
    EXPECT_FALSE(DiskFileSystem().MoveWithoutReplacing("other.dat", "tolvek.dat"));
    EXPECT_EQ(4u, SizeOf("tolvek.dat"));
    EXPECT_EQ(3u, SizeOf("other.dat"));
    DeleteFileA("tolvek.dat");
    EXPECT_TRUE(DiskFileSystem().MoveWithoutReplacing("other.dat", "tolvek.dat"));
    EXPECT_EQ(3u, SizeOf("tolvek.dat"));
}

}  // namespace
