// Splitting one registry path text into key path and value name. No Win32 here.
#pragma once
#include <stddef.h>

enum { REGISTRY_PATH_SIZE = 256 };

// Joins prefix and path into buffer (size bytes), then splits at the last
// backslash: the buffer keeps the key path and *value_name points at the value
// name inside it. A trailing backslash names the key's default value (empty
// name). Refuses (false) a joined text that does not fit, and one without any
// backslash, since it has no split point.
bool split_registry_path(char *buffer, size_t size, const char *prefix,
                         const char *path, char **value_name);

// A string read from the registry need not be terminated. Makes the data_size
// bytes in buffer (buffer_size bytes) a terminated text: true when they hold a
// zero or one can be added after them; false when the buffer is full without one.
bool terminate_registry_text(char *buffer, size_t buffer_size, size_t data_size);
