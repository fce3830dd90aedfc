// Renaming and deleting the program's own files under Windows' rules: files
// marked read-only, files another program holds open for a moment (a virus
// scanner reads every new file), and a running program, which can be renamed
// but not deleted until the next restart.
#pragma once
#include <windows.h>

// Clears read-only, hidden and system, which keep a file from being
// deleted or replaced.
void clear_file_attributes(const char *path);

// A rename or delete that failed with error because another program has the
// file open.
bool is_in_use_error(DWORD error);

// Why a rename or delete of path failed with error, as the user is told.
enum FileProblem {
    FILE_IN_USE,      // another program has it open, or runs it
    FILE_NEEDS_RIGHTS, // this user may not change it
    FILE_OTHER,
};
FileProblem classify_file_problem(const char *path, DWORD error);

// MoveFileA(from, to), or DeleteFileA(from) when to is NULL. A failure
// because the file is in use is tried again for about two seconds, calling
// between_tries (when not NULL) every few milliseconds of the wait. On
// false, GetLastError tells why.
bool move_or_delete_file(const char *from, const char *to, void (*between_tries)(void));

// Has path deleted at the next restart, where the system offers it
// (MoveFileExA, which Windows 95 lacks); false where it does not.
bool delete_at_restart(const char *path);

// Deletes path (its own attributes cleared) with the short waits above,
// else has it deleted at the next restart.
enum DeleteResult {
    FILE_DELETED, // gone now, or was not there
    FILE_DELETED_AT_RESTART,
    FILE_KEPT, // GetLastError tells why the deletion failed
};
DeleteResult delete_now_or_at_restart(const char *path, void (*between_tries)(void));

// Whether the system will rename or delete path at the next restart; a path
// with such an operation pending must not be given to a file that has to last.
bool is_pending_at_restart(const char *path);
