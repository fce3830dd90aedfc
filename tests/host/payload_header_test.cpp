// The CRC-32 both payload checks share, and the payload header reader,
// against values stated literally: published check values, and where noted
// Python's zlib.crc32.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string>
#include "services/crc32.h"
#include "services/payload_header.h"

namespace {
uint32_t crc_of(const std::string &bytes)
{
    return update_crc32(0, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}

// An SZDD file that expands to "123456789": a control byte of eight
// literals, then one of one. Its CRC-32 is 0xE62E8AED (zlib.crc32).
const std::string packed("SZDD\x88\xF0\x27\x33" "Ae\x09\0\0\0\xFF" "12345678\x01" "9", 25);
// Its digest: that CRC, then the one of "123456789".
const std::string digest("\xED\x8A\x2E\xE6\x26\x39\xF4\xCB", 8);

bool read(const std::string &bytes, const std::string &record, PayloadHeader *header)
{
    return read_payload_header(reinterpret_cast<const unsigned char *>(bytes.data()),
                               static_cast<uint32_t>(bytes.size()),
                               reinterpret_cast<const unsigned char *>(record.data()),
                               static_cast<uint32_t>(record.size()), header);
}

bool packed_match(const PayloadHeader &header, const std::string &bytes)
{
    return packed_bytes_match(&header, reinterpret_cast<const unsigned char *>(bytes.data()),
                              static_cast<uint32_t>(bytes.size()));
}
} // namespace

TEST(Crc32, PublishedCheckValues)
{
    EXPECT_EQ(crc_of(""), 0u);
    EXPECT_EQ(crc_of("a"), 0xE8B7BE43u);
    EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc_of("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(Crc32, AFileTakenInPiecesGivesTheValueOfTheWhole)
{
    // Bytes 0 to 255 four times: 0xB70B4C26; its bytes 3 to 999: 0xA50E6B7D (zlib.crc32).
    unsigned char bytes[1024];
    for (int i = 0; i < 1024; i++)
        bytes[i] = static_cast<unsigned char>(i);
    EXPECT_EQ(update_crc32(0, bytes + 3, 997), 0xA50E6B7Du);
    for (size_t cut : {0, 1, 3, 7, 8, 9, 500, 1023, 1024}) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(update_crc32(update_crc32(0, bytes, cut), bytes + cut, 1024 - cut), 0xB70B4C26u);
    }
}

TEST(PayloadHeader, ReadsTheSizeAndTheDigest)
{
    PayloadHeader header = {1, 2, 3};
    ASSERT_TRUE(read(packed, digest, &header));
    EXPECT_EQ(header.expanded_size, 9u);
    EXPECT_EQ(header.packed_crc, 0xE62E8AEDu);
    EXPECT_EQ(header.expanded_crc, 0xCBF43926u);
    std::string large = packed;
    large.replace(10, 4, "\x78\x56\x34\xF2", 4);
    ASSERT_TRUE(read(large, digest, &header));
    EXPECT_EQ(header.expanded_size, 0xF2345678u);
    // The name byte is any character; the header alone is a whole file.
    ASSERT_TRUE(read(std::string(packed).replace(9, 1, "\xE9", 1), digest, &header));
    ASSERT_TRUE(read(packed.substr(0, 14), digest, &header));
}

TEST(PayloadHeader, RefusesWhatThePackerDoesNotMake)
{
    PayloadHeader header;
    for (size_t at = 0; at < 9; at++) {
        SCOPED_TRACE(at);
        std::string changed = packed;
        changed[at] ^= 0x20; // 'SZDD' in lower case, 'a' for the method, ...
        EXPECT_FALSE(read(changed, digest, &header));
    }
    EXPECT_FALSE(read(packed.substr(0, 13), digest, &header));
    EXPECT_FALSE(read("", digest, &header));
    for (size_t size : {0, 4, 7, 9, 16}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(read(packed, std::string(size, '\0'), &header));
    }
}

TEST(PayloadHeader, AnyOneBitFlippedInThePackedBytesFailsTheirCheck)
{
    PayloadHeader header;
    ASSERT_TRUE(read(packed, digest, &header));
    EXPECT_TRUE(packed_match(header, packed));
    EXPECT_FALSE(packed_match(header, packed.substr(0, 24))); // cut short
    EXPECT_FALSE(packed_match(header, packed + '9'));
    for (size_t at = 0; at < packed.size(); at++)
        for (int bit = 0; bit < 8; bit++) {
            std::string flipped = packed;
            flipped[at] ^= static_cast<char>(1 << bit);
            EXPECT_FALSE(packed_match(header, flipped)) << "byte " << at << " bit " << bit;
        }
}

TEST(PayloadHeader, AnExpansionMatchesOnlyWithTheRecordedSizeAndBytes)
{
    PayloadHeader header = {9, 0, 0xCBF43926};
    EXPECT_TRUE(expansion_matches(&header, 9, 0xCBF43926));
    EXPECT_FALSE(expansion_matches(&header, 9, 0xCBF43927)); // other bytes, same size
    EXPECT_FALSE(expansion_matches(&header, 8, 0xCBF43926));
    EXPECT_FALSE(expansion_matches(&header, 10, 0xCBF43926));
    EXPECT_FALSE(expansion_matches(&header, -1, 0xCBF43926)); // LZ32's errors are negative
    PayloadHeader empty = {0, 0, 0};
    EXPECT_TRUE(expansion_matches(&empty, 0, 0));
    PayloadHeader huge = {0x80000000u, 0, 0};
    EXPECT_FALSE(expansion_matches(&huge, -2147483647L - 1, 0));
}
