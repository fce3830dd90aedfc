#include "services/mutexes.h"
#include "services/product.h"
#include "services/text.h"

// NT 5 and later have sessions, and know the machine-wide namespace; NT 4
// and Windows 9x take no prefix there.
static bool copy_machine_name(char *name, size_t size, const char *plain)
{
    DWORD version = GetVersion();
    bool sessions = !(version & 0x80000000) && LOBYTE(LOWORD(version)) >= 5;
    char *cursor = name;
    return (!sessions || append_text(&cursor, name + size, MACHINE_NAMESPACE)) &&
           append_text(&cursor, name + size, plain);
}

Exclusion take_exclusion(const char *own, const char *other, bool inheritable)
{
    char name[64];
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, inheritable};
    if (!copy_machine_name(name, sizeof name, own))
        return EXCLUSION_UNSURE;
    SetLastError(ERROR_SUCCESS);
    HANDLE mine = CreateMutexA(&attributes, FALSE, name);
    DWORD error = GetLastError();
    // Not closed: it goes with the process. A mutex that raised rights made
    // cannot be opened, only met (access denied); any other failure means
    // another kind of object holds the name.
    Exclusion result = mine ? (error == ERROR_ALREADY_EXISTS ? EXCLUSION_SAME_RUNNING
                                                             : EXCLUSION_TAKEN)
                            : (error == ERROR_ACCESS_DENIED ? EXCLUSION_SAME_RUNNING
                                                            : EXCLUSION_UNSURE);
    if (result == EXCLUSION_UNSURE || !copy_machine_name(name, sizeof name, other))
        return EXCLUSION_UNSURE;
    // Looked for after ours exists: the other program does the same, so of
    // two that start at once, at least one sees the other.
    HANDLE theirs = OpenMutexA(SYNCHRONIZE, FALSE, name);
    error = GetLastError();
    if (theirs) {
        CloseHandle(theirs);
        return EXCLUSION_OTHER_RUNNING;
    }
    if (error == ERROR_ACCESS_DENIED)
        return EXCLUSION_OTHER_RUNNING;
    return error == ERROR_FILE_NOT_FOUND ? result : EXCLUSION_UNSURE;
}
