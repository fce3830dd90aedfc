#include "services/full_path.h"
#include "services/text.h"

namespace {

bool is_separator(char c)
{
    return c == '\\' || c == '/';
}

// The end of the name at p: the next separator that is a character of its
// own, or the end of the text.
const char *name_end(const char *p)
{
    while (*p && !is_separator(*p))
        p = next_char(p);
    return p;
}

// The end of [name, end) without its trailing dots and blanks (neither is
// ever a character's second byte).
const char *end_without_dots_and_blanks(const char *name, const char *end)
{
    const char *kept = name;
    for (const char *p = name; p < end; p = next_char(p))
        if (*p != '.' && *p != ' ')
            kept = next_char(p);
    return kept;
}

bool ends_with_dot(const char *name, const char *end)
{
    const char *last = name;
    for (const char *p = name; p < end; p = next_char(p))
        last = p;
    return last + 1 == end && *last == '.';
}

bool is_dot_name(const char *name, const char *end, size_t dots)
{
    if ((size_t)(end - name) != dots)
        return false;
    for (const char *p = name; p < end; p++)
        if (*p != '.')
            return false;
    return true;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, before any '.' or ':' and blanks.
bool is_dos_device(const char *name, const char *end)
{
    const char *base_end = name;
    while (base_end < end && *base_end != '.' && *base_end != ':')
        base_end = next_char(base_end);
    while (base_end > name && base_end[-1] == ' ')
        base_end--;
    size_t length = (size_t)(base_end - name);
    char base[5] = {};
    if (length != 3 && length != 4)
        return false;
    for (size_t i = 0; i < length; i++)
        base[i] = lower_ascii(name[i]);
    static const char *const three[] = {"con", "prn", "aux", "nul"};
    static const char *const numbered[] = {"com", "lpt"};
    const char *const *table = length == 3 ? three : numbered;
    size_t count = length == 3 ? 4 : 2;
    for (size_t i = 0; i < count; i++) {
        if (same_ignoring_case(base, table[i], 3))
            return length == 3 || (base[3] >= '1' && base[3] <= '9');
    }
    return false;
}

// Appends a backslash and [name, end) at *cursor.
bool append_name(char **cursor, char *limit, const char *name, const char *end)
{
    size_t length = (size_t)(end - name);
    if (*cursor >= limit || (size_t)(limit - *cursor) < length + 2)
        return false;
    char *p = *cursor;
    *p++ = '\\';
    for (size_t i = 0; i < length; i++)
        *p++ = name[i];
    *p = 0;
    *cursor = p;
    return true;
}

// The root of path into dest: "X:" or "\\server\share", without a
// separator after it; *rest is where the names after it start.
FullPathForm copy_root(char **cursor, char *limit, const char *path, const char **rest)
{
    if (is_separator(path[0]) && is_separator(path[1])) {
        if ((path[2] == '?' || path[2] == '.') && (!path[3] || is_separator(path[3])))
            return FULL_PATH_DEVICE;
        const char *server = path + 2;
        const char *server_end = name_end(server);
        if (end_without_dots_and_blanks(server, server_end) == server)
            return FULL_PATH_UNCLEAR;
        if (!*server_end || !server_end[1])
            return FULL_PATH_ROOT; // "\\server", "\\server\"
        const char *share = server_end + 1;
        const char *share_end = name_end(share);
        if (end_without_dots_and_blanks(share, share_end) == share)
            return FULL_PATH_UNCLEAR;
        if (!append_name(cursor, limit, "", "") || !append_name(cursor, limit, server, server_end) ||
            !append_name(cursor, limit, share, share_end))
            return FULL_PATH_TOO_LONG;
        *rest = share_end;
        return FULL_PATH_FOLDER;
    }
    if (!path[0] || is_separator(path[0]) || is_lead_byte(path[0]) || path[1] != ':' ||
        !is_separator(path[2]))
        return FULL_PATH_RELATIVE;
    if (!copy_span(*cursor, (size_t)(limit - *cursor), path, 2))
        return FULL_PATH_TOO_LONG;
    *cursor += 2;
    *rest = path + 2;
    return FULL_PATH_FOLDER;
}

} // namespace

FullPathForm full_path_form(char *dest, size_t size, const char *path)
{
    if (size == 0)
        return FULL_PATH_TOO_LONG;
    dest[0] = 0;
    char *cursor = dest;
    char *limit = dest + size;
    const char *p = path;
    FullPathForm form = copy_root(&cursor, limit, path, &p);
    if (form != FULL_PATH_FOLDER) {
        dest[0] = 0;
        return form;
    }
    char *const root_end = cursor;
    const char *last_name = NULL;
    const char *last_name_end = NULL;
    while (*p) {
        if (is_separator(*p)) {
            p++;
            continue;
        }
        const char *name = p;
        p = name_end(p);
        bool is_last = !*p;
        const char *end = p;
        if (end_without_dots_and_blanks(name, end) == name) {
            if (!is_dot_name(name, end, 1) && !is_dot_name(name, end, 2)) {
                dest[0] = 0;
                return FULL_PATH_UNCLEAR;
            }
            if (is_dot_name(name, end, 2) && cursor > root_end) {
                // Back to the backslash before the last name kept.
                cursor = const_cast<char *>(last_backslash(dest));
                *cursor = 0;
            }
            continue;
        }
        if (is_last)
            end = end_without_dots_and_blanks(name, end);
        else if (ends_with_dot(name, end))
            end--;
        if (!append_name(&cursor, limit, name, end)) {
            dest[0] = 0;
            return FULL_PATH_TOO_LONG;
        }
        if (is_last) {
            last_name = name;
            last_name_end = end;
        }
    }
    if (last_name && is_dos_device(last_name, last_name_end)) {
        dest[0] = 0;
        return FULL_PATH_DEVICE;
    }
    if (cursor > root_end)
        return FULL_PATH_FOLDER;
    // A drive's root keeps its backslash: "C:" alone names the drive's
    // current folder.
    if (dest[1] == ':' && !append_name(&cursor, limit, "", "")) {
        dest[0] = 0;
        return FULL_PATH_TOO_LONG;
    }
    return FULL_PATH_ROOT;
}
