// The size a picture is scaled to so that it fills a control without
// changing its aspect ratio. No Win32 here, so it is tested natively.
#pragma once
#include <stdint.h>

// Target = client size, each side cut to its limit. The full target width is
// tried first; if the height that gives is too tall, the full target height
// is used. False for a picture without area, which cannot be scaled.
bool fit_size(uint32_t picture_width, uint32_t picture_height, uint32_t client_width,
              uint32_t client_height, uint32_t width_limit, uint32_t height_limit,
              uint32_t *width, uint32_t *height);
