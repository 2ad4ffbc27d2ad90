// Stand-ins for the installer's and uninstaller's host tests: a small disk of Windows-style
// paths that refuses what the real one refuses, a registry that fails one chosen call, and
// printable listings of both, so a test can say "nothing changed" and show what did.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "install_record.h"
#include "memory_registry.h"
#include "message_box.h"

namespace install_fakes {

// Win32 values of the box styles and answers, written out here so that a wrong constant
// in the programs cannot agree with itself.
constexpr unsigned kOk = 0x0;                      // MB_OK
constexpr unsigned kOkCancel = 0x1;                // MB_OKCANCEL
constexpr unsigned kOkCancelQuestion = 0x1 | 0x20;  // MB_OKCANCEL | MB_ICONQUESTION
constexpr unsigned kError = 0x10;                  // MB_OK | MB_ICONERROR
constexpr int kOkButton = 1;                       // IDOK
constexpr int kCancelButton = 2;                   // IDCANCEL

struct Box {
    std::string text, title;
    unsigned style;
};
inline bool operator==(const Box& a, const Box& b) {
    return a.text == b.text && a.title == b.title && a.style == b.style;
}
inline std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "{[" << box.title << "] \"" << box.text << "\" style " << box.style << "}";
}

// Answers message boxes from a script and keeps what they said.
class BoxScript {
public:
    std::deque<int> answers;
    std::vector<Box> shown;

    int Show(const MessageBoxText& box, std::vector<std::string>& steps) {
        shown.push_back({box.text, box.title, box.style});
        steps.push_back(std::string("box ") + box.title);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected box: " << shown.back();
            return kCancelButton;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Directories and files by full path ("D:\Apps\Tolvek Diary"); a name without a drive is
// taken from the current directory. Files named in `inUse` can be neither replaced nor
// deleted, as a running program's file.
class FakeDisk {
public:
    std::set<std::string> directories;
    std::map<std::string, std::string> files;
    std::set<std::string> inUse;
    std::string currentDirectory;

    std::string Resolve(const std::string& name) const {
        return name.find(':') != std::string::npos ? name : currentDirectory + "\\" + name;
    }
    static std::string Parent(const std::string& path) {
        const std::size_t last = path.rfind('\\');
        return last == std::string::npos ? "" : path.substr(0, last);
    }
    bool Exists(const std::string& path) const { return directories.count(path) || files.count(path); }
    bool HasFile(const std::string& path) const { return files.count(path) != 0; }

    bool MakeDirectory(const std::string& path) {
        if (Exists(path) || !directories.count(Parent(path))) return false;
        directories.insert(path);
        return true;
    }
    bool Copy(const std::string& from, const std::string& to) {
        const std::string source = Resolve(from), target = Resolve(to);
        if (!files.count(source) || !directories.count(Parent(target)) || directories.count(target) ||
            inUse.count(target))
            return false;
        files[target] = files[source];
        return true;
    }
    bool Remove(const std::string& name) {
        const std::string path = Resolve(name);
        if (!files.count(path) || inUse.count(path)) return false;
        files.erase(path);
        return true;
    }
    bool RemoveEmptyDirectory(const std::string& path) {
        if (!directories.count(path)) return false;
        const std::string inside = path + "\\";
        for (const auto& file : files)
            if (file.first.compare(0, inside.size(), inside) == 0) return false;
        for (const auto& directory : directories)
            if (directory.compare(0, inside.size(), inside) == 0) return false;
        directories.erase(path);
        return true;
    }
    bool Enter(const std::string& directory) {
        if (!directories.count(directory)) return false;
        currentDirectory = directory;
        return true;
    }

    // Every directory and file with its contents, one a line.
    std::string Listing() const {
        std::string listing;
        for (const auto& directory : directories) listing += "dir  " + directory + "\n";
        for (const auto& file : files) listing += "file " + file.first + " = " + file.second + "\n";
        return listing;
    }
};

// Passes every call to the registry underneath, except the ones told to fail, which give
// "access denied" as a registry with a stricter rule on one key would.
class FailingRegistry : public Registry {
public:
    explicit FailingRegistry(Registry& inner) : inner_(inner) {}
    std::string failSetStringOf;  // a value name whose writes fail
    bool failDeleteKey = false;

    long OpenKey(Hive hive, const std::string& path, KeyAccess access, RegistryKey& key) override {
        return inner_.OpenKey(hive, path, access, key);
    }
    long CreateKey(RegistryKey parent, const std::string& subkey, RegistryKey& key) override {
        return inner_.CreateKey(parent, subkey, key);
    }
    long CreateKeyPath(Hive hive, const std::string& path, RegistryKey& key) override {
        return inner_.CreateKeyPath(hive, path, key);
    }
    long QueryValue(RegistryKey key, const std::string& name, void* buffer, uint32_t& size) override {
        return inner_.QueryValue(key, name, buffer, size);
    }
    long SetString(RegistryKey key, const std::string& name, const std::string& text) override {
        if (name == failSetStringOf) return kErrorAccessDenied;
        return inner_.SetString(key, name, text);
    }
    long SetDword(RegistryKey key, const std::string& name, uint32_t value) override {
        return inner_.SetDword(key, name, value);
    }
    long DeleteKey(RegistryKey parent, const std::string& subkey) override {
        if (failDeleteKey) return kErrorAccessDenied;
        return inner_.DeleteKey(parent, subkey);
    }
    long DeleteValue(RegistryKey key, const std::string& name) override { return inner_.DeleteValue(key, name); }
    void CloseKey(RegistryKey key) override { inner_.CloseKey(key); }

private:
    Registry& inner_;
};

// The record key's values and the autostart value, one a line, with their types.
inline std::string RecordListing(MemoryRegistry& registry) {
    std::string listing;
    if (MemoryRegistry::Values* record = registry.ValuesOf(Hive::LocalMachine, kRecordKeyPath)) {
        listing += "record key\n";
        for (const auto& value : *record) {
            listing += "  " + value.first + " (" + std::to_string(value.second.type) + ") =";
            for (unsigned char byte : value.second.data) listing += " " + std::to_string(byte);
            listing += "\n";
        }
    } else {
        listing += "no record key\n";
    }
    listing += "autostart " + registry.StringOf(Hive::LocalMachine, kRunKeyPath, kAutostartValue) + "\n";
    listing += "user autostart " + registry.StringOf(Hive::CurrentUser, kRunKeyPath, kAutostartValue) + "\n";
    return listing;
}

// The per-user start at logon as versions before the per-machine installation wrote it.
inline void AddEarlierUserAutostart(MemoryRegistry& registry, const std::string& directory) {
    const OpenedKey run = CreateKeyPath(registry, Hive::CurrentUser, kRunKeyPath);
    ASSERT_EQ(kErrorSuccess, run.result());
    registry.SetString(run.handle(), kAutostartValue, AutostartCommand(directory));
}

inline void SetDefaults(MemoryRegistry& registry, uint32_t advance, uint32_t period) {
    const OpenedKey key = OpenKey(registry, Hive::LocalMachine, kRecordKeyPath, KeyAccess::SetValue);
    ASSERT_EQ(kErrorSuccess, key.result());
    registry.SetDword(key.handle(), "DefNoteAdvance", advance);
    registry.SetDword(key.handle(), "DefNotePeriod", period);
}

}  // namespace install_fakes
