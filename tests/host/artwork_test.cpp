// Checks the committed banner bitmap and icon against the layouts the resource
// script embeds verbatim: the bitmap resource is the .bmp minus its 14-byte
// file header, and the icon images become RT_ICON 1 and 2 in file order.
// ARTWORK_DIR is the folder holding banner.bmp and brimwave.ico.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#ifndef ARTWORK_DIR
#error "ARTWORK_DIR must name the folder holding banner.bmp and brimwave.ico"
#endif

namespace {

using Bytes = std::vector<uint8_t>;
using Rgb = std::tuple<int, int, int>;

Bytes read_file(const std::string& name)
{
    std::ifstream in(std::string(ARTWORK_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// at() throws on a short file, so a truncated file fails the test instead of
// reading past the buffer.
uint32_t u8(const Bytes& b, size_t at) { return b.at(at); }
uint32_t u16(const Bytes& b, size_t at) { return u8(b, at) | u8(b, at + 1) << 8; }
uint32_t u32(const Bytes& b, size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }
int32_t s32(const Bytes& b, size_t at) { return static_cast<int32_t>(u32(b, at)); }

struct InfoHeader {
    uint32_t size;
    int32_t width, height;
    uint32_t planes, bit_count, compression, size_image;
    int32_t x_ppm, y_ppm;
    uint32_t clr_used, clr_important;
};

InfoHeader read_info_header(const Bytes& b, size_t at)
{
    return {u32(b, at),      s32(b, at + 4),  s32(b, at + 8),  u16(b, at + 12),
            u16(b, at + 14), u32(b, at + 16), u32(b, at + 20), s32(b, at + 24),
            s32(b, at + 28), u32(b, at + 32), u32(b, at + 36)};
}

Rgb palette_entry(const Bytes& b, size_t palette_at, uint32_t index)
{
    const size_t at = palette_at + 4 * size_t(index);
    return Rgb(int(u8(b, at + 2)), int(u8(b, at + 1)), int(u8(b, at)));
}

int luma(const Rgb& c)
{
    return (299 * std::get<0>(c) + 587 * std::get<1>(c) + 114 * std::get<2>(c)) / 1000;
}

const Rgb kWhite(255, 255, 255);
const Rgb kBlack(0, 0, 0);

// ------------------------------------------------------------------ banner

constexpr int kBannerWidth = 450;
constexpr int kBannerHeight = 75;
constexpr size_t kFileHeader = 14;
constexpr size_t kPaletteAt = kFileHeader + 40;
constexpr size_t kPixelsAt = kPaletteAt + 1024;
constexpr size_t kBannerStride = 452;

class Banner : public ::testing::Test {
protected:
    void SetUp() override
    {
        bmp = read_file("banner.bmp");
        ASSERT_EQ(bmp.size(), kFileHeader + 34964) << "banner.bmp missing or wrong size";
    }

    // y counts from the top of the picture; rows are stored bottom-up.
    Rgb pixel(int x, int y) const
    {
        const size_t row = size_t(kBannerHeight - 1 - y);
        return palette_entry(bmp, kPaletteAt, u8(bmp, kPixelsAt + row * kBannerStride + size_t(x)));
    }

    Bytes bmp;
};

TEST_F(Banner, FileHeaderPointsPastHeaderAndPalette)
{
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    EXPECT_EQ(u16(bmp, 6), 0u);
    EXPECT_EQ(u16(bmp, 8), 0u);
    EXPECT_EQ(u32(bmp, 10), kPixelsAt);
}

TEST_F(Banner, InfoHeaderFields)
{
    const InfoHeader h = read_info_header(bmp, kFileHeader);
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, kBannerWidth);
    EXPECT_EQ(h.height, kBannerHeight);  // positive: bottom-up
    EXPECT_EQ(h.planes, 1u);
    EXPECT_EQ(h.bit_count, 8u);
    EXPECT_EQ(h.compression, 0u);  // BI_RGB
    EXPECT_EQ(h.size_image, 33900u);
    EXPECT_EQ(h.x_ppm, 2851);
    EXPECT_EQ(h.y_ppm, 2851);
    EXPECT_EQ(h.clr_used, 256u);
    EXPECT_EQ(h.clr_important, 256u);
}

TEST_F(Banner, RowsArePaddedToWholeDwords)
{
    const InfoHeader h = read_info_header(bmp, kFileHeader);
    const size_t stride = (size_t(h.width) * h.bit_count + 31) / 32 * 4;
    EXPECT_EQ(stride, kBannerStride);
    EXPECT_EQ(stride * size_t(h.height), h.size_image);
    EXPECT_EQ(kPixelsAt + h.size_image, bmp.size());
}

TEST_F(Banner, PaletteHas256DistinctColours)
{
    std::set<Rgb> colours;
    for (uint32_t i = 0; i < 256; ++i) {
        colours.insert(palette_entry(bmp, kPaletteAt, i));
        EXPECT_EQ(u8(bmp, kPaletteAt + 4 * i + 3), 0u) << "reserved byte of entry " << i;
    }
    EXPECT_EQ(colours.size(), 256u);
}

TEST_F(Banner, BorderIsWhite)
{
    for (int x = 0; x < kBannerWidth; ++x) {
        EXPECT_EQ(pixel(x, 0), kWhite) << "top, x " << x;
        EXPECT_EQ(pixel(x, kBannerHeight - 1), kWhite) << "bottom, x " << x;
    }
    for (int y = 0; y < kBannerHeight; ++y) {
        EXPECT_EQ(pixel(0, y), kWhite) << "left, y " << y;
        EXPECT_EQ(pixel(kBannerWidth - 1, y), kWhite) << "right, y " << y;
    }
}

TEST_F(Banner, LogoAtLeftIsShadedAndHasWhiteWaveform)
{
    // The logo is a shaded disc at the left, about 75 pixels across.
    std::set<Rgb> colours;
    int coloured = 0;
    for (int y = 0; y < kBannerHeight; ++y)
        for (int x = 0; x < 76; ++x) {
            colours.insert(pixel(x, y));
            coloured += pixel(x, y) != kWhite;
        }
    EXPECT_GE(colours.size(), 32u);
    EXPECT_GT(coloured, 76 * kBannerHeight / 3) << "disc covers too little of its square";
    // The waveform bars are white inside the disc; its centre lies on a bar
    // gap or a bar, so look along the middle row for both kinds.
    int white_inside = 0, dark_inside = 0;
    for (int x = 20; x < 56; ++x) {
        const int l = luma(pixel(x, kBannerHeight / 2));
        white_inside += l > 240;
        dark_inside += l < 160;
    }
    EXPECT_GT(white_inside, 0);
    EXPECT_GT(dark_inside, 0);
}

TEST_F(Banner, NameSitsAboveSloganRightOfLogo)
{
    // Dark navy pixels belong to the product name, teal ones to the slogan.
    // Their mean heights show the name above the slogan, which also catches
    // rows stored top-down by mistake.
    long name_rows = 0, name_pixels = 0, slogan_rows = 0, slogan_pixels = 0;
    for (int y = 0; y < kBannerHeight; ++y)
        for (int x = 80; x < 300; ++x) {
            const Rgb c = pixel(x, y);
            const int r = std::get<0>(c), g = std::get<1>(c), b = std::get<2>(c);
            if (luma(c) < 90 && b > r + 40) {
                name_rows += y;
                ++name_pixels;
            } else if (luma(c) < 170 && g > r + 50 && b > r + 50) {
                slogan_rows += y;
                ++slogan_pixels;
            }
        }
    ASSERT_GT(name_pixels, 500);
    ASSERT_GT(slogan_pixels, 100);
    const double name_y = double(name_rows) / double(name_pixels);
    const double slogan_y = double(slogan_rows) / double(slogan_pixels);
    EXPECT_LT(name_y, kBannerHeight / 2.0);
    EXPECT_GT(slogan_y, name_y + 15.0);
}

// ------------------------------------------------------------------- icon

struct IconImageLayout {
    uint32_t colour_count, bit_count, bytes;
};

const IconImageLayout kIconImages[] = {
    {0, 8, 2216},
    {16, 4, 744},
};

constexpr size_t kIconDirSize = 6 + 16 * 2;
constexpr size_t kMaskBytes = 4 * 32;  // 32 one-bit pixels per row = 4 bytes, 32 rows

class Icon : public ::testing::Test {
protected:
    void SetUp() override
    {
        ico = read_file("brimwave.ico");
        ASSERT_EQ(ico.size(), kIconDirSize + 2216 + 744) << "brimwave.ico missing or wrong size";
    }

    size_t image_offset(size_t i) const { return u32(ico, 6 + 16 * i + 12); }

    Bytes ico;
};

TEST_F(Icon, DirectoryListsThe8BitImageThenThe4BitImage)
{
    EXPECT_EQ(u16(ico, 0), 0u);
    EXPECT_EQ(u16(ico, 2), 1u);  // icon, not cursor
    ASSERT_EQ(u16(ico, 4), 2u);
    size_t expected_offset = kIconDirSize;
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("directory entry " + std::to_string(i));
        const size_t e = 6 + 16 * i;
        EXPECT_EQ(u8(ico, e + 0), 32u);
        EXPECT_EQ(u8(ico, e + 1), 32u);
        EXPECT_EQ(u8(ico, e + 2), kIconImages[i].colour_count);
        EXPECT_EQ(u8(ico, e + 3), 0u);
        EXPECT_EQ(u16(ico, e + 4), 1u);
        EXPECT_EQ(u16(ico, e + 6), kIconImages[i].bit_count);
        EXPECT_EQ(u32(ico, e + 8), kIconImages[i].bytes);
        EXPECT_EQ(image_offset(i), expected_offset);
        expected_offset += kIconImages[i].bytes;
    }
    EXPECT_EQ(expected_offset, ico.size());
}

TEST_F(Icon, EachImageIsColourPlusMaskOfItsStatedSize)
{
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const IconImageLayout& layout = kIconImages[i];
        const InfoHeader h = read_info_header(ico, image_offset(i));
        EXPECT_EQ(h.size, 40u);
        EXPECT_EQ(h.width, 32);
        EXPECT_EQ(h.height, 64);  // colour image stacked on the mask
        EXPECT_EQ(h.planes, 1u);
        EXPECT_EQ(h.bit_count, layout.bit_count);
        EXPECT_EQ(h.compression, 0u);
        const uint32_t entries = h.clr_used ? h.clr_used : 1u << layout.bit_count;
        EXPECT_EQ(entries, 1u << layout.bit_count);
        const size_t colour_bytes = (32 * layout.bit_count + 31) / 32 * 4 * 32;
        EXPECT_EQ(h.size_image, colour_bytes + kMaskBytes);
        EXPECT_EQ(40 + 4 * size_t(entries) + colour_bytes + kMaskBytes, size_t(layout.bytes));
    }
}

// Outside the disc the mask makes the icon transparent, and those pixels must
// be black so that XOR-ing them leaves the screen as it was.
TEST_F(Icon, TransparentExactlyOutsideTheDisc)
{
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const size_t base = image_offset(i);
        const uint32_t bits = kIconImages[i].bit_count;
        const size_t palette_at = base + 40;
        const size_t colour_at = palette_at + (size_t(4) << bits);
        const size_t colour_stride = 32 * bits / 8;
        const size_t mask_at = colour_at + colour_stride * 32;
        std::set<Rgb> visible_colours;
        for (int y = 0; y < 32; ++y) {
            const size_t row = size_t(31 - y);  // bottom-up
            for (int x = 0; x < 32; ++x) {
                const bool transparent =
                    (u8(ico, mask_at + row * 4 + size_t(x / 8)) >> (7 - x % 8)) & 1;
                uint32_t index = u8(ico, colour_at + row * colour_stride + size_t(x * bits / 8));
                if (bits == 4)
                    index = (x % 2) ? (index & 0x0F) : (index >> 4);
                const Rgb colour = palette_entry(ico, palette_at, index);
                const double r = std::hypot(x + 0.5 - 16.0, y + 0.5 - 16.0);
                EXPECT_TRUE(r >= 14.5 || !transparent) << "hole inside disc at " << x << "," << y;
                EXPECT_TRUE(r <= 16.5 || transparent) << "opaque outside disc at " << x << "," << y;
                if (transparent) {
                    EXPECT_EQ(colour, kBlack) << "masked pixel at " << x << "," << y;
                } else {
                    visible_colours.insert(colour);
                }
            }
        }
        // Shaded disc plus white waveform, not a flat blob.
        EXPECT_GE(visible_colours.size(), 4u);
        EXPECT_EQ(visible_colours.count(kWhite), 1u);
    }
}

}  // namespace
