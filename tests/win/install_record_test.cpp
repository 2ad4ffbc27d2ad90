// The installation-record operations against the real registry of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include "install_record.h"
#include "registry.h"
#include "registry_key.h"

namespace {

class RealRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveInstallationRecord(registry); }
    void TearDown() override {
        RemoveInstallationRecord(registry);
        RemoveAutostart(registry);
    }
    static std::string ReadString(HKEY hive, const char* path, const char* name, DWORD& type) {
        char buffer[2048] = {};
        DWORD size = sizeof buffer;
        SystemKey key;
        if (OpenSystemKey(hive, path, KEY_READ, key) != ERROR_SUCCESS) return "<no key>";
        const LONG result = RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        if (result != ERROR_SUCCESS) return "<no value>";
        return std::string(buffer, size);  // the terminating NUL counted in the size
    }
    Registry& registry = SystemRegistry();
};

TEST_F(RealRegistryTest, RecordAndAutostartHaveTheirExactTypesAndTexts) {
    const std::string directory = "C:\\Program Files\\Tolvek Diary";
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, directory));
    ASSERT_EQ(kErrorSuccess, AddAutostart(registry, directory));
    DWORD type = 0;
    EXPECT_EQ(directory + '\0', ReadString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Path", type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("\"" + directory + "\\Uninstall.exe\"" + '\0',
              ReadString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "UninstallString", type));
    // The list of installed programs' numbers are REG_DWORD, 4 bytes.
    for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"}) {
        const std::string value = ReadString(HKEY_LOCAL_MACHINE, kRecordKeyPath, name, type);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type) << name;
        EXPECT_EQ(4u, value.size()) << name;
    }
    EXPECT_EQ(std::string("the Tolvek team") + '\0', ReadString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "Publisher", type));
    EXPECT_EQ(std::string("Tolvek Diary") + '\0', ReadString(HKEY_LOCAL_MACHINE, kRecordKeyPath, "DisplayName", type));
    EXPECT_EQ("\"" + directory + "\\Tolvek.exe\"" + '\0',
              ReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, "TolvekDiary", type));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(registry, read));
    EXPECT_EQ(directory, read);
}

TEST_F(RealRegistryTest, PathOf999CharactersFailsWithMoreData) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, std::string(998, 'a')));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(registry, read));
    EXPECT_EQ(998u, read.size());
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, std::string(999, 'a')));
    EXPECT_EQ(kErrorMoreData, ReadInstallPath(registry, read));
}

TEST_F(RealRegistryTest, KeyWithoutPathFailsWithFileNotFoundAndIsRemovedByItsOtherSpelling) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kRecordKeyPath, &key));
    RegCloseKey(key);
    std::string read;
    EXPECT_EQ(kErrorFileNotFound, ReadInstallPath(registry, read));
    EXPECT_EQ(kErrorSuccess, RemoveInstallationRecord(registry));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKeyPath, 0, KEY_READ, &key));
}

TEST_F(RealRegistryTest, DefaultsFollowTheLastAcceptedNoteOnlyAsAPair) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, "C:\\T"));
    Note templateNote;  // advance 0, period 0
    ReadNoteDefaults(registry, templateNote);
    EXPECT_EQ(0, templateNote.advance);

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKeyPath, 0, KEY_SET_VALUE, &key));
    const DWORD three = 3;
    RegSetValueExA(key, "DefNoteAdvance", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), sizeof three);
    RegCloseKey(key);
    ReadNoteDefaults(registry, templateNote);
    EXPECT_EQ(0, templateNote.advance) << "one default alone replaces nothing";

    Note accepted;
    accepted.advance = 2;
    accepted.period = 1;
    ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted));
    ReadNoteDefaults(registry, templateNote);
    EXPECT_EQ(2, templateNote.advance);
    EXPECT_EQ(1, templateNote.period);
    // A reinstallation keeps them.
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, "C:\\T"));
    Note fresh;
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(2, fresh.advance);
}

TEST_F(RealRegistryTest, DefaultsWithoutAWritableRecordGoToTheUserKeyAndGoWithIt) {
    Note accepted;
    accepted.advance = 4;
    accepted.period = 1;
    EXPECT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted));
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRecordKeyPath, 0, KEY_READ, &key))
        << "the record is never created";
    DWORD type = 0;
    EXPECT_EQ(std::string("\4\0\0\0", 4), ReadString(HKEY_CURRENT_USER, "Software\\Tolvek Diary", "DefNoteAdvance", type));
    Note fresh;
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(4, fresh.advance);
    EXPECT_EQ(1, fresh.period);
    EXPECT_EQ(kErrorSuccess, RemovePerUserSettings(registry));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tolvek Diary", 0, KEY_READ, &key));
}

TEST_F(RealRegistryTest, AutostartCreatesAMissingRunKey) {
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion", 0,
                                           KEY_ALL_ACCESS, &parent));
    RegDeleteKeyA(parent, "run");
    RegCloseKey(parent);
    ASSERT_EQ(kErrorSuccess, AddAutostart(registry, "C:\\T"));
    DWORD type = 0;
    EXPECT_EQ(std::string("\"C:\\T\\Tolvek.exe\"") + '\0', ReadString(HKEY_LOCAL_MACHINE, kRunKeyPath, "TolvekDiary", type));
}

const char kScratchKey[] = "Software\\Tolvek key test";
const char kLeafKey[] = "Software\\Tolvek key test\\a\\b";

// The key closes when its last owner goes: a handle kept past it is no longer valid.
TEST(SystemKeyTest, CreatesEveryLevelAndClosesWhenItsLastOwnerGoes) {
    const DWORD one = 1;
    HKEY kept = nullptr;
    {
        SystemKey created;
        ASSERT_EQ(ERROR_SUCCESS, CreateSystemKey(HKEY_CURRENT_USER, kLeafKey, KEY_READ | KEY_SET_VALUE, created));
        kept = created.get();
        SystemKey moved(std::move(created));
        EXPECT_EQ(nullptr, created.get()) << "a moved-from key owns nothing";
        EXPECT_EQ(kept, moved.get());
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(moved.get(), "One", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one));
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(kept, "One", nullptr, nullptr, nullptr, nullptr));

    SystemKey opened;
    ASSERT_EQ(ERROR_SUCCESS, OpenSystemKey(HKEY_CURRENT_USER, kLeafKey, KEY_READ, opened));
    kept = opened.get();
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(kept, "One", nullptr, nullptr, nullptr, nullptr));
    // A failed opening leaves the key empty and closes the one it held.
    const std::string missing = std::string(kScratchKey) + "\\none";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, OpenSystemKey(HKEY_CURRENT_USER, missing.c_str(), KEY_READ, opened));
    EXPECT_EQ(nullptr, opened.get());
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExA(kept, "One", nullptr, nullptr, nullptr, nullptr));
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
}

}  // namespace
