#include "services/exit_codes.h"
#include "services/text.h"

bool build_exit_line(char *dest, size_t size, unsigned code, const char *meaning)
{
    char digits[DECIMAL_SIZE];
    char *cursor = dest;
    char *end = dest + size;
    return size > 0 && append_text(&cursor, end, "Exit code: ") &&
           append_text(&cursor, end, format_decimal(code, digits)) &&
           append_text(&cursor, end, " (") && append_text(&cursor, end, meaning) &&
           append_text(&cursor, end, ")");
}
