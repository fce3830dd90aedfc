#include "driver/destination.h"
#include "services/product.h"
#include "services/text.h"

bool build_uninstall_command(char *command, size_t size, const char *destination)
{
    // Refused, it leaves an empty text.
    if (size > 0)
        command[0] = 0;
    char program[UNINSTALL_COMMAND_SIZE];
    if (!join_path(program, sizeof program, destination, payload_files[0].name))
        return false;

    // A blank would end the program's name where the command is read, a
    // quote could not be read back at all (and no file's name holds one).
    bool has_space = false;
    for (const char *p = program; *p; p++) {
        if (*p == '"')
            return false;
        has_space = has_space || is_blank(*p);
    }

    char *cursor = command;
    char *end = command + size;
    const char *quote = has_space ? "\"" : "";
    return append_text(&cursor, end, quote) && append_text(&cursor, end, program) &&
           append_text(&cursor, end, quote) && append_text(&cursor, end, " " UNINSTALL_SWITCH);
}
