#include "uninstall_rules.h"
#include "services/exit_codes.h"
#include "services/full_path.h"
#include "services/product.h"
#include "services/text.h"

namespace {

// The longest folder judged (MAX_PATH); a longer one is never removed.
enum { FULL_FOLDER_SIZE = 260 };

// The length of path without one trailing backslash.
size_t length_without_backslash(const char *path)
{
    size_t n = text_length(path);
    return ends_with_backslash(path) ? n - 1 : n;
}

// [start, start + length) into dest with a terminating zero.
bool copy_part(char *dest, size_t size, const char *start, size_t length)
{
    return length != 0 && copy_span(dest, size, start, length);
}

} // namespace

bool is_same_path(const char *a, const char *b)
{
    size_t n = length_without_backslash(a);
    return n == length_without_backslash(b) && same_ignoring_case(a, b, n);
}

bool program_folder(char *dest, size_t size, const char *program_path)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    const char *backslash = last_backslash(program_path);
    if (!backslash)
        return false;
    size_t last = static_cast<size_t>(backslash - program_path);
    // "C:\Brimwave.exe": the root keeps its backslash, "C:" alone would name
    // the drive's current folder.
    size_t length = last;
    if (last == 2 && program_path[1] == ':')
        length = 3;
    if (length == 0 || !copy_part(dest, size, program_path, length)) {
        dest[0] = 0;
        return false;
    }
    return true;
}

bool uninstall_command_program(char *dest, size_t size, const char *command)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    const char *p = command;
    while (is_blank(*p))
        p++;
    if (*p == '"') {
        const char *start = p + 1;
        const char *end = start;
        while (*end && *end != '"')
            end++;
        if (!*end || !copy_part(dest, size, start, static_cast<size_t>(end - start))) {
            dest[0] = 0;
            return false;
        }
        return true;
    }

    const char *end = p + text_length(p);
    while (end > p && is_blank(end[-1]))
        end--;
    static const char uninstall_switch[] = UNINSTALL_SWITCH;
    const size_t switch_length = sizeof uninstall_switch - 1;
    if (static_cast<size_t>(end - p) > switch_length) {
        const char *word = end - switch_length;
        bool matches = is_blank(word[-1]);
        for (size_t i = 0; matches && i < switch_length; i++)
            matches = lower_ascii(word[i]) == uninstall_switch[i];
        if (matches) {
            end = word;
            while (end > p && is_blank(end[-1]))
                end--;
        }
    }
    if (!copy_part(dest, size, p, static_cast<size_t>(end - p))) {
        dest[0] = 0;
        return false;
    }
    return true;
}

bool is_removable_folder(const char *folder)
{
    // Its names are counted, so that no spelling of a root passes: a run of
    // backslashes counts as one, as Windows reads it, and "." or ".." could
    // lead back to the root, so a folder with such a name is never removed.
    const char *p = folder;
    int root_names = 0;
    if (p[0] == '\\' && p[1] == '\\') {
        root_names = 2; // the server and the share
        p += 2;
    } else if (p[0] && p[1] == ':') {
        p += 2;
    }
    int names = 0;
    while (*p) {
        if (*p == '\\') {
            p++;
            continue;
        }
        const char *name = p;
        while (*p && *p != '\\')
            p = next_char(p);
        size_t length = static_cast<size_t>(p - name);
        if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.')))
            return false;
        names++;
    }
    // And as Windows reads it: "C:/", "C:\ " and "\\?\UNC\srv\share" are
    // roots or devices too.
    char full[FULL_FOLDER_SIZE];
    return names > root_names && full_path_form(full, sizeof full, folder) == FULL_PATH_FOLDER;
}

const char finishing_folder_prefix[] = "bwu";

bool is_finishing_folder(const char *folder)
{
    const char *backslash = last_backslash(folder);
    const char *name = backslash ? backslash + 1 : folder;
    const size_t length = sizeof finishing_folder_prefix - 1;
    return bounded_length(name, length) == length &&
           same_ignoring_case(name, finishing_folder_prefix, length);
}

bool is_marked_by_parent(const UninstallStart &start)
{
    return start.marked && start.parent_known && start.marked_id == start.parent_id;
}

UninstallRoute choose_uninstall_route(const UninstallStart &start)
{
    // The question was asked by the parent only when the marker names it
    // and the token is raised. A system that starts the marked child without
    // raising it (Wine does; so would one that answers "runas" with the same
    // rights) gets a child that asks again and then removes with what it
    // has: raising once more would loop.
    if (is_marked_by_parent(start))
        return start.elevated ? UNINSTALL_REMOVE : UNINSTALL_ASK_AND_REMOVE;
    // Anything else is a plain "/uninstall", a typed marker too.
    return start.nt6_or_later && !start.elevated ? UNINSTALL_ASK_AND_ELEVATE
                                                 : UNINSTALL_ASK_AND_REMOVE;
}

int removal_exit_code(bool something_kept, bool something_at_restart)
{
    if (something_kept)
        return UNINSTALL_FAILED;
    return something_at_restart ? UNINSTALL_REMOVED_AT_RESTART : UNINSTALL_REMOVED;
}

const char *uninstall_result_text(int exit_code)
{
    switch (exit_code) {
    case UNINSTALL_REMOVED:
        return "Brimwave has been removed";
    case UNINSTALL_DECLINED:
        return "the user answered No; nothing was removed";
    case UNINSTALL_REMOVED_AT_RESTART:
        return "Brimwave has been removed; some of its files go at the next restart";
    case UNINSTALL_ANOTHER_RUNNING:
        return "Brimwave Setup or another removal is running; nothing was changed";
    default:
        return "Brimwave was not removed completely, or not at all";
    }
}

bool build_result_line(char *dest, size_t size, int exit_code)
{
    if (size == 0)
        return false;
    char digits[DECIMAL_SIZE];
    char *cursor = dest;
    char *limit = dest + size;
    return append_text(&cursor, limit, "Result: ") &&
           append_text(&cursor, limit, format_decimal(static_cast<uint32_t>(exit_code), digits)) &&
           append_text(&cursor, limit, " ") &&
           append_text(&cursor, limit, uninstall_result_text(exit_code));
}
