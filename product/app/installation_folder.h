// Which folder is which: the installation an uninstall removes, the program
// a record names, and the copy that may finish the removal.
#pragma once
#include <windows.h>

// Whether a and b name one folder, however each was written.
bool is_same_folder(const char *a, const char *b);

// Whether path names the installed program (Brimwave.exe) in folder.
bool names_installed_program(const char *path, const char *folder);

enum FolderState {
    FOLDER_MISSING,
    FOLDER_EMPTY,
    FOLDER_PENDING, // only files deleted at the next restart are left
    FOLDER_HOLDS_FILES,
};
// A file named also_pending (when given) counts as deleted at the next
// restart too.
FolderState folder_state(const char *folder, const char *also_pending = NULL);

// Whether file, an open file read from where it stands, holds the same
// bytes as the file at path (in UTF-16, services/wide_paths.h).
bool holds_same_bytes(HANDLE file, const WCHAR *path);

// Only the copy that an uninstall made may finish it: it runs from a folder
// of its own ("bwu" and a number) directly in the user's temporary folder
// or in the Windows folder's, and folder's Brimwave.exe is the file it was
// copied from. Started by hand, from an installation or with another
// installation's folder, it must remove nothing.
bool is_own_finishing_copy(const char *folder);
