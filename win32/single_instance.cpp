#include "single_instance.h"

const char kInstanceMutexName[] = "TolvekDiaryMutex";

HANDLE TakeInstanceMutex() {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    // A mutex that exists but may not be opened also means another copy is running.
    return mutex;
}

bool IsTolvekRunning() {
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutexName);
    if (mutex) {
        CloseHandle(mutex);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}
