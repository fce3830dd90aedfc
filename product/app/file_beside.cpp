#include "file_beside.h"

bool file_beside(char *dest, size_t size, const char *path, const char *file_name)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    size_t folder_length = 0;
    for (size_t i = 0; path[i]; i++) {
        if (path[i] == '\\')
            folder_length = i + 1;
    }
    if (folder_length == 0)
        return false;
    size_t name_length = 0;
    while (file_name[name_length])
        name_length++;
    // Both parts and the terminating zero must fit.
    if (folder_length >= size || name_length >= size - folder_length)
        return false;
    for (size_t i = 0; i < folder_length; i++)
        dest[i] = path[i];
    for (size_t i = 0; i <= name_length; i++)
        dest[folder_length + i] = file_name[i];
    return true;
}
