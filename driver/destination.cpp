#include "driver/destination.h"
#include "services/full_path.h"
#include "services/payload.h"
#include "services/product.h"
#include "services/text.h"

void choose_fresh_destination(char *destination, const char *program_files,
                              const char *windows_directory)
{
    // A trailing backslash of the folder serves as the product folder's.
    if (program_files && program_files[0] &&
        join_path(destination, DESTINATION_SIZE, program_files, PRODUCT_FOLDER_NAME))
        return;

    destination[0] = 0;
    if (!windows_directory || !windows_directory[0] || windows_directory[1] != ':')
        return;
    char folder[] = "?:\\Program Files";
    folder[0] = windows_directory[0];
    join_path(destination, DESTINATION_SIZE, folder, PRODUCT_FOLDER_NAME);
}

bool is_acceptable_destination(const char *destination)
{
    if (!destination[0] || destination[1] != ':' || destination[2] != '\\' ||
        !destination[3])
        return false;
    // Judged as Windows will read it: "C:\A\..\.." and "C:\." are the root.
    char full[DESTINATION_SIZE];
    if (full_path_form(full, sizeof full, destination) != FULL_PATH_FOLDER)
        return false;

    // Each file is also expanded and kept under its staging and backup names.
    size_t longest = STAGED_NAME_SIZE - 1;
    if (text_length(temporary_file_name) > longest)
        longest = text_length(temporary_file_name);
    for (const FileTableEntry &entry : payload_files) {
        size_t n = bounded_length(entry.name, FILE_TABLE_NAME_SIZE);
        if (n > longest)
            longest = n;
    }
    size_t folder = text_length(destination);
    if (!ends_with_backslash(destination))
        folder++;
    if (folder + longest > LZ_PATH_LIMIT)
        return false;

    char command[UNINSTALL_COMMAND_SIZE];
    return build_uninstall_command(command, sizeof command, destination);
}

bool next_destination_folder(const char *destination, const char **next, char *folder)
{
    const char *p = *next;
    if (!p)
        return false;
    // Up to the next backslash that is a character of its own, or the end.
    while (*p && *p != '\\')
        p = next_char(p);
    if (!copy_span(folder, DESTINATION_SIZE, destination, (size_t)(p - destination)))
        return false;
    *next = *p ? next_char(p) : NULL;
    return true;
}

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
