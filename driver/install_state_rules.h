// The previous installation as its registry values give it, classifying a
// run against the installed version, the version label and the destination
// offered. No Win32 here, so it is tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "driver/destination.h"

// Version 1.00 of the product that this setup program carries.
enum : uint32_t { BUILD_VERSION = 100 };

enum SetupMode { SETUP_FRESH, SETUP_REINSTALL, SETUP_UPDATE, SETUP_NEWER };

SetupMode classify_setup_mode(bool installed, uint32_t installed_version);

// Room for the longest label any 32-bit version gives: v42949672.95.
enum { VERSION_LABEL_SIZE = 16 };

// "v", version div 100, ".", version mod 100 in two digits, and one trailing
// '0' dropped: 100 gives v1.0, 105 v1.05, 110 v1.1.
bool build_version_label(uint32_t version, char *label, size_t size);

struct InstallState {
    bool installed;
    uint32_t installed_version; // ProgramVersion as 4 little-endian bytes
    char previous_directory[DESTINATION_SIZE];
};

// What a read of a registry value left in its buffer: found is false when
// the value is missing or larger than the buffer; size is the bytes read.
struct RegistryRead {
    bool found;
    size_t size;
};

// The previous installation from what the reads of ProgramDirectory (into
// state->previous_directory) and ProgramVersion (into
// state->installed_version, 0 before: up to 4 bytes fill it from the lowest)
// left: installed when the folder is a text that fits and the version is
// there. Otherwise the folder is empty and the version 0.
void judge_previous_installation(InstallState *state, RegistryRead directory,
                                 RegistryRead version);

// Fresh installation: the Program Files folder (one trailing backslash
// dropped) followed by "\Brimwave", or, without a usable Program Files value,
// the Windows directory's drive with "\Program Files\Brimwave", or else empty.
// program_files is the registry value as a terminated text, or NULL when it
// could not be read; windows_directory likewise.
void choose_fresh_destination(char *destination, const char *program_files,
                              const char *windows_directory);

// The destination offered (DESTINATION_SIZE bytes): the previous folder
// unless mode is SETUP_FRESH; else choose_fresh_destination on what the
// read of ProgramFilesDir left in program_files (size bytes) and the
// Windows folder (NULL when unknown).
void choose_offered_destination(char *destination, SetupMode mode, const char *previous_directory,
                                char *program_files, size_t size, RegistryRead program_files_read,
                                const char *windows_directory);
