#include "ui/fit_size.h"

// n / d, for a quotient that fits 32 bits (the high half of n below d), by
// shifts and subtractions: libgcc's 64-bit division would weigh ten times
// as much in a program without a C runtime.
static uint32_t divide(uint64_t n, uint32_t d)
{
    uint64_t remainder = n >> 32;
    uint32_t low = (uint32_t)n;
    uint32_t quotient = 0;
    for (int bit = 0; bit < 32; bit++) {
        remainder = remainder << 1 | low >> 31;
        low <<= 1;
        quotient <<= 1;
        if (remainder >= d) {
            remainder -= d;
            quotient |= 1;
        }
    }
    return quotient;
}

bool fit_size(uint32_t picture_width, uint32_t picture_height, uint32_t client_width,
              uint32_t client_height, uint32_t width_limit, uint32_t height_limit,
              uint32_t *width, uint32_t *height)
{
    if (picture_width == 0 || picture_height == 0)
        return false;
    uint32_t target_width = client_width < width_limit ? client_width : width_limit;
    uint32_t target_height = client_height < height_limit ? client_height : height_limit;

    // 64-bit products: 32-bit sizes times 32-bit sizes never overflow. A
    // quotient beyond 32 bits is beyond any height.
    uint64_t product = (uint64_t)picture_height * target_width;
    if ((product >> 32) < picture_width) {
        uint32_t h = divide(product, picture_width);
        if (h <= target_height) {
            *width = target_width;
            *height = h;
            return true;
        }
    }
    // Here picture_width * target_height / picture_height < target_width.
    *width = divide((uint64_t)picture_width * target_height, picture_height);
    *height = target_height;
    return true;
}
