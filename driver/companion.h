// Where the companion encoder installer is started from. No Win32 here.
#pragma once
#include <stddef.h>

enum { COMPANION_FOLDER_SIZE = 4, COMPANION_PROGRAM_SIZE = 16 };

// The companion is looked for beside setup first: module_path's folder and
// "bladeenc.exe" in it, where a deployment tool's copy of the medium has
// it. False when module_path has no folder or the paths do not fit.
bool companion_beside_setup(const char *module_path, char *folder, size_t folder_size,
                            char *program, size_t program_size);

// Then on the medium's root. The drive letter is the character before the
// first ':' of the program's own part of the command line, never of an
// option. That root is used only when setup itself runs from it
// (module_path), the medium's layout: from anywhere else the drive's root
// may hold a program nobody meant to run. Gives "X:\" and "X:\bladeenc.exe",
// or false when nothing is to be started.
bool companion_paths(const char *command_line, const char *module_path, char *folder,
                     char *program);
