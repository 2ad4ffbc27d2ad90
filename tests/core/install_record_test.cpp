#include <gtest/gtest.h>

#include "install_record.h"
#include "memory_registry.h"

namespace {

const std::string kDirectory = "D:\\Apps\\Tolvek Diary";

class InstallRecordTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0u, registry.OpenKeys()) << "every opened key is closed"; }
    void PutDefault(const std::string& name, uint32_t value) {
        (*registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath))[name] =
            MemoryRegistry::Value{4, {static_cast<unsigned char>(value), 0, 0, 0}};
    }
    MemoryRegistry registry;
};

TEST_F(InstallRecordTest, WritesTheRecordAndAutostartInTheirExactFormats) {
    registry.DropKey(Hive::LocalMachine, kRunKeyPath);
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    ASSERT_EQ(kErrorSuccess, AddAutostart(registry, kDirectory));
    const std::string nul(1, '\0');
    EXPECT_EQ(kDirectory + nul, registry.StringOf(Hive::LocalMachine, kRecordKeyPath, "Path"));
    EXPECT_EQ("\"" + kDirectory + "\\Uninstall.exe\"" + nul,
              registry.StringOf(Hive::LocalMachine, kRecordKeyPath, "UninstallString"));
    EXPECT_EQ("Tolvek Diary" + nul, registry.StringOf(Hive::LocalMachine, kRecordKeyPath, "DisplayName"));
    EXPECT_EQ("\"" + kDirectory + "\\Tolvek.exe\"" + nul,
              registry.StringOf(Hive::LocalMachine, kRunKeyPath, "TolvekDiary"))
        << "per machine: every user's logon starts it";
    EXPECT_EQ("<missing>", registry.StringOf(Hive::CurrentUser, kRunKeyPath, "TolvekDiary"));
    std::string read;
    ASSERT_EQ(kErrorSuccess, ReadInstallPath(registry, read));
    EXPECT_EQ(kDirectory, read);
}

TEST_F(InstallRecordTest, PathLimitIs998Characters) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, std::string(998, 'p')));
    std::string read;
    EXPECT_EQ(kErrorSuccess, ReadInstallPath(registry, read));
    EXPECT_EQ(998u, read.size());
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, std::string(999, 'p')));
    EXPECT_EQ(kErrorMoreData, ReadInstallPath(registry, read));
}

TEST_F(InstallRecordTest, MissingKeyOrPathCountsAsNotInstalled) {
    std::string read;
    EXPECT_EQ(kErrorFileNotFound, ReadInstallPath(registry, read));
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath)->erase("path");
    EXPECT_EQ(kErrorFileNotFound, ReadInstallPath(registry, read));
    // Uninstall deletes such a key by the other spelling of its name.
    EXPECT_EQ(kErrorSuccess, RemoveInstallationRecord(registry));
    EXPECT_FALSE(registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
}

TEST_F(InstallRecordTest, DefaultsReplaceTheTemplatePairOnlyWhenBothExist) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    Note note;
    note.advance = 3;
    note.period = 1;
    ReadNoteDefaults(registry, note);
    EXPECT_EQ(3, note.advance);
    EXPECT_EQ(1, note.period);
    PutDefault("defnoteadvance", 2);
    ReadNoteDefaults(registry, note);
    EXPECT_EQ(3, note.advance) << "one value alone changes nothing";
    EXPECT_EQ(1, note.period);
    PutDefault("defnoteperiod", 0);
    ReadNoteDefaults(registry, note);
    EXPECT_EQ(2, note.advance);
    EXPECT_EQ(0, note.period);
}

TEST_F(InstallRecordTest, DefaultsFollowTheLastAcceptedNoteAndSurviveAReinstall) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    Note accepted;
    accepted.advance = 4;
    accepted.period = 2;
    ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted));
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    Note fresh;
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(4, fresh.advance);
    EXPECT_EQ(2, fresh.period);
    const auto* values = registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath);
    EXPECT_EQ(4u, values->at("defnoteadvance").type);
    EXPECT_EQ(4u, values->at("defnoteadvance").data.size());
}

TEST_F(InstallRecordTest, WritingDefaultsNeverCreatesTheRecord) {
    Note accepted;
    accepted.advance = 1;
    EXPECT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted)) << "kept for this user instead";
    EXPECT_FALSE(registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
    Note fresh;
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(1, fresh.advance);
}

// A standard user may not write the machine-wide record: the defaults live under the
// user's own key, win over the record's, and retire once the record takes them again.
TEST_F(InstallRecordTest, DefaultsOfAUserWithoutRightsLiveInTheUserKey) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    PutDefault("defnoteadvance", 4);
    PutDefault("defnoteperiod", 2);
    registry.denyWrites = true;
    Note accepted;
    accepted.advance = 1;
    accepted.period = 0;
    EXPECT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted));
    const auto* user = registry.ValuesOf(Hive::CurrentUser, kPerUserKeyPath);
    ASSERT_NE(nullptr, user);
    EXPECT_EQ(4u, user->at("defnoteperiod").type);
    Note fresh;
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(1, fresh.advance);
    EXPECT_EQ(0, fresh.period);

    registry.denyWrites = false;
    ASSERT_EQ(kErrorSuccess, WriteDataHome(registry, "C:\\Users\\me\\Tolvek Diary"));
    accepted.advance = 3;
    accepted.period = 1;
    EXPECT_EQ(kErrorSuccess, WriteNoteDefaults(registry, accepted));
    EXPECT_EQ(0u, user->count("defnoteadvance") + user->count("defnoteperiod")) << "retired with its pair";
    std::string home;
    EXPECT_EQ(kErrorSuccess, ReadDataHome(registry, home));
    EXPECT_EQ("C:\\Users\\me\\Tolvek Diary", home) << "the diary's home stays beside the defaults";
    ReadNoteDefaults(registry, fresh);
    EXPECT_EQ(3, fresh.advance);
    EXPECT_EQ(1, fresh.period);
}

TEST_F(InstallRecordTest, RemovalTakesRecordDefaultsAndAutostart) {
    ASSERT_EQ(kErrorSuccess, WriteInstallationRecord(registry, kDirectory));
    ASSERT_EQ(kErrorSuccess, AddAutostart(registry, kDirectory));
    ASSERT_EQ(kErrorSuccess, WriteNoteDefaults(registry, Note{}));
    EXPECT_EQ(kErrorSuccess, RemoveInstallationRecord(registry));
    EXPECT_EQ(kErrorSuccess, RemoveAutostart(registry));
    EXPECT_FALSE(registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
    EXPECT_EQ("<missing>", registry.StringOf(Hive::LocalMachine, kRunKeyPath, "TolvekDiary"));
}

// An account that kept the per-user value of an earlier version would start Tolvek twice at
// logon; the value goes only where the machine's names the same program.
TEST_F(InstallRecordTest, PerUserAutostartRetiresOnlyBesideTheSameMachineValue) {
    struct Case {
        const char* name;
        std::string machine, user;  // "" for no value
        bool retired;
    };
    const Case cases[] = {
        {"same program", "\"D:\\Apps\\Tolvek.exe\"", "\"D:\\Apps\\Tolvek.exe\"", true},
        {"same program, other case", "\"D:\\Apps\\Tolvek.exe\"", "\"d:\\apps\\TOLVEK.EXE\"", true},
        {"no machine value", "", "\"D:\\Apps\\Tolvek.exe\"", false},
        {"another program", "\"D:\\Apps\\Tolvek.exe\"", "\"E:\\Old\\Tolvek.exe\"", false},
        {"no user value", "\"D:\\Apps\\Tolvek.exe\"", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry fresh;
        if (!c.machine.empty()) {
            const OpenedKey key = CreateKeyPath(fresh, Hive::LocalMachine, kRunKeyPath);
            ASSERT_EQ(kErrorSuccess, key.result());
            fresh.SetString(key.handle(), kAutostartValue, c.machine);
        }
        if (!c.user.empty()) {
            const OpenedKey key = CreateKeyPath(fresh, Hive::CurrentUser, kRunKeyPath);
            ASSERT_EQ(kErrorSuccess, key.result());
            fresh.SetString(key.handle(), kAutostartValue, c.user);
        }
        EXPECT_EQ(c.retired, RetireUserAutostart(fresh));
        EXPECT_EQ(c.retired || c.user.empty() ? "<missing>" : c.user + std::string(1, '\0'),
                  fresh.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue));
        EXPECT_EQ(0u, fresh.OpenKeys());
    }
}

TEST_F(InstallRecordTest, WritesWithoutTheRightReportTheirFailure) {
    registry.denyWrites = true;
    EXPECT_EQ(kErrorAccessDenied, WriteInstallationRecord(registry, kDirectory));
    EXPECT_FALSE(registry.HasKey(Hive::LocalMachine, kRecordKeyPath));
    EXPECT_EQ(kErrorAccessDenied, AddAutostart(registry, kDirectory)) << "the start at logon is the machine's";
    EXPECT_EQ(kErrorSuccess, WriteDataHome(registry, "C:\\Home")) << "the user's own hive stays writable";
    registry.denyUserWrites = true;
    EXPECT_EQ(kErrorAccessDenied, WriteDataHome(registry, "C:\\Home"));
}

// A key that went through the seam's owner is closed once, whoever holds it last; one that
// failed to open is never closed.
TEST_F(InstallRecordTest, OpenedKeyClosesOnceWhereverItIsMovedAndNeverWhenItFailed) {
    struct CountingRegistry : MemoryRegistry {
        void CloseKey(RegistryKey key) override {
            ++closes;
            MemoryRegistry::CloseKey(key);
        }
        int closes = 0;
    } counting;
    {
        OpenedKey first = OpenKey(counting, Hive::LocalMachine, kUninstallListPath, KeyAccess::Read);
        ASSERT_TRUE(first.isOpen());
        const OpenedKey last(std::move(first));
        EXPECT_EQ(1u, counting.OpenKeys());
        const OpenedKey missing = OpenKey(counting, Hive::LocalMachine, "software\no such key", KeyAccess::Read);
        EXPECT_EQ(kErrorFileNotFound, missing.result());
        EXPECT_FALSE(missing.isOpen());
    }
    EXPECT_EQ(1, counting.closes);
    EXPECT_EQ(0u, counting.OpenKeys());
}

}  // namespace
