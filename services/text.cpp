#include "services/text.h"

bool append_text(char **cursor, char *end, const char *text)
{
    char *p = *cursor;
    if (p >= end)
        return false;
    while (*text) {
        if (p + 1 >= end) {
            *p = 0;
            *cursor = p;
            return false;
        }
        *p++ = *text++;
    }
    *p = 0;
    *cursor = p;
    return true;
}

bool copy_text(char *dest, size_t size, const char *text)
{
    char *cursor = dest;
    return append_text(&cursor, dest + size, text);
}

bool ends_with_backslash(const char *text)
{
    size_t n = text_length(text);
    return n > 0 && text[n - 1] == '\\';
}

bool join_path(char *dest, size_t size, const char *folder, const char *name)
{
    char *cursor = dest;
    char *end = dest + size;
    if (!append_text(&cursor, end, folder))
        return false;
    if (!ends_with_backslash(folder) && !append_text(&cursor, end, "\\"))
        return false;
    return append_text(&cursor, end, name);
}

size_t bounded_length(const char *text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n])
        n++;
    return n;
}

size_t text_length(const char *text)
{
    return bounded_length(text, (size_t)-1);
}

char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

const char *format_decimal(uint32_t value, char *digits)
{
    char *first = digits + DECIMAL_SIZE - 1;
    *first = 0;
    do {
        *--first = (char)('0' + value % 10);
        value /= 10;
    } while (value);
    return first;
}

bool path_ends_with_name(const char *path, size_t size, const char *name)
{
    size_t length = bounded_length(path, size);
    if (length == size)
        return false;
    const char *last = path + length;
    while (last > path && last[-1] != '\\')
        last--;
    for (;; last++, name++) {
        if (lower_ascii(*last) != lower_ascii(*name))
            return false;
        if (!*last)
            return true;
    }
}
