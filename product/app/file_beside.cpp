#include "file_beside.h"
#include "services/text.h"

bool file_beside(char *dest, size_t size, const char *path, const char *file_name)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    const char *last = last_backslash(path);
    if (!last)
        return false;
    size_t folder_length = (size_t)(last - path) + 1;
    size_t name_length = text_length(file_name);
    // Both parts and the terminating zero must fit.
    if (folder_length >= size || name_length >= size - folder_length)
        return false;
    for (size_t i = 0; i < folder_length; i++)
        dest[i] = path[i];
    for (size_t i = 0; i <= name_length; i++)
        dest[folder_length + i] = file_name[i];
    return true;
}
