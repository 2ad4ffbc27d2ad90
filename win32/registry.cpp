#include "registry.h"

#include "registry_key.h"

namespace {

HKEY AsHandle(RegistryKey key) { return reinterpret_cast<HKEY>(key); }
HKEY RootOf(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// Keys cross the seam as plain handles: its callers close them through CloseKey.
RegistryKey HandOver(SystemKey& key) { return reinterpret_cast<RegistryKey>(key.Release()); }

class Win32Registry : public Registry {
public:
    long OpenKey(Hive hive, const std::string& path, KeyAccess access, RegistryKey& key) override {
        const REGSAM rights = access == KeyAccess::Read       ? KEY_READ
                              : access == KeyAccess::SetValue ? KEY_SET_VALUE
                                                              : KEY_WRITE;
        SystemKey opened;
        const LONG result = OpenSystemKey(RootOf(hive), path.c_str(), rights, opened);
        key = HandOver(opened);
        return result;
    }
    long CreateKey(RegistryKey parent, const std::string& subkey, RegistryKey& key) override {
        SystemKey created;
        const LONG result = CreateSystemKey(AsHandle(parent), subkey.c_str(), KEY_WRITE, created);
        key = HandOver(created);
        return result;
    }
    long CreateKeyPath(Hive hive, const std::string& path, RegistryKey& key) override {
        SystemKey created;
        const LONG result = CreateSystemKey(RootOf(hive), path.c_str(), KEY_WRITE, created);
        key = HandOver(created);
        return result;
    }
    long QueryValue(RegistryKey key, const std::string& name, void* buffer, uint32_t& size) override {
        DWORD length = size;
        const LONG result =
            RegQueryValueExA(AsHandle(key), name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &length);
        size = length;
        return result;
    }
    long SetString(RegistryKey key, const std::string& name, const std::string& text) override {
        return RegSetValueExA(AsHandle(key), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1));
    }
    long SetDword(RegistryKey key, const std::string& name, uint32_t value) override {
        const DWORD data = value;
        return RegSetValueExA(AsHandle(key), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof data);
    }
    long DeleteKey(RegistryKey parent, const std::string& subkey) override {
        return RegDeleteKeyA(AsHandle(parent), subkey.c_str());
    }
    long DeleteValue(RegistryKey key, const std::string& name) override {
        return RegDeleteValueA(AsHandle(key), name.c_str());
    }
    // Taken back into an owner that closes it at once.
    void CloseKey(RegistryKey key) override { SystemKey closing(AsHandle(key)); }
};

}  // namespace

Registry& SystemRegistry() {
    static Win32Registry registry;
    return registry;
}
