// The CRC-32 both payload checks share, and the payload header reader,
// against values stated literally: published check values, and where noted
// Python's zlib.crc32.
#include <gtest/gtest.h>
#include <string>
#include "services/crc32.h"
#include "services/payload_header.h"

namespace {
uint32_t crc_of(const std::string &bytes, uint32_t crc = 0)
{
    return update_crc32(crc, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
}
} // namespace

TEST(Crc32, PublishedCheckValuesAlsoInPieces)
{
    EXPECT_EQ(crc_of(""), 0u);
    EXPECT_EQ(crc_of("a"), 0xE8B7BE43u);
    EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
    const std::string fox = "The quick brown fox jumps over the lazy dog";
    for (size_t cut : {0, 1, 7, 8, 9, 20, 43})
        EXPECT_EQ(crc_of(fox.substr(cut), crc_of(fox.substr(0, cut))), 0x414FA339u) << cut;
}

TEST(PayloadHeader, ReadsTheSizeAndDigestOfWhatThePackerMakes)
{
    // Expands to "123456789": a control byte of eight literals, then one of
    // one. CRC-32 0xE62E8AED (zlib.crc32); its digest records that, then
    // the one of "123456789".
    const std::string packed("SZDD\x88\xF0\x27\x33" "Ae\x09\0\0\0\xFF" "12345678\x01" "9", 25);
    const std::string digest("\xED\x8A\x2E\xE6\x26\x39\xF4\xCB", 8);
    auto bytes = [](const std::string &s) { return reinterpret_cast<const unsigned char *>(s.data()); };
    PayloadHeader header = {1, 2, 3};
    ASSERT_TRUE(read_payload_header(bytes(packed), 25, bytes(digest), 8, &header));
    EXPECT_EQ(header.expanded_size, 9u);
    EXPECT_EQ(header.packed_crc, 0xE62E8AEDu);
    EXPECT_EQ(header.expanded_crc, 0xCBF43926u);
    EXPECT_TRUE(packed_bytes_match(&header, bytes(packed), 25));
    EXPECT_FALSE(packed_bytes_match(&header, bytes(packed), 24));
    EXPECT_TRUE(expansion_matches(&header, 9, 0xCBF43926));
    EXPECT_FALSE(expansion_matches(&header, 9, 0xCBF43927)); // other bytes, same size
    EXPECT_FALSE(expansion_matches(&header, 10, 0xCBF43926));
    EXPECT_FALSE(expansion_matches(&header, -1, 0xCBF43926)); // LZ32's errors are negative
    // Refused: a header cut short, the method 'B', a digest of 7 or 9 bytes.
    EXPECT_FALSE(read_payload_header(bytes(packed), 13, bytes(digest), 8, &header));
    const std::string method_b = std::string(packed).replace(8, 1, "B");
    EXPECT_FALSE(read_payload_header(bytes(method_b), 25, bytes(digest), 8, &header));
    EXPECT_FALSE(read_payload_header(bytes(packed), 25, bytes(digest), 7, &header));
    const std::string longer = digest + '\0';
    EXPECT_FALSE(read_payload_header(bytes(packed), 25, bytes(longer), 9, &header));
}
