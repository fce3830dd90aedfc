// Expanding a payload resource (an SZDD file of the named type "RT_RCDATA")
// into a file of the current folder, through "tempfile.tmp" and LZ32, and
// putting a set of expanded files in place all together or not at all.
#pragma once
#include <stdint.h>
#include "services/product.h"

// Expansion goes through this fixed name in the current folder.
inline constexpr char temporary_file_name[] = "tempfile.tmp";
enum { STAGED_FILE_LIMIT = 8 };

// The bytes of every file expanded so far in this run.
extern uint32_t expanded_bytes;

// Ends the program with a fatal error, changing nothing, when the packed
// bytes of a payload of the file table are not those the build recorded, or
// a payload or its digest is missing: a damaged copy of the setup program.
void check_payloads(void);

// Returns once target_name holds the whole expanded file, as many bytes as
// the payload's header says, whose CRC-32 is the one its digest records;
// every failure removes the staged files and is fatal.
void extract_payload_file(uint32_t resource_id, const char *target_name);

// Expands the payload into its staging name (make_staging_name), to be put in
// place as target_name by put_staged_files_in_place, or removed by
// discard_staged_files. An earlier file target_name stays untouched until then.
void stage_payload_file(uint32_t resource_id, const char *target_name);

// Replaces every target with its staged file: each existing target is moved
// to a free backup name, then each staged file into place. True when done;
// the earlier files then wait under their backup names for keep_replacement
// or undo_replacement. When a target stays in use, every step done is
// undone, so that each target is again the file it was, the staged files are
// kept for another try, and *in_use names that target (whichever of its
// names holds the lock). Any other failure is fatal and names the file; a
// file whose restore failed is never deleted, and the message says where it
// is kept. between_tries runs while a file in use is waited for.
bool put_staged_files_in_place(void (*between_tries)(void), const char **in_use);

// After put_staged_files_in_place: the earlier files are deleted, now or at
// the next restart (a program still running).
void keep_replacement(void);

// After put_staged_files_in_place: the earlier files come back and the new
// ones are removed; fatal, naming where each is, when a file cannot come back.
void undo_replacement(void);

// Removes the staged files, leaving the targets as they were.
void discard_staged_files(void);
