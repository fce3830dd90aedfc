// Bounded text assembly into fixed buffers. No Win32 here, so it is tested natively.
#pragma once
#include <stddef.h>

// Copies text to *cursor and leaves the cursor on the copied terminating zero,
// so that the next call appends. end is one past the buffer's last byte.
// When the text does not fit, the buffer holds as much as fits, terminated,
// and the result is false: callers refuse the whole text then.
bool append_text(char **cursor, char *end, const char *text);

// copy_text(dest, size, text): the whole text fits, terminated, or false.
bool copy_text(char *dest, size_t size, const char *text);

bool ends_with_backslash(const char *text);

// folder, a backslash unless folder ends with one, then name.
bool join_path(char *dest, size_t size, const char *folder, const char *name);

// Length of text, looking at no more than limit bytes; limit when no zero is found.
size_t bounded_length(const char *text, size_t limit);

// Whether the part of path after its last backslash is name, ASCII case
// ignored. path is read no further than size bytes; a path without a zero
// within them is no name at all.
bool path_ends_with_name(const char *path, size_t size, const char *name);
