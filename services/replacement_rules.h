// Decisions of the file replacement that need no Win32, so they are tested
// natively: whether the system's list of renames at the next restart names a
// file, and which backup names a replacement takes.
#pragma once
#include <stddef.h>

// Whether data, the REG_MULTI_SZ value PendingFileRenameOperations (size
// bytes, not necessarily terminated), names full_path as the source or the
// destination of an operation. Entries are NT paths ("\??\C:\A\~BW5000.OLD"),
// a destination may start with '!'; ASCII letters compare in any case.
bool restart_list_names(const char *data, size_t size, const char *full_path);

enum BackupNameState {
    BACKUP_NAME_FREE,    // no file under it, nothing pending for it
    BACKUP_NAME_PENDING, // a restart deletes or renames it: never reused
    BACKUP_NAME_KEPT,    // holds a file that nothing will delete: an earlier
                         // file that a run could not put back, never deleted
};

struct BackupChoice {
    int put_back; // a kept file to put back as the missing target first, or -1
    int use;      // the name the target goes to, or -1 when none is free
};

// states holds the state of each of count backup names, in order.
BackupChoice choose_backup_names(bool target_exists, const BackupNameState *states, int count);
