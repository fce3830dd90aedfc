#include "driver/companion.h"
#include "services/text.h"

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

bool companion_paths(const char *command_line, const char *module_path, char *folder,
                     char *program)
{
    // Only the program's own part: an option's text names no medium.
    const char *start, *end;
    if (!next_argument(command_line, &start, &end))
        return false;
    const char *before = NULL;
    const char *p = command_line;
    while (p < end && *p != ':') {
        before = p;
        p = next_char(p);
    }
    // The drive letter is a character of one byte.
    if (p >= end || !before || before + 1 != p)
        return false;
    char drive = *before;

    if (upper(module_path[0]) != upper(drive) || module_path[1] != ':' || module_path[2] != '\\')
        return false;
    if (last_backslash(module_path) != module_path + 2)
        return false;

    folder[0] = drive;
    folder[1] = ':';
    folder[2] = '\\';
    folder[3] = 0;
    return join_path(program, COMPANION_PROGRAM_SIZE, folder, "bladeenc.exe");
}

bool companion_beside_setup(const char *module_path, char *folder, size_t folder_size,
                            char *program, size_t program_size)
{
    const char *backslash = last_backslash(module_path);
    if (!backslash)
        return false;
    // A root keeps its backslash: "D:\" is the drive's root, "D:" its current folder.
    size_t length = (size_t)(backslash - module_path);
    if (length == 2 && module_path[1] == ':')
        length = 3;
    return copy_span(folder, folder_size, module_path, length) &&
           join_path(program, program_size, folder, "bladeenc.exe");
}
