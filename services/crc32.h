// CRC-32 as zlib, PNG and ZIP compute it (reflected polynomial 0xEDB88320):
// what the build records for each payload, and what setup checks the
// payload's packed and expanded bytes against. No Win32 here.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The CRC-32 of the bytes that made crc followed by size more bytes; 0 for
// nothing, so a file is taken a piece at a time from crc = 0.
uint32_t update_crc32(uint32_t crc, const unsigned char *bytes, size_t size);
