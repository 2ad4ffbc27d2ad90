// The diary's lock on the real disk: held whole for as long as the handle lives, refused to
// any other taker meanwhile, and naming the account whose folder it is.
#include <windows.h>

#include <gtest/gtest.h>

#include "diary_lock.h"
#include "program_fixture.h"

namespace {

class DiaryLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, base);
        previous = base;
        directory = MakeTemporaryDirectory();
        ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    }
    void TearDown() override {
        for (HANDLE lock : locks) CloseHandle(lock);
        DeleteFileA("tolvek.lock");
        SetCurrentDirectoryA(previous.c_str());
        RemoveDirectoryA(directory.c_str());
    }
    DiaryLock Take(const std::string& account) {
        HANDLE lock = nullptr;
        const DiaryLock taken = TakeDiaryLock(account, lock);
        EXPECT_EQ(taken == DiaryLock::Taken, lock != nullptr);
        if (lock) locks.push_back(lock);
        return taken;
    }
    std::string previous, directory;
    std::vector<HANDLE> locks;
};

TEST_F(DiaryLockTest, HeldUntilItsHandleClosesAndServingTheFirstAccountOnly) {
    ASSERT_EQ(DiaryLock::Taken, Take("S-1-5-21-first"));
    EXPECT_EQ("S-1-5-21-first", ReadFileBytes(directory + "\\tolvek.lock")) << "claimed by the first account";
    EXPECT_EQ(DiaryLock::Held, Take("S-1-5-21-first")) << "a second taker while it is held";
    EXPECT_EQ(DiaryLock::Held, Take("S-1-5-21-second"));

    // The process's end closes the handle: the lock goes, the claim stays.
    CloseHandle(locks.front());
    locks.clear();
    EXPECT_EQ(DiaryLock::OtherAccount, Take("S-1-5-21-second"));
    EXPECT_EQ(DiaryLock::Taken, Take("S-1-5-21-first"));
}

// Refused to this account is the standard-user and two-session tests' part: Wine running as
// root may open any file.
TEST_F(DiaryLockTest, LockFileThatCannotBeOpenedCountsAsHeld) {
    const HANDLE unshared = CreateFileA("tolvek.lock", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, unshared);
    EXPECT_EQ(DiaryLock::Held, Take("S-1-5-21-first"));
    CloseHandle(unshared);
    EXPECT_EQ(DiaryLock::Taken, Take("S-1-5-21-first")) << "once it can be opened";
}

}  // namespace
