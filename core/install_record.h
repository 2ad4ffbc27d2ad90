// The installation record: the machine-wide uninstall key that tells the three programs
// where the system lives and keeps the defaults for new notes, the machine-wide autostart
// value that starts Tolvek at every user's logon, and each user's own key with the home
// of that user's diary. The operations are written against a small registry seam, so their keys,
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
constexpr long kErrorPathNotFound = 3;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorMoreData = 234;

// One call of the registry each; every call gives the platform's error code.
class Registry {
public:
    virtual ~Registry() = default;
    virtual long OpenKey(Hive hive, const std::string& path, KeyAccess access, RegistryKey& key) = 0;
    // Creates the subkey or opens it where it exists.
    virtual long CreateKey(RegistryKey parent, const std::string& subkey, RegistryKey& key) = 0;
    // Creates every missing level of `path` under the hive and opens the key for writing.
    virtual long CreateKeyPath(Hive hive, const std::string& path, RegistryKey& key) = 0;
    // Reads a value's bytes into `buffer`; `size` gives the room and receives the length.
    virtual long QueryValue(RegistryKey key, const std::string& name, void* buffer, uint32_t& size) = 0;
    // A REG_SZ value, its terminating NUL counted in its size.
    virtual long SetString(RegistryKey key, const std::string& name, const std::string& text) = 0;
    virtual long SetDword(RegistryKey key, const std::string& name, uint32_t value) = 0;
    virtual long DeleteKey(RegistryKey parent, const std::string& subkey) = 0;
    virtual long DeleteValue(RegistryKey key, const std::string& name) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

// A key opened through the seam and closed through it when it goes out of scope, so that
// no path of an operation can leave it open. Move-only; holds a key only when `result()`
// is kErrorSuccess.
class OpenedKey {
public:
    OpenedKey(Registry& registry, long result, RegistryKey handle)
        : registry_(&registry), result_(result), handle_(handle) {}
    OpenedKey(OpenedKey&& other) noexcept
        : registry_(other.registry_), result_(other.result_), handle_(other.handle_) {
        other.result_ = kErrorFileNotFound;
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    OpenedKey& operator=(OpenedKey&&) = delete;
    ~OpenedKey() {
        if (result_ == kErrorSuccess) registry_->CloseKey(handle_);
    }

    long result() const { return result_; }
    bool isOpen() const { return result_ == kErrorSuccess; }
    RegistryKey handle() const { return handle_; }

private:
    Registry* registry_;
    long result_;
    RegistryKey handle_;
};

OpenedKey OpenKey(Registry& registry, Hive hive, const std::string& path, KeyAccess access);
OpenedKey CreateSubkey(Registry& registry, const OpenedKey& parent, const std::string& subkey);
OpenedKey CreateKeyPath(Registry& registry, Hive hive, const std::string& path);

extern const char kUninstallListPath[];  // "software\microsoft\windows\currentversion\uninstall"
extern const char kRecordKeyPath[];      // ...\uninstall\tolvek
extern const char kRunKeyPath[];         // "software\microsoft\windows\currentversion\run", in both hives
extern const char kAutostartValue[];     // "TolvekDiary"
extern const char kPerUserKeyPath[];     // "Software\Tolvek Diary" under HKEY_CURRENT_USER

// The longest "Path" that readers accept.
constexpr std::size_t kMaxInstallPathLength = 998;

// What Setup writes for a directory.
// Quoted: an unquoted path with blanks lets the system try "C:\Program.exe" first.
std::string UninstallCommand(const std::string& directory);   // "dir\Uninstall.exe"
std::string AutostartCommand(const std::string& directory);   // "dir\Tolvek.exe", quoted

// Whether this user may change the machine-wide record: the installer and the uninstaller
// ask before they change anything, so that a run without the right leaves nothing half done.
bool MayChangeInstallationRecord(Registry& registry);

// Gives 0 and the directory, or the registry's error code (2 no "Path", 234 too long).
long ReadInstallPath(Registry& registry, std::string& directory);
// Sets the note's advance and period only when both defaults of the record can be read;
// a pair under the per-user key, where a user without the right to change the record
// keeps them, takes precedence.
void ReadNoteDefaults(Registry& registry, Note& note);
// The results of the writers and removers are for callers that check them; the first failing
// call's code, or 0.
// Stores the note's pair in the record; where the record cannot be written (a standard
// user), under the per-user key instead. A pair stored in the record retires the
// per-user one, so the last accepted note always wins.
long WriteNoteDefaults(Registry& registry, const Note& note);
// The record and, with it, the entry in the list of installed programs; `sizeKiB` is what
// the installed files take.
long WriteInstallationRecord(Registry& registry, const std::string& directory, uint32_t sizeKiB = 0);
// The start at logon, under HKEY_LOCAL_MACHINE: the installation is per machine, so that an
// administrator installing for a standard user reaches that user too. Creates a missing
// "Run" key.
long AddAutostart(Registry& registry, const std::string& directory);
long RemoveInstallationRecord(Registry& registry);
long RemoveAutostart(Registry& registry);
// The per-user start at logon that earlier versions wrote for the account that ran Setup.
long RemoveUserAutostart(Registry& registry);
// Removes this account's per-user start at logon where the machine's names the same
// program, so that a logon does not start Tolvek twice; true when it removed it.
bool RetireUserAutostart(Registry& registry);
// The per-user key: the defaults of a user who could not write the record and the home of
// the user's diary.
long RemovePerUserSettings(Registry& registry);
// Only the two defaults of the per-user key: the home recorded beside them stays.
long RemovePerUserDefaults(Registry& registry);

// The folder that holds this user's diary, once chosen; 2 (not found) while none is recorded.
long ReadDataHome(Registry& registry, std::string& folder);
long WriteDataHome(Registry& registry, const std::string& folder);
