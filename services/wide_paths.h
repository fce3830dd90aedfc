// Paths that come from the system, in UTF-16 where the system answers in
// it. A user's profile folders (Desktop, Start Menu, Temp) are named after
// the account, in any letters; where the ANSI code page lacks them the ANSI
// calls answer with question marks, a path that does not exist. On the NT
// family these helpers use the calls that end in W; on Windows 9x, whose
// paths are all ANSI, the A calls, their answers widened.
//
// The file and process calls that only Brimwave.exe's uninstaller makes are
// in wide_files.cpp: an import stays in a program once its object file is
// linked, and SETUP.EXE imports only what it calls.
#pragma once
#include <windows.h>
#include <stddef.h>
#include "services/dll_search.h"
#include "services/wide_path_rules.h"

// Room for a path of the system's: MAX_PATH characters with the zero.
enum { WIDE_PATH_SIZE = MAX_PATH };
// The longest command line start_process_wide takes, in characters with
// the zero: a program and a folder, both quoted, a switch and a process id
// (40), and options: "/S" and a quoted file of MAX_PATH (16 more).
enum { WIDE_COMMAND_SIZE = 2 * MAX_PATH + 40 + MAX_PATH + 16 };

// The NT family, where the W calls work.
bool has_wide_paths(void);

// KERNEL32's W entry point name on the NT family, else NULL. Looked up:
// Windows 95's KERNEL32 may lack a W call, and a program that imports one it
// lacks does not start there at all.
template <typename Proc> Proc wide_call(const char *name)
{
    return has_wide_paths() ? find_entry_point<Proc>(GetModuleHandleA(kernel32_name), name)
                            : NULL;
}

// wide (at most WIDE_PATH_SIZE characters with its zero) into the ANSI code
// page (size bytes): false when it does not fit, or when a character has no
// ANSI form and would come out as a question mark or a look-alike.
bool narrow_path(const WCHAR *wide, char *path, size_t size);

// Whether a and b name one folder: their full, long forms compared by
// is_same_wide_path.
bool is_same_wide_folder(const WCHAR *a, const WCHAR *b);

// The running program's file, and the temporary folder with its trailing
// backslash (size characters each); false when the system gives none or it
// does not fit.
bool get_module_path_wide(WCHAR *path, DWORD size);
bool get_temporary_folder_wide(WCHAR *folder, DWORD size);

// The path of the shell folder folder_id (a CSIDL number) into folder
// (WIDE_PATH_SIZE characters). SHGetPathFromIDListW is looked up: the
// first shells lack it, and there the ANSI answer is widened.
bool get_shell_folder_wide(int folder_id, WCHAR *folder);

// The file calls on such paths: the W call on the NT family, the A call on
// the narrowed path on Windows 9x. A path that has no ANSI form there fails.
// GetLastError tells why one failed.
DWORD get_file_attributes_wide(const WCHAR *path);
bool delete_file_wide(const WCHAR *path);
bool create_folder_wide(const WCHAR *path, SECURITY_ATTRIBUTES *attributes);
bool remove_folder_wide(const WCHAR *path);
// Copies the open file source, read from its start, into a file created
// new at to (it fails when to exists), and gives the copy open for reading,
// others allowed only to read it, once it has been read back and found to
// hold what source holds: while it stays open, nobody can change it. Else
// INVALID_HANDLE_VALUE, and nothing left at to. Source needs read access.
HANDLE copy_open_file_wide(HANDLE source, const WCHAR *to);
// Whether the two open files hold the same bytes, both read from their start.
bool same_bytes_from_start(HANDLE first, HANDLE second);
// An existing file, opened with access and share (INVALID_HANDLE_VALUE when not).
HANDLE open_file_wide(const WCHAR *path, DWORD access, DWORD share);
// Has path deleted at the next restart, where the system offers it (see
// delete_at_restart in services/files.h).
bool delete_at_restart_wide(const WCHAR *path);
// Starts program with command_line (build_wide_command, at most
// WIDE_COMMAND_SIZE characters), inheriting the
// inheritable handles, in working_folder; the caller closes what started holds.
bool start_process_wide(const WCHAR *program, WCHAR *command_line, const WCHAR *working_folder,
                        PROCESS_INFORMATION *started);
