// What setup knows of a payload before and after expanding it: the SZDD
// header of its packed bytes, and the digest record the packer made of it.
// No Win32 here.
#pragma once
#include <stdint.h>

// "SZDD" 88 F0 27 33, 'A' (the method), the installed name's last character,
// the expanded size as 32 bits little-endian; then the packed stream.
enum { SZDD_HEADER_SIZE = 14 };
// The digest record the packer makes, resource id payload id +
// PAYLOAD_DIGEST_ID_OFFSET (services/product.h): the CRC-32 of the payload's
// packed bytes (the whole resource), then of its expanded bytes, both 32
// bits little-endian.
enum { PAYLOAD_DIGEST_SIZE = 8 };

struct PayloadHeader {
    uint32_t expanded_size;
    uint32_t packed_crc;
    uint32_t expanded_crc;
};

// False when the packed bytes are no SZDD file or the digest record is not
// of its size; header is then unspecified.
bool read_payload_header(const unsigned char *packed, uint32_t packed_size,
                         const unsigned char *digest, uint32_t digest_size, PayloadHeader *header);

// Whether the packed bytes are those the build recorded.
bool packed_bytes_match(const PayloadHeader *header, const unsigned char *packed,
                        uint32_t packed_size);

// Whether an expansion is the file the build packed: copied bytes (LZ32's
// count, negative for its errors) as many as the header says, whose CRC-32
// is expanded_crc.
bool expansion_matches(const PayloadHeader *header, long copied, uint32_t expanded_crc);
