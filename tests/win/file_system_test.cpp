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
        for (const char* name : {"tolvek.dat", "backup.dat", "tolvek.dat.new"}) DeleteFileA(name);
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

}  // namespace
