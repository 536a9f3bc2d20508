// The guard on Windows: the session's named mutex, taken by a wait that does not wait.
#include <windows.h>

#include "app/instance_guard.h"

namespace palvoren {

InstanceGuard InstanceGuard::Acquire() {
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Dostrel");
    if (mutex == nullptr)
        return InstanceGuard(kNothingHeld);
    // An abandoned mutex belongs to the waiter all the same; the copy that left it is gone, so
    // refusing to start would lock the user out until the next log-on.
    const DWORD result = ::WaitForSingleObject(mutex, 0);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return InstanceGuard(kNothingHeld);
    }
    return InstanceGuard(reinterpret_cast<std::intptr_t>(mutex));
}

InstanceGuard::~InstanceGuard() {
    if (!Owned())
        return;
    HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

}  // namespace palvoren
