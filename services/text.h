// Bounded text assembly into fixed buffers. No Win32 here, so it is tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

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

// Length of a text known to be terminated.
size_t text_length(const char *text);

// Only the ASCII letters A-Z are lowered: the bytes of other characters
// depend on the code page.
char lower_ascii(char c);

bool is_blank(char c);

// Room for any 32-bit number in decimal and its terminating zero.
enum { DECIMAL_SIZE = 11 };
// Writes value in decimal digits at the end of digits (DECIMAL_SIZE bytes)
// and returns where they start.
const char *format_decimal(uint32_t value, char *digits);
