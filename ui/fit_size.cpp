#include "ui/fit_size.h"

bool fit_size(uint32_t picture_width, uint32_t picture_height, uint32_t client_width,
              uint32_t client_height, uint32_t width_limit, uint32_t height_limit,
              uint32_t *width, uint32_t *height)
{
    if (picture_width == 0 || picture_height == 0)
        return false;
    uint32_t target_width = client_width < width_limit ? client_width : width_limit;
    uint32_t target_height = client_height < height_limit ? client_height : height_limit;

    // 64-bit products: 32-bit sizes times 32-bit sizes never overflow.
    uint64_t h = (uint64_t)picture_height * target_width / picture_width;
    if (h <= target_height) {
        *width = target_width;
        *height = (uint32_t)h;
        return true;
    }
    *width = (uint32_t)((uint64_t)picture_width * target_height / picture_height);
    *height = target_height;
    return true;
}
