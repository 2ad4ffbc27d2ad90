// A key of the real registry that closes itself, so no path can leave one open, and the
// one way this layer opens and creates keys.
#pragma once

#include <windows.h>

// Move-only; empty when default-made or moved from.
class SystemKey {
public:
    SystemKey() = default;
    explicit SystemKey(HKEY key) : key_(key) {}
    SystemKey(SystemKey&& other) noexcept : key_(other.Release()) {}
    SystemKey& operator=(SystemKey&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    SystemKey(const SystemKey&) = delete;
    SystemKey& operator=(const SystemKey&) = delete;
    ~SystemKey() { Reset(nullptr); }

    HKEY get() const { return key_; }
    // Gives the key up to a caller who closes it (the registry seam hands keys out so).
    HKEY Release() {
        const HKEY key = key_;
        key_ = nullptr;
        return key;
    }

private:
    void Reset(HKEY key) {
        if (key_) RegCloseKey(key_);
        key_ = key;
    }

    HKEY key_ = nullptr;
};

// Both give the registry's error code and leave `key` empty when they fail.
LONG OpenSystemKey(HKEY parent, const char* path, REGSAM rights, SystemKey& key);
// Creates every missing level of `path` under `parent`, or opens the key where it exists.
LONG CreateSystemKey(HKEY parent, const char* path, REGSAM rights, SystemKey& key);
