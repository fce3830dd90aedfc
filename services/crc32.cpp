#include "services/crc32.h"

// The table is built on first use in zeroed memory (none in the file).
static uint32_t crc_table[256];

uint32_t update_crc32(uint32_t crc, const unsigned char *bytes, size_t size)
{
    // Entry 1 is never zero once the table is built.
    if (!crc_table[1]) {
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t entry = n;
            for (int bit = 0; bit < 8; bit++)
                entry = entry & 1 ? 0xEDB88320 ^ (entry >> 1) : entry >> 1;
            crc_table[n] = entry;
        }
    }
    crc = ~crc;
    for (; size > 0; bytes++, size--)
        crc = crc_table[(crc ^ *bytes) & 0xFF] ^ crc >> 8;
    return ~crc;
}
