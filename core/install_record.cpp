#include "install_record.h"

#include <cstring>

#include "file_system.h"
#include "product.h"

const char kUninstallListPath[] = "software\\microsoft\\windows\\currentversion\\uninstall";
const char kRecordKeyPath[] = "software\\microsoft\\windows\\currentversion\\uninstall\\tolvek";
const char kRunKeyPath[] = "software\\microsoft\\windows\\currentversion\\run";
const char kAutostartValue[] = "TolvekDiary";
const char kPerUserKeyPath[] = "Software\\" TOLVEK_USER_KEY_NAME;

namespace {

// Remembers the first failing code of a sequence of calls.
long FirstFailure(long sofar, long code) { return sofar != kErrorSuccess ? sofar : code; }

}  // namespace

OpenedKey OpenKey(Registry& registry, Hive hive, const std::string& path, KeyAccess access) {
    RegistryKey key = 0;
    const long result = registry.OpenKey(hive, path, access, key);
    return OpenedKey(registry, result, key);
}

OpenedKey CreateSubkey(Registry& registry, const OpenedKey& parent, const std::string& subkey) {
    RegistryKey key = 0;
    const long result = registry.CreateKey(parent.handle(), subkey, key);
    return OpenedKey(registry, result, key);
}

OpenedKey CreateKeyPath(Registry& registry, Hive hive, const std::string& path) {
    RegistryKey key = 0;
    const long result = registry.CreateKeyPath(hive, path, key);
    return OpenedKey(registry, result, key);
}

std::string UninstallCommand(const std::string& directory) {
    return "\"" + directory + "\\" TOLVEK_UNINSTALLER_FILE "\"";
}

std::string AutostartCommand(const std::string& directory) {
    return "\"" + directory + "\\" TOLVEK_PROGRAM_FILE "\"";
}

bool MayChangeInstallationRecord(Registry& registry) {
    return OpenKey(registry, Hive::LocalMachine, kUninstallListPath, KeyAccess::Write).isOpen();
}

long ReadInstallPath(Registry& registry, std::string& directory) {
    const OpenedKey record = OpenKey(registry, Hive::LocalMachine, kRecordKeyPath, KeyAccess::Read);
    if (!record.isOpen()) return record.result();
    char buffer[kMaxInstallPathLength + 1] = {};
    uint32_t size = sizeof buffer;
    const long result = registry.QueryValue(record.handle(), "Path", buffer, size);
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
    const OpenedKey key = OpenKey(registry, hive, path, KeyAccess::Read);
    if (!key.isOpen()) return false;
    unsigned char advance[4] = {}, period[4] = {};
    uint32_t advanceSize = sizeof advance, periodSize = sizeof period;
    const bool bothRead =
        registry.QueryValue(key.handle(), "DefNoteAdvance", advance, advanceSize) == kErrorSuccess &&
        registry.QueryValue(key.handle(), "DefNotePeriod", period, periodSize) == kErrorSuccess;
    if (!bothRead) return false;
    note.advance = GetInt32(advance);
    note.period = GetInt32(period);
    return true;
}

// Into an opened key; the key's own failure to open comes first.
long SetDefaultsPair(Registry& registry, const OpenedKey& key, const Note& note) {
    if (!key.isOpen()) return key.result();
    const long result = registry.SetDword(key.handle(), "DefNoteAdvance", static_cast<uint32_t>(note.advance));
    return FirstFailure(result,
                        registry.SetDword(key.handle(), "DefNotePeriod", static_cast<uint32_t>(note.period)));
}

}  // namespace

void ReadNoteDefaults(Registry& registry, Note& note) {
    if (!ReadDefaultsPair(registry, Hive::CurrentUser, kPerUserKeyPath, note))
        ReadDefaultsPair(registry, Hive::LocalMachine, kRecordKeyPath, note);
}

long WriteNoteDefaults(Registry& registry, const Note& note) {
    // A missing record is not created.
    if (SetDefaultsPair(registry, OpenKey(registry, Hive::LocalMachine, kRecordKeyPath, KeyAccess::SetValue), note) ==
        kErrorSuccess) {
        RemovePerUserDefaults(registry);  // the pair it held must not shadow this one
        return kErrorSuccess;
    }
    return SetDefaultsPair(registry, CreateKeyPath(registry, Hive::CurrentUser, kPerUserKeyPath), note);
}

namespace {

// The record's key under the list of installed programs; the list is closed again at once.
OpenedKey CreateRecordKey(Registry& registry) {
    const OpenedKey list = OpenKey(registry, Hive::LocalMachine, kUninstallListPath, KeyAccess::Write);
    if (!list.isOpen()) return OpenedKey(registry, list.result(), 0);
    return CreateSubkey(registry, list, "tolvek");
}

}  // namespace

long WriteInstallationRecord(Registry& registry, const std::string& directory, uint32_t sizeKiB) {
    const OpenedKey record = CreateRecordKey(registry);
    if (!record.isOpen()) return record.result();
    const RegistryKey key = record.handle();
    long result = registry.SetString(key, "Path", directory);
    result = FirstFailure(result, registry.SetString(key, "UninstallString", UninstallCommand(directory)));
    result = FirstFailure(result, registry.SetString(key, "DisplayName", TOLVEK_PRODUCT_NAME));
    result = FirstFailure(result, registry.SetString(key, "DisplayIcon", directory + "\\" TOLVEK_PROGRAM_FILE));
    result = FirstFailure(result, registry.SetString(key, "DisplayVersion", TOLVEK_VERSION_TEXT));
    result = FirstFailure(result, registry.SetString(key, "Publisher", TOLVEK_PUBLISHER));
    result = FirstFailure(result, registry.SetString(key, "InstallLocation", directory));
    result = FirstFailure(result, registry.SetDword(key, "EstimatedSize", sizeKiB));
    result = FirstFailure(result, registry.SetDword(key, "NoModify", 1));
    return FirstFailure(result, registry.SetDword(key, "NoRepair", 1));
}

long AddAutostart(Registry& registry, const std::string& directory) {
    const OpenedKey run = CreateKeyPath(registry, Hive::LocalMachine, kRunKeyPath);
    if (!run.isOpen()) return run.result();
    return registry.SetString(run.handle(), kAutostartValue, AutostartCommand(directory));
}

namespace {

enum class Removed { Subkey, Value };

// Opens the key at `path` for writing and deletes one subkey or value in it.
long RemoveFromKey(Registry& registry, Hive hive, const char* path, Removed what, const char* name) {
    const OpenedKey key = OpenKey(registry, hive, path, KeyAccess::Write);
    if (!key.isOpen()) return key.result();
    return what == Removed::Subkey ? registry.DeleteKey(key.handle(), name) : registry.DeleteValue(key.handle(), name);
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
    const OpenedKey key = OpenKey(registry, hive, path, KeyAccess::Read);
    if (!key.isOpen()) return "";
    char buffer[kMaxInstallPathLength + 1] = {};
    uint32_t size = sizeof buffer;
    if (registry.QueryValue(key.handle(), name, buffer, size) != kErrorSuccess) return "";
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
    return RemoveFromKey(registry, Hive::CurrentUser, "Software", Removed::Subkey, TOLVEK_USER_KEY_NAME);
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
    const OpenedKey key = CreateKeyPath(registry, Hive::CurrentUser, kPerUserKeyPath);
    if (!key.isOpen()) return key.result();
    return registry.SetString(key.handle(), kDataHomeValue, folder);
}
