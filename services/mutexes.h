// The one guard that keeps the setup program and the uninstaller apart, for
// the whole machine: each holds its own named mutex for its run and refuses
// to work while the other's exists.
#pragma once
#include <windows.h>

enum Exclusion {
    EXCLUSION_TAKEN,         // ours is made, and nobody else runs
    EXCLUSION_SAME_RUNNING,  // our own name existed: another run of the same kind
    EXCLUSION_OTHER_RUNNING, // the other program's mutex exists
    EXCLUSION_UNSURE,        // a name is held by something that is not our mutex
};

// Makes the mutex own (SETUP_MUTEX_NAME or UNINSTALL_MUTEX_NAME), kept until
// the process ends, inheritable when asked so that a child keeps holding it,
// and looks for the mutex other. Anything that cannot be told apart from
// another run counts as one: the answer is never EXCLUSION_TAKEN unless both
// names were seen free or ours.
Exclusion take_exclusion(const char *own, const char *other, bool inheritable);
