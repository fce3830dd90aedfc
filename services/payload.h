// Expanding a payload resource (an SZDD file of the named type "RT_RCDATA")
// into a file of the current folder, through "tempfile.tmp" and LZ32.
#pragma once
#include <stdint.h>

// Expansion goes through this fixed name in the current folder.
inline constexpr char temporary_file_name[] = "tempfile.tmp";

// Returns once target_name holds the whole expanded file; every failure is
// fatal.
void extract_payload_file(uint32_t resource_id, const char *target_name);
