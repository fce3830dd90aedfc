#include "services/crc32.h"

// Eight tables, built on first use in zeroed memory (none in the file):
// eight bytes a step keep the check of a payload of many megabytes to
// milliseconds. Entry [k][n] is the CRC of byte n followed by k zero bytes.
enum { CRC_TABLES = 8 };
static uint32_t crc_table[CRC_TABLES][256];

static void fill_crc_table(void)
{
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t crc = n;
        for (int bit = 0; bit < 8; bit++)
            crc = crc & 1 ? 0xEDB88320 ^ (crc >> 1) : crc >> 1;
        crc_table[0][n] = crc;
    }
    for (uint32_t n = 0; n < 256; n++)
        for (int k = 1; k < CRC_TABLES; k++)
            crc_table[k][n] = crc_table[k - 1][n] >> 8 ^ crc_table[0][crc_table[k - 1][n] & 0xFF];
}

uint32_t update_crc32(uint32_t crc, const unsigned char *bytes, size_t size)
{
    // Entry 1 is never zero once the tables are built.
    if (!crc_table[0][1])
        fill_crc_table();
    crc = ~crc;
    for (; size >= 8; bytes += 8, size -= 8) {
        crc ^= bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (uint32_t)bytes[3] << 24;
        crc = crc_table[7][crc & 0xFF] ^ crc_table[6][crc >> 8 & 0xFF] ^
              crc_table[5][crc >> 16 & 0xFF] ^ crc_table[4][crc >> 24] ^
              crc_table[3][bytes[4]] ^ crc_table[2][bytes[5]] ^ crc_table[1][bytes[6]] ^
              crc_table[0][bytes[7]];
    }
    for (; size > 0; bytes++, size--)
        crc = crc_table[0][(crc ^ *bytes) & 0xFF] ^ crc >> 8;
    return ~crc;
}
