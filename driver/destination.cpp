#include "driver/destination.h"
#include "services/full_path.h"
#include "services/payload.h"
#include "services/product.h"
#include "services/text.h"

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
