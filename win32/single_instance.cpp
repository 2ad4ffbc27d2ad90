#include "single_instance.h"

#include <sddl.h>

#include "product.h"

// Everyone may open it for waiting, so that a second account's copy holds it too and it
// outlives the first account's.
HANDLE HoldRunningMutex() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100000;;;WD)", SDDL_REVISION_1,
                                                             &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    const HANDLE mutex = CreateMutexExA(&attributes, TOLVEK_RUNNING_MUTEX, 0, SYNCHRONIZE);
    LocalFree(descriptor);
    return mutex;
}

namespace {

bool MutexExists(const char* name) {
    const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (mutex) {
        CloseHandle(mutex);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

HANDLE TakeInstanceMutex() {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, TOLVEK_INSTANCE_MUTEX);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    // A mutex that exists but may not be opened also means another copy is running.
    return mutex;
}

bool IsTolvekRunning() { return MutexExists(TOLVEK_INSTANCE_MUTEX) || MutexExists(TOLVEK_RUNNING_MUTEX); }
