#include "services/wide_path_rules.h"

bool join_wide_path(wchar_t *dest, size_t size, const wchar_t *folder, const char *name)
{
    size_t length = 0;
    while (folder[length])
        length++;
    // Every character of a wide path is whole: its backslash is one.
    bool separator = length > 0 && folder[length - 1] != L'\\';
    if (length + (separator ? 1 : 0) >= size)
        return false;
    for (size_t i = 0; i < length; i++)
        dest[i] = folder[i];
    if (separator)
        dest[length++] = L'\\';
    return widen_text(name, dest + length, size - length);
}

const wchar_t *wide_path_name(const wchar_t *path)
{
    const wchar_t *name = path;
    for (const wchar_t *p = path; *p; p++)
        if (*p == L'\\')
            name = p + 1;
    return name;
}

bool wide_path_folder(wchar_t *dest, size_t size, const wchar_t *path)
{
    const wchar_t *name = wide_path_name(path);
    if (name == path)
        return false;
    size_t length = (size_t)(name - path) - 1;
    // "C:\Brimwave.exe": the root keeps its backslash; "C:" alone would name
    // the drive's current folder.
    if (length == 2 && path[1] == L':')
        length = 3;
    if (length == 0 || length >= size)
        return false;
    for (size_t i = 0; i < length; i++)
        dest[i] = path[i];
    dest[length] = 0;
    return true;
}

static bool append_wide(wchar_t **cursor, wchar_t *end, const wchar_t *text)
{
    for (; *text; text++) {
        if (*cursor + 1 >= end)
            return false;
        *(*cursor)++ = *text;
    }
    **cursor = 0;
    return true;
}

bool build_wide_command(wchar_t *dest, size_t size, const wchar_t *program, const char *arguments)
{
    for (const wchar_t *p = program; *p; p++)
        if (*p == L'"')
            return false;
    wchar_t *cursor = dest;
    wchar_t *end = dest + size;
    return size > 0 && append_wide(&cursor, end, L"\"") && append_wide(&cursor, end, program) &&
           append_wide(&cursor, end, L"\" ") &&
           widen_text(arguments, cursor, (size_t)(end - cursor));
}

static wchar_t lower_ascii_wide(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? (wchar_t)(c - L'A' + L'a') : c;
}

// The length of path without one trailing backslash.
static size_t length_without_backslash(const wchar_t *path)
{
    size_t n = 0;
    while (path[n])
        n++;
    return n > 0 && path[n - 1] == L'\\' ? n - 1 : n;
}

bool is_same_wide_path(const wchar_t *a, const wchar_t *b)
{
    // Only one backslash is left off: "C:\A\\" is not "C:\A\", as it
    // is not "C:\A".
    size_t n = length_without_backslash(a);
    if (n != length_without_backslash(b))
        return false;
    for (size_t i = 0; i < n; i++)
        if (lower_ascii_wide(a[i]) != lower_ascii_wide(b[i]))
            return false;
    return true;
}
