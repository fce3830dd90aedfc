// Named mutexes that keep the setup program and the uninstaller apart.
#pragma once
#include <windows.h>

// Whether some program holds the mutex called name. One that a program with
// raised rights made exists even when this one may not open it.
inline bool is_mutex_held(const char *name)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (mutex) {
        CloseHandle(mutex);
        return true;
    }
    return GetLastError() == ERROR_ACCESS_DENIED;
}
