// Bounded text assembly into fixed buffers, and stepping through paths by
// whole characters. No Win32 here, so it is tested natively.
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
// The length bytes at start, terminated in dest of size bytes, or false when
// they do not fit (dest is then untouched).
bool copy_span(char *dest, size_t size, const char *start, size_t length);

// Whether c is the first of the two bytes of a character in the ANSI code
// page (932, 936, 949 and 950 have such characters). The second byte can be
// 0x5C, the backslash, so paths are stepped through by whole characters.
// The Windows programs ask the system (services/code_page.cpp); the host
// tests stand in for it.
bool is_lead_byte(char c);

// The character after the one at p; a lead byte before the end counts alone.
const char *next_char(const char *p);

// The last backslash of path that is a character of its own, or NULL.
const char *last_backslash(const char *path);

bool ends_with_backslash(const char *text);

// Whether the first n bytes of a and b hold the same characters: ASCII
// letters in any case, every other byte (a character's second byte too)
// exactly.
bool same_ignoring_case(const char *a, const char *b, size_t n);

// folder, a backslash unless folder ends with one, then name. False for a
// folder whose last byte is a lead byte on its own, as for one that does not fit.
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
// depend on the code page, and a character's second byte may fall in A-Z.
char lower_ascii(char c);

bool is_blank(char c);

// The next argument of a command line at or after p: [*start, *end), running
// to the next blank outside double quotes (an unclosed quote takes in the
// rest of the line), its quotes kept. False when only blanks are left.
bool next_argument(const char *p, const char **start, const char **end);

// Room for any 32-bit number in decimal and its terminating zero.
enum { DECIMAL_SIZE = 11 };
// Writes value in decimal digits at the end of digits (DECIMAL_SIZE bytes)
// and returns where they start.
const char *format_decimal(uint32_t value, char *digits);
