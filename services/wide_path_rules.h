// The UTF-16 path helpers that need no Win32, so they are built natively
// too (wchar_t is the system's WCHAR on Windows). Every character of a wide
// path is whole: a backslash is one wherever it stands.
#pragma once
#include <stddef.h>

// text in the ANSI code page into wide (size characters); false when it
// does not fit. The Windows programs ask the system (services/wide_paths.cpp);
// the host tests stand in for it.
bool widen_text(const char *text, wchar_t *wide, size_t size);

// folder, a backslash unless folder ends with one, then name (ANSI).
bool join_wide_path(wchar_t *dest, size_t size, const wchar_t *folder, const char *name);

// The part of path after its last backslash (all of it without one).
const wchar_t *wide_path_name(const wchar_t *path);

// The folder of path, without a trailing backslash unless it is a drive's
// root; false when path has no backslash or the folder does not fit.
bool wide_path_folder(wchar_t *dest, size_t size, const wchar_t *path);

// "<program>" and arguments (ANSI) into dest, size characters: a command
// line for start_process_wide. False when it does not fit or program holds
// a double quote.
bool build_wide_command(wchar_t *dest, size_t size, const wchar_t *program, const char *arguments);

// Whether a and b are the same text, ASCII letters in any case and one
// trailing backslash ignored, every other character exactly (as
// is_same_path does in ANSI).
bool is_same_wide_path(const wchar_t *a, const wchar_t *b);
