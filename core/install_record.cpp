#include "install_record.h"

#include <cstring>

const char kUninstallListPath[] = "software\\microsoft\\windows\\currentversion\\uninstall";
const char kRecordKeyPath[] = "software\\microsoft\\windows\\currentversion\\uninstall\\tolvek";
const char kRunKeyPath[] = "software\\microsoft\\windows\\currentversion\\run";
const char kAutostartValue[] = "TolvekDiary";
const char kDisplayName[] = "Tolvek Diary";

namespace {

// Remembers the first failing code of a sequence of calls.
long FirstFailure(long sofar, long code) { return sofar != kErrorSuccess ? sofar : code; }

}  // namespace

std::string UninstallCommand(const std::string& directory) { return directory + "\\Uninstall.exe"; }

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

void ReadNoteDefaults(Registry& registry, Note& note) {
    RegistryKey key = 0;
    if (registry.OpenKey(Hive::LocalMachine, kRecordKeyPath, KeyAccess::Read, key) != kErrorSuccess)
        return;
    unsigned char advance[4] = {}, period[4] = {};
    uint32_t advanceSize = sizeof advance, periodSize = sizeof period;
    const bool bothRead =
        registry.QueryValue(key, "DefNoteAdvance", advance, advanceSize) == kErrorSuccess &&
        registry.QueryValue(key, "DefNotePeriod", period, periodSize) == kErrorSuccess;
    registry.CloseKey(key);
    if (!bothRead) return;
    note.advance = GetInt32(advance);
    note.period = GetInt32(period);
}

long WriteNoteDefaults(Registry& registry, const Note& note) {
    RegistryKey key = 0;
    long result = registry.OpenKey(Hive::LocalMachine, kRecordKeyPath, KeyAccess::SetValue, key);
    if (result != kErrorSuccess) return result;  // a missing key is not created
    result = registry.SetDword(key, "DefNoteAdvance", static_cast<uint32_t>(note.advance));
    result = FirstFailure(result, registry.SetDword(key, "DefNotePeriod", static_cast<uint32_t>(note.period)));
    registry.CloseKey(key);
    return result;
}

long WriteInstallationRecord(Registry& registry, const std::string& directory) {
    RegistryKey list = 0, record = 0;
    long result = registry.OpenKey(Hive::LocalMachine, kUninstallListPath, KeyAccess::Write, list);
    if (result != kErrorSuccess) return result;
    result = registry.CreateKey(list, "tolvek", record);
    registry.CloseKey(list);
    if (result != kErrorSuccess) return result;
    result = registry.SetString(record, "Path", directory);
    result = FirstFailure(result, registry.SetString(record, "UninstallString", UninstallCommand(directory)));
    result = FirstFailure(result, registry.SetString(record, "DisplayName", kDisplayName));
    registry.CloseKey(record);
    return result;
}

long AddAutostart(Registry& registry, const std::string& directory) {
    RegistryKey run = 0;
    long result = registry.OpenKey(Hive::CurrentUser, kRunKeyPath, KeyAccess::Write, run);
    if (result != kErrorSuccess) return result;
    result = registry.SetString(run, kAutostartValue, AutostartCommand(directory));
    registry.CloseKey(run);
    return result;
}

long RemoveInstallationRecord(Registry& registry) {
    RegistryKey list = 0;
    long result = registry.OpenKey(Hive::LocalMachine, kUninstallListPath, KeyAccess::Write, list);
    if (result != kErrorSuccess) return result;
    result = registry.DeleteKey(list, "Tolvek");
    registry.CloseKey(list);
    return result;
}

long RemoveAutostart(Registry& registry) {
    RegistryKey run = 0;
    long result = registry.OpenKey(Hive::CurrentUser, kRunKeyPath, KeyAccess::Write, run);
    if (result != kErrorSuccess) return result;
    result = registry.DeleteValue(run, kAutostartValue);
    registry.CloseKey(run);
    return result;
}
