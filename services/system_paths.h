// Paths the system knows: this program's own file, the temporary folder and
// the shell's folders. Each is false when the system gives none or the path
// does not fit: a path cut short is never handed on.
#pragma once
#include <windows.h>

// The full path of the running program's file.
bool get_module_path(char *path, DWORD size);

// The temporary folder, with its trailing backslash. Inline: an import
// stays in a program once its object file is linked, even when the routine
// is dropped, and the setup program must import only what it calls.
inline bool get_temporary_folder(char *folder, DWORD size)
{
    // A folder too long for the buffer gives the size it needs.
    DWORD length = GetTempPathA(size, folder);
    return length > 0 && length < size;
}

// The path of the shell folder folder_id (a CSIDL number). folder holds
// MAX_PATH bytes: the shell takes no size.
bool get_shell_folder(int folder_id, char *folder);
