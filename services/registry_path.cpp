#include "services/registry_path.h"
#include "services/text.h"

bool split_registry_path(char *buffer, size_t size, const char *prefix,
                         const char *path, char **value_name)
{
    char *cursor = buffer;
    char *end = buffer + size;
    if (!append_text(&cursor, end, prefix) || !append_text(&cursor, end, path))
        return false;

    char *last = const_cast<char *>(last_backslash(buffer));
    if (!last)
        return false;
    // A trailing backslash leaves the terminating zero: an empty name.
    *value_name = last + 1;
    *last = 0;
    return true;
}

bool terminate_registry_text(char *buffer, size_t buffer_size, size_t data_size)
{
    if (data_size > buffer_size)
        return false;
    for (size_t i = 0; i < data_size; i++)
        if (buffer[i] == 0)
            return true;
    if (data_size == buffer_size)
        return false;
    buffer[data_size] = 0;
    return true;
}
