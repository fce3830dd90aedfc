// libFuzzer target: setup's payload header reader and its checks (packed
// bytes, and the size and bytes of an expansion) on any resource bytes and
// digest record, judged by an independent model: the header's layout
// written out literally, and CRC-32 computed bit by bit from the polynomial.
// Input: flags, LZ32's count, the expanded bytes' CRC, the digest record
// (length byte first), then the packed bytes.
#include <string.h>
#include "services/crc32.h"
#include "services/payload_header.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
uint32_t model_crc32(const unsigned char *bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; i++) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; bit++)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

uint32_t little_endian(const unsigned char *bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    uint8_t flags = in.byte();
    long copied = (int32_t)in.number();
    uint32_t expanded_crc = in.number();
    Exact digest = in.bytes();
    Exact packed = in.bytes(true);
    const unsigned char *packed_bytes = (const unsigned char *)packed.get();
    const unsigned char *digest_bytes = (const unsigned char *)digest.get();

    PayloadHeader header = {0xA5A5A5A5, 0xA5A5A5A5, 0xA5A5A5A5};
    bool read = read_payload_header(packed_bytes, (uint32_t)packed.size, digest_bytes,
                                    (uint32_t)digest.size, &header);
    static const unsigned char magic[9] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};
    bool sound = packed.size >= 14 && digest.size == 8 && memcmp(packed_bytes, magic, 9) == 0;
    FUZZ_CHECK(read == sound);

    uint32_t model = model_crc32(packed_bytes, packed.size);
    // Any cut of the bytes gives the value of the whole.
    size_t cut = packed.size ? flags % (packed.size + 1) : 0;
    FUZZ_CHECK(update_crc32(update_crc32(0, packed_bytes, cut), packed_bytes + cut,
                            packed.size - cut) == model);
    if (!read)
        return 0;
    FUZZ_CHECK(header.expanded_size == little_endian(packed_bytes + 10));
    FUZZ_CHECK(header.packed_crc == little_endian(digest_bytes));
    FUZZ_CHECK(header.expanded_crc == little_endian(digest_bytes + 4));

    FUZZ_CHECK(packed_bytes_match(&header, packed_bytes, (uint32_t)packed.size) ==
               (model == header.packed_crc));
    header.packed_crc = model;
    FUZZ_CHECK(packed_bytes_match(&header, packed_bytes, (uint32_t)packed.size));

    // Now and then the expansion the header and digest describe, so that
    // both answers come up.
    if (flags & 1)
        copied = header.expanded_size;
    if (flags & 2)
        expanded_crc = header.expanded_crc;
    bool whole = copied >= 0 && (uint64_t)copied == header.expanded_size &&
                 expanded_crc == header.expanded_crc;
    FUZZ_CHECK(expansion_matches(&header, copied, expanded_crc) == whole);
    return 0;
}
