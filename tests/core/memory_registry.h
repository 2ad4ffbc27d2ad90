// An in-memory registry for host tests: keys matched without regard to case, as the
// real one does, with REG_SZ and REG_DWORD values and a switch that denies writes.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "install_record.h"

class MemoryRegistry : public Registry {
public:
    struct Value {
        uint32_t type;  // 1 REG_SZ, 4 REG_DWORD
        std::vector<unsigned char> data;
    };
    using Values = std::map<std::string, Value>;  // lower-case names

    MemoryRegistry() {
        keys_[Path(Hive::LocalMachine, kUninstallListPath)];
        keys_[Path(Hive::CurrentUser, kRunKeyPath)];
        keys_[Path(Hive::CurrentUser, "Software")];
    }

    bool denyWrites = false;      // a user without the right to change the machine
    bool denyUserWrites = false;  // a profile whose own hive refuses writes

    long OpenKey(Hive hive, const std::string& path, KeyAccess access, RegistryKey& key) override {
        const std::string full = Path(hive, path);
        if (!keys_.count(full)) return kErrorFileNotFound;
        if (access != KeyAccess::Read && denyWrites && hive == Hive::LocalMachine) return kErrorAccessDenied;
        if (access != KeyAccess::Read && denyUserWrites && hive == Hive::CurrentUser) return kErrorAccessDenied;
        return Handle(full, access, key);
    }
    long CreateKey(RegistryKey parent, const std::string& subkey, RegistryKey& key) override {
        const std::string full = open_.at(parent).path + "\\" + Lower(subkey);
        keys_[full];
        return Handle(full, KeyAccess::Write, key);
    }
    long CreateKeyPath(Hive hive, const std::string& path, RegistryKey& key) override {
        if (denyWrites && hive == Hive::LocalMachine) return kErrorAccessDenied;
        if (denyUserWrites && hive == Hive::CurrentUser) return kErrorAccessDenied;
        keys_[Path(hive, path)];
        return Handle(Path(hive, path), KeyAccess::Write, key);
    }
    long QueryValue(RegistryKey key, const std::string& name, void* buffer, uint32_t& size) override {
        const Values& values = keys_.at(open_.at(key).path);
        auto found = values.find(Lower(name));
        if (found == values.end()) return kErrorFileNotFound;
        const auto& data = found->second.data;
        if (data.size() > size) {
            size = static_cast<uint32_t>(data.size());
            return kErrorMoreData;
        }
        std::memcpy(buffer, data.data(), data.size());
        size = static_cast<uint32_t>(data.size());
        return kErrorSuccess;
    }
    long SetString(RegistryKey key, const std::string& name, const std::string& text) override {
        std::vector<unsigned char> data(text.begin(), text.end());
        data.push_back(0);
        return Set(key, name, Value{1, data});
    }
    long SetDword(RegistryKey key, const std::string& name, uint32_t value) override {
        return Set(key, name, Value{4, {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)}});
    }
    long DeleteKey(RegistryKey parent, const std::string& subkey) override {
        if (!Writable(parent)) return kErrorAccessDenied;
        return keys_.erase(open_.at(parent).path + "\\" + Lower(subkey)) ? kErrorSuccess : kErrorFileNotFound;
    }
    long DeleteValue(RegistryKey key, const std::string& name) override {
        if (!Writable(key)) return kErrorAccessDenied;
        return keys_.at(open_.at(key).path).erase(Lower(name)) ? kErrorSuccess : kErrorFileNotFound;
    }
    void CloseKey(RegistryKey key) override { open_.erase(key); }

    // Direct access for tests.
    static std::string Path(Hive hive, const std::string& path) {
        return (hive == Hive::LocalMachine ? "hklm\\" : "hkcu\\") + Lower(path);
    }
    bool HasKey(Hive hive, const std::string& path) const { return keys_.count(Path(hive, path)) != 0; }
    void DropKey(Hive hive, const std::string& path) { keys_.erase(Path(hive, path)); }
    Values* ValuesOf(Hive hive, const std::string& path) {
        auto found = keys_.find(Path(hive, path));
        return found == keys_.end() ? nullptr : &found->second;
    }
    std::string StringOf(Hive hive, const std::string& path, const std::string& name) {
        Values* values = ValuesOf(hive, path);
        if (!values || !values->count(Lower(name))) return "<missing>";
        const auto& data = values->at(Lower(name)).data;
        return std::string(data.begin(), data.end());  // NUL included, as stored
    }
    std::size_t OpenKeys() const { return open_.size(); }

private:
    struct OpenKeyState {
        std::string path;
        KeyAccess access;
    };
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    long Handle(const std::string& full, KeyAccess access, RegistryKey& key) {
        key = ++lastHandle_;
        open_[key] = {full, access};
        return kErrorSuccess;
    }
    bool Writable(RegistryKey key) const {
        const OpenKeyState& state = open_.at(key);
        if (state.access == KeyAccess::Read) return false;
        if (denyUserWrites && state.path.rfind("hkcu\\", 0) == 0) return false;
        return !(denyWrites && state.path.rfind("hklm\\", 0) == 0);
    }
    long Set(RegistryKey key, const std::string& name, Value value) {
        if (!Writable(key)) return kErrorAccessDenied;
        keys_.at(open_.at(key).path)[Lower(name)] = std::move(value);
        return kErrorSuccess;
    }

    std::map<std::string, Values> keys_;
    std::map<RegistryKey, OpenKeyState> open_;
    RegistryKey lastHandle_ = 0;
};
