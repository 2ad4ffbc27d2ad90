// The lock that keeps two sessions from writing one diary: "tolvek.lock" beside the data
// files, locked whole for the life of the process, so the system drops it however the
// process ends. It also names the account whose diary the folder holds, so that the
// installation directory's diary serves one account only.
#pragma once

#include <windows.h>

#include <string>

enum class DiaryLock { Taken, Held, OtherAccount };

// Takes the lock in the current directory for `account`, claiming an unclaimed folder;
// `lock` receives the handle to keep open on Taken. A lock file that cannot be opened or
// locked, for whatever reason, counts as held.
DiaryLock TakeDiaryLock(const std::string& account, HANDLE& lock);
