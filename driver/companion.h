// Where the companion encoder installer is started from. No Win32 here.
#pragma once
#include <stddef.h>

enum { COMPANION_FOLDER_SIZE = 4, COMPANION_PROGRAM_SIZE = 16 };

// The drive letter is the character before the first ':' of the program's
// own part of the command line, never of an option. The companion is started only when setup itself runs from the root
// of that drive (module_path), the medium's layout: from anywhere else the
// drive's root may hold a program nobody meant to run. Gives "X:\" and
// "X:\bladeenc.exe", or false when nothing is to be started.
bool companion_paths(const char *command_line, const char *module_path, char *folder,
                     char *program);
