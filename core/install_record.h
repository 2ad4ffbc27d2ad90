// The installation record: the machine-wide uninstall key that tells the three programs
// where the system lives and keeps the defaults for new notes, and the per-user autostart
// value. The operations are written against a small registry seam, so their keys,
// names and formats are tested on any host; the programs pass the real registry.
#pragma once

#include <cstdint>
#include <string>

#include "note.h"

enum class Hive { LocalMachine, CurrentUser };
enum class KeyAccess { Read, SetValue, Write };
using RegistryKey = uintptr_t;

// Win32 error codes the operations pass on.
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorMoreData = 234;

// One call of the registry each; every call gives the platform's error code.
class Registry {
public:
    virtual ~Registry() = default;
    virtual long OpenKey(Hive hive, const std::string& path, KeyAccess access, RegistryKey& key) = 0;
    // Creates the subkey or opens it where it exists.
    virtual long CreateKey(RegistryKey parent, const std::string& subkey, RegistryKey& key) = 0;
    // Reads a value's bytes into `buffer`; `size` gives the room and receives the length.
    virtual long QueryValue(RegistryKey key, const std::string& name, void* buffer, uint32_t& size) = 0;
    // A REG_SZ value, its terminating NUL counted in its size.
    virtual long SetString(RegistryKey key, const std::string& name, const std::string& text) = 0;
    virtual long SetDword(RegistryKey key, const std::string& name, uint32_t value) = 0;
    virtual long DeleteKey(RegistryKey parent, const std::string& subkey) = 0;
    virtual long DeleteValue(RegistryKey key, const std::string& name) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

extern const char kUninstallListPath[];  // "software\microsoft\windows\currentversion\uninstall"
extern const char kRecordKeyPath[];      // ...\uninstall\tolvek
extern const char kRunKeyPath[];         // "software\microsoft\windows\currentversion\run"
extern const char kAutostartValue[];     // "TolvekDiary"
extern const char kDisplayName[];        // "Tolvek Diary"

// The longest "Path" that readers accept.
constexpr std::size_t kMaxInstallPathLength = 998;

// What Setup writes for a directory.
std::string UninstallCommand(const std::string& directory);   // dir\Uninstall.exe, no quotes
std::string AutostartCommand(const std::string& directory);   // "dir\Tolvek.exe", quoted

// Whether this user may change the machine-wide record: the installer and the uninstaller
// ask before they change anything, so that a run without the right leaves nothing half done.
bool MayChangeInstallationRecord(Registry& registry);

// Gives 0 and the directory, or the registry's error code (2 no "Path", 234 too long).
long ReadInstallPath(Registry& registry, std::string& directory);
// Sets the note's advance and period only when both defaults can be read.
void ReadNoteDefaults(Registry& registry, Note& note);
// The results of the writers and removers are for callers that check them; the first failing
// call's code, or 0.
long WriteNoteDefaults(Registry& registry, const Note& note);
long WriteInstallationRecord(Registry& registry, const std::string& directory);
long AddAutostart(Registry& registry, const std::string& directory);
long RemoveInstallationRecord(Registry& registry);
long RemoveAutostart(Registry& registry);
