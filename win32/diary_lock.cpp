#include "diary_lock.h"

namespace {

const char kLockFileName[] = "tolvek.lock";
constexpr DWORD kMaxAccountLength = 256;

}  // namespace

DiaryLock TakeDiaryLock(const std::string& account, HANDLE& lock) {
    lock = nullptr;
    // Shared, so that another session can open it and find it locked.
    const HANDLE file = CreateFileA(kLockFileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return DiaryLock::Held;
    OVERLAPPED whole = {};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        return DiaryLock::Held;
    }
    char owner[kMaxAccountLength] = {};
    DWORD read = 0;
    if (!ReadFile(file, owner, sizeof owner, &read, nullptr)) {
        CloseHandle(file);
        return DiaryLock::Held;
    }
    if (read == 0) {
        // Unclaimed: this account makes the folder its own.
        DWORD written = 0;
        WriteFile(file, account.data(), static_cast<DWORD>(account.size()), &written, nullptr);
        FlushFileBuffers(file);
    } else if (std::string(owner, read) != account) {
        CloseHandle(file);
        return DiaryLock::OtherAccount;
    }
    lock = file;
    return DiaryLock::Taken;
}
