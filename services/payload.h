// Expanding a payload resource (an SZDD file of the named type "RT_RCDATA")
// into a file of the current folder, through "tempfile.tmp" and LZ32.
#pragma once
#include <stdint.h>

// Expansion goes through this fixed name in the current folder.
inline constexpr char temporary_file_name[] = "tempfile.tmp";

// A file is expanded under its name with this suffix first, and the file it
// replaces keeps its name with the other until the new one is in place.
inline constexpr char staging_suffix[] = ".new";
inline constexpr char backup_suffix[] = ".old";
enum { STAGED_NAME_SIZE = 96, STAGED_FILE_LIMIT = 8 };

// Returns once target_name holds the whole expanded file, as many bytes as
// the payload's header says; every failure removes the staged files and is
// fatal.
void extract_payload_file(uint32_t resource_id, const char *target_name);

// Expands the payload into target_name with staging_suffix, to be put in
// place by put_staged_files_in_place, or removed by discard_staged_files. An
// earlier file of the same name stays untouched until then.
void stage_payload_file(uint32_t resource_id, const char *target_name);
// Replaces each target with its staged file, in staging order: the old file
// is renamed to its backup name, the new one moved in, the backup deleted.
// A move that fails renames the backup back, removes the staged files that
// remain, and is fatal; files already replaced stay replaced.
void put_staged_files_in_place(void);
// Removes the staged files, leaving the targets as they were.
void discard_staged_files(void);
