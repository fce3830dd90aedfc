#include "driver/companion.h"
#include "services/text.h"

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

bool companion_paths(const char *command_line, const char *module_path, char *folder,
                     char *program)
{
    size_t colon = 0;
    while (command_line[colon] && command_line[colon] != ':')
        colon++;
    if (!command_line[colon] || colon == 0)
        return false;
    char drive = command_line[colon - 1];

    if (upper(module_path[0]) != upper(drive) || module_path[1] != ':' || module_path[2] != '\\')
        return false;
    for (const char *p = module_path + 3; *p; p++)
        if (*p == '\\')
            return false;

    folder[0] = drive;
    folder[1] = ':';
    folder[2] = '\\';
    folder[3] = 0;
    return join_path(program, COMPANION_PROGRAM_SIZE, folder, "bladeenc.exe");
}
