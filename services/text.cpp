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

bool copy_span(char *dest, size_t size, const char *start, size_t length)
{
    if (length >= size)
        return false;
    for (size_t i = 0; i < length; i++)
        dest[i] = start[i];
    dest[length] = 0;
    return true;
}

const char *next_char(const char *p)
{
    return is_lead_byte(*p) && p[1] ? p + 2 : p + 1;
}

const char *last_backslash(const char *path)
{
    const char *last = NULL;
    for (const char *p = path; *p; p = next_char(p))
        if (*p == '\\')
            last = p;
    return last;
}

bool ends_with_backslash(const char *text)
{
    const char *last = last_backslash(text);
    return last && last[1] == 0;
}

bool same_ignoring_case(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (is_lead_byte(a[i]) && i + 1 < n) {
            // Both bytes exactly: the second may look like an ASCII letter.
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i++;
        } else if (lower_ascii(a[i]) != lower_ascii(b[i])) {
            return false;
        }
    }
    return true;
}

bool join_path(char *dest, size_t size, const char *folder, const char *name)
{
    // A lead byte that ends the folder would take the backslash after it
    // for its second byte: the name would then be part of the folder's.
    const char *last = NULL;
    for (const char *p = folder; *p; p = next_char(p))
        last = p;
    if (last && is_lead_byte(*last) && !last[1]) {
        if (size > 0)
            dest[0] = 0;
        return false;
    }
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

bool next_argument(const char *p, const char **start, const char **end)
{
    while (is_blank(*p))
        p++;
    if (!*p)
        return false;
    *start = p;
    bool in_quotes = false;
    for (; *p && (in_quotes || !is_blank(*p)); p++)
        if (*p == '"')
            in_quotes = !in_quotes;
    *end = p;
    return true;
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
    // Only a terminated path is stepped through.
    if (bounded_length(path, size) == size)
        return false;
    const char *last = last_backslash(path);
    last = last ? last + 1 : path;
    size_t length = text_length(last);
    return length == text_length(name) && same_ignoring_case(last, name, length);
}
