// Paths that come from the system, in UTF-16 where the system answers in
// it. A user's profile folders (Desktop, Start Menu, Temp) are named after
// the account, in any letters; where the ANSI code page lacks them the ANSI
// calls answer with question marks, a path that does not exist. On the NT
// family these helpers use the calls that end in W; on Windows 9x, whose
// paths are all ANSI, the A calls, their answers widened.
#pragma once
#include <windows.h>
#include <stddef.h>

// Room for a path of the system's: MAX_PATH characters with the zero.
enum { WIDE_PATH_SIZE = MAX_PATH };

// The NT family, where the W calls work.
bool has_wide_paths(void);

// text in the ANSI code page into wide (size characters); false when it
// does not fit.
bool widen_text(const char *text, WCHAR *wide, size_t size);

// wide into the ANSI code page (size bytes): false when it does not fit, or
// when a character has no ANSI form and would come out as a question mark.
bool narrow_path(const WCHAR *wide, char *path, size_t size);

// folder, a backslash unless folder ends with one, then name (ANSI).
bool join_wide_path(WCHAR *dest, size_t size, const WCHAR *folder, const char *name);

// The path of the shell folder folder_id (a CSIDL number) into folder
// (WIDE_PATH_SIZE characters). SHGetPathFromIDListW is looked up: the
// first shells lack it, and there the ANSI answer is widened.
bool get_shell_folder_wide(int folder_id, WCHAR *folder);

// The file calls on such paths: the W call on the NT family, the A call on
// the narrowed path on Windows 9x. A path that has no ANSI form there fails.
DWORD get_file_attributes_wide(const WCHAR *path);
bool delete_file_wide(const WCHAR *path);
