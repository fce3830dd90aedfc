#include "services/payload_header.h"
#include "services/crc32.h"

static const unsigned char szdd_magic[9] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};

static uint32_t read_u32(const unsigned char *bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

bool read_payload_header(const unsigned char *packed, uint32_t packed_size,
                         const unsigned char *digest, uint32_t digest_size, PayloadHeader *header)
{
    if (packed_size < SZDD_HEADER_SIZE || digest_size != PAYLOAD_DIGEST_SIZE)
        return false;
    for (unsigned i = 0; i < sizeof szdd_magic; i++)
        if (packed[i] != szdd_magic[i])
            return false;
    header->expanded_size = read_u32(packed + 10);
    header->packed_crc = read_u32(digest);
    header->expanded_crc = read_u32(digest + 4);
    return true;
}

bool packed_bytes_match(const PayloadHeader *header, const unsigned char *packed,
                        uint32_t packed_size)
{
    return update_crc32(0, packed, packed_size) == header->packed_crc;
}

bool expansion_matches(const PayloadHeader *header, long copied, uint32_t expanded_crc)
{
    return copied >= 0 && (unsigned long)copied == header->expanded_size &&
           expanded_crc == header->expanded_crc;
}
