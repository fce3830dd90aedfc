// Rules for the destination folder. No Win32 here, so it is tested natively.
#pragma once
#include <stddef.h>

enum {
    DESTINATION_SIZE = 256,
    // LZ32 opens its files through OpenFile, whose OFSTRUCT keeps a full path
    // of at most 127 characters (OFS_MAXPATHNAME 128 with the zero).
    LZ_PATH_LIMIT = 127,
    // The uninstall command is assembled in a MAX_PATH work buffer.
    UNINSTALL_COMMAND_SIZE = 260,
};

// "X:\" followed by at least one character, a folder below the drive's root
// in its full form (services/full_path.h: no spelling of the root, no
// device), and short enough that every file installed under it, and the
// uninstall command, can be written.
bool is_acceptable_destination(const char *destination);

// The folders an installation creates along destination, one a call: "X:\A",
// then "X:\A\B", and so on up to destination itself. *next starts after the
// validated "X:\" (destination + 3) and moves on with each call, which copies
// the folder into folder (DESTINATION_SIZE bytes); false once none is left.
bool next_destination_folder(const char *destination, const char **next, char *folder);

// The installed program's path, quoted when it holds a space or a tab, then
// " /uninstall". False when it does not fit size bytes or the destination holds
// a double quote, with command holding a terminated text.
bool build_uninstall_command(char *command, size_t size, const char *destination);
