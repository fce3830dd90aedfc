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

// MoveFileA(from, to), or DeleteFileA(from) when to is NULL. A failure
// because the file is in use is tried again for about two seconds, calling
// between_tries (when not NULL) every few milliseconds of the wait. On
// false, GetLastError tells why.
bool move_or_delete_file(const char *from, const char *to, void (*between_tries)(void));

// Has path deleted at the next restart, where the system offers it
// (MoveFileExA, which Windows 95 lacks); false where it does not.
bool delete_at_restart(const char *path);
