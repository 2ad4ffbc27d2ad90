#include "install_record.h"

#include <cstring>

#include "file_system.h"

const char kUninstallListPath[] = "software\\microsoft\\windows\\currentversion\\uninstall";
const char kRecordKeyPath[] = "software\\microsoft\\windows\\currentversion\\uninstall\\tolvek";
const char kRunKeyPath[] = "software\\microsoft\\windows\\currentversion\\run";
const char kAutostartValue[] = "TolvekDiary";
const char kDisplayName[] = "Tolvek Diary";
const char kPerUserKeyPath[] = "Software\\Tolvek Diary";
const char kPublisher[] = "the Tolvek team";
const char kDisplayVersion[] = "1.1";

namespace {

// Remembers the first failing code of a sequence of calls.
long FirstFailure(long sofar, long code) { return sofar != kErrorSuccess ? sofar : code; }

}  // namespace

std::string UninstallCommand(const std::string& directory) { return "\"" + directory + "\\Uninstall.exe\""; }

std::string AutostartCommand(const std::string& directory) {
    return "\"" + directory + "\\Tolvek.exe\"";
}

bool MayChangeInstallationRecord(Registry& registry) {
    RegistryKey list = 0;
    if (registry.OpenKey(Hive::LocalMachine, kUninstallListPath, KeyAccess::Write, list) != kErrorSuccess)
        return false;
    registry.CloseKey(list);
    return true;
}

long ReadInstallPath(Registry& registry, std::string& directory) {
    RegistryKey key = 0;
    long result = registry.OpenKey(Hive::LocalMachine, kRecordKeyPath, KeyAccess::Read, key);
    if (result != kErrorSuccess) return result;
    char buffer[kMaxInstallPathLength + 1] = {};
    uint32_t size = sizeof buffer;
    result = registry.QueryValue(key, "Path", buffer, size);
    registry.CloseKey(key);
    if (result != kErrorSuccess) return result;
    // A value stored without its NUL is taken up to the buffer's end, never past it.
    const std::size_t length = size < sizeof buffer ? size : sizeof buffer;
    const void* end = std::memchr(buffer, '\0', length);
    directory.assign(buffer, end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer) : length);
    if (directory.size() > kMaxInstallPathLength) return kErrorMoreData;
    return kErrorSuccess;
}

namespace {

// Both defaults from one key, or false and nothing changed.
bool ReadDefaultsPair(Registry& registry, Hive hive, const char* path, Note& note) {
    RegistryKey key = 0;
    if (registry.OpenKey(hive, path, KeyAccess::Read, key) != kErrorSuccess) return false;
    unsigned char advance[4] = {}, period[4] = {};
    uint32_t advanceSize = sizeof advance, periodSize = sizeof period;
    const bool bothRead =
        registry.QueryValue(key, "DefNoteAdvance", advance, advanceSize) == kErrorSuccess &&
        registry.QueryValue(key, "DefNotePeriod", period, periodSize) == kErrorSuccess;
    registry.CloseKey(key);
    if (!bothRead) return false;
    note.advance = GetInt32(advance);
    note.period = GetInt32(period);
    return true;
}

long SetDefaultsPair(Registry& registry, RegistryKey key, const Note& note) {
    const long result = registry.SetDword(key, "DefNoteAdvance", static_cast<uint32_t>(note.advance));
    return FirstFailure(result, registry.SetDword(key, "DefNotePeriod", static_cast<uint32_t>(note.period)));
}

}  // namespace

void ReadNoteDefaults(Registry& registry, Note& note) {
    if (!ReadDefaultsPair(registry, Hive::CurrentUser, kPerUserKeyPath, note))
        ReadDefaultsPair(registry, Hive::LocalMachine, kRecordKeyPath, note);
}

long WriteNoteDefaults(Registry& registry, const Note& note) {
    RegistryKey key = 0;
    // A missing record is not created.
    long result = registry.OpenKey(Hive::LocalMachine, kRecordKeyPath, KeyAccess::SetValue, key);
    if (result == kErrorSuccess) {
        result = SetDefaultsPair(registry, key, note);
        registry.CloseKey(key);
    }
    if (result == kErrorSuccess) {
        RemovePerUserDefaults(registry);  // the pair it held must not shadow this one
        return result;
    }
    result = registry.CreateKeyPath(Hive::CurrentUser, kPerUserKeyPath, key);
    if (result != kErrorSuccess) return result;
    result = SetDefaultsPair(registry, key, note);
    registry.CloseKey(key);
    return result;
}

long WriteInstallationRecord(Registry& registry, const std::string& directory, uint32_t sizeKiB) {
    RegistryKey list = 0, record = 0;
    long result = registry.OpenKey(Hive::LocalMachine, kUninstallListPath, KeyAccess::Write, list);
    if (result != kErrorSuccess) return result;
    result = registry.CreateKey(list, "tolvek", record);
    registry.CloseKey(list);
    if (result != kErrorSuccess) return result;
    result = registry.SetString(record, "Path", directory);
    result = FirstFailure(result, registry.SetString(record, "UninstallString", UninstallCommand(directory)));
    result = FirstFailure(result, registry.SetString(record, "DisplayName", kDisplayName));
    result = FirstFailure(result, registry.SetString(record, "DisplayIcon", directory + "\\Tolvek.exe"));
    result = FirstFailure(result, registry.SetString(record, "DisplayVersion", kDisplayVersion));
    result = FirstFailure(result, registry.SetString(record, "Publisher", kPublisher));
    result = FirstFailure(result, registry.SetString(record, "InstallLocation", directory));
    result = FirstFailure(result, registry.SetDword(record, "EstimatedSize", sizeKiB));
    result = FirstFailure(result, registry.SetDword(record, "NoModify", 1));
    result = FirstFailure(result, registry.SetDword(record, "NoRepair", 1));
    registry.CloseKey(record);
    return result;
}

long AddAutostart(Registry& registry, const std::string& directory) {
    RegistryKey run = 0;
    long result = registry.CreateKeyPath(Hive::LocalMachine, kRunKeyPath, run);
    if (result != kErrorSuccess) return result;
    result = registry.SetString(run, kAutostartValue, AutostartCommand(directory));
    registry.CloseKey(run);
    return result;
}

namespace {

enum class Removed { Subkey, Value };

// Opens the key at `path` for writing and deletes one subkey or value in it.
long RemoveFromKey(Registry& registry, Hive hive, const char* path, Removed what, const char* name) {
    RegistryKey key = 0;
    long result = registry.OpenKey(hive, path, KeyAccess::Write, key);
    if (result != kErrorSuccess) return result;
    result = what == Removed::Subkey ? registry.DeleteKey(key, name) : registry.DeleteValue(key, name);
    registry.CloseKey(key);
    return result;
}

}  // namespace

// "Tolvek": the key Setup creates as "tolvek", matched without regard to case.
long RemoveInstallationRecord(Registry& registry) {
    return RemoveFromKey(registry, Hive::LocalMachine, kUninstallListPath, Removed::Subkey, "Tolvek");
}

long RemoveAutostart(Registry& registry) {
    return RemoveFromKey(registry, Hive::LocalMachine, kRunKeyPath, Removed::Value, kAutostartValue);
}

long RemoveUserAutostart(Registry& registry) {
    return RemoveFromKey(registry, Hive::CurrentUser, kRunKeyPath, Removed::Value, kAutostartValue);
}

namespace {

// A string value whole, or empty when it cannot be read.
std::string ReadString(Registry& registry, Hive hive, const char* path, const char* name) {
    RegistryKey key = 0;
    if (registry.OpenKey(hive, path, KeyAccess::Read, key) != kErrorSuccess) return "";
    char buffer[kMaxInstallPathLength + 1] = {};
    uint32_t size = sizeof buffer;
    const long result = registry.QueryValue(key, name, buffer, size);
    registry.CloseKey(key);
    if (result != kErrorSuccess) return "";
    const std::size_t length = size < sizeof buffer ? size : sizeof buffer;
    const void* end = std::memchr(buffer, '\0', length);
    return std::string(buffer, end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer) : length);
}

}  // namespace

bool RetireUserAutostart(Registry& registry) {
    const std::string user = ReadString(registry, Hive::CurrentUser, kRunKeyPath, kAutostartValue);
    if (user.empty()) return false;
    // Paths are matched as the file system matches them, without regard to case.
    if (!SamePath(user, ReadString(registry, Hive::LocalMachine, kRunKeyPath, kAutostartValue))) return false;
    return RemoveUserAutostart(registry) == kErrorSuccess;
}

long RemovePerUserSettings(Registry& registry) {
    return RemoveFromKey(registry, Hive::CurrentUser, "Software", Removed::Subkey, "Tolvek Diary");
}

long RemovePerUserDefaults(Registry& registry) {
    const long result = RemoveFromKey(registry, Hive::CurrentUser, kPerUserKeyPath, Removed::Value, "DefNoteAdvance");
    return FirstFailure(result,
                        RemoveFromKey(registry, Hive::CurrentUser, kPerUserKeyPath, Removed::Value, "DefNotePeriod"));
}

namespace {
const char kDataHomeValue[] = "DataFolder";
}

long ReadDataHome(Registry& registry, std::string& folder) {
    folder = ReadString(registry, Hive::CurrentUser, kPerUserKeyPath, kDataHomeValue);
    return folder.empty() ? kErrorFileNotFound : kErrorSuccess;
}

long WriteDataHome(Registry& registry, const std::string& folder) {
    RegistryKey key = 0;
    long result = registry.CreateKeyPath(Hive::CurrentUser, kPerUserKeyPath, key);
    if (result != kErrorSuccess) return result;
    result = registry.SetString(key, kDataHomeValue, folder);
    registry.CloseKey(key);
    return result;
}
