#include "registry_key.h"

LONG OpenSystemKey(HKEY parent, const char* path, REGSAM rights, SystemKey& key) {
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(parent, path, 0, rights, &opened);
    key = SystemKey(result == ERROR_SUCCESS ? opened : nullptr);
    return result;
}

LONG CreateSystemKey(HKEY parent, const char* path, REGSAM rights, SystemKey& key) {
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExA(parent, path, 0, nullptr, 0, rights, nullptr, &created, nullptr);
    key = SystemKey(result == ERROR_SUCCESS ? created : nullptr);
    return result;
}
