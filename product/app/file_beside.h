// Naming a file that lies in the same folder as another. No Win32 here, so it
// is tested natively.
#pragma once
#include <stddef.h>

// Writes into dest (size bytes) the folder part of path, up to and including
// its last backslash, followed by file_name: "C:\A\Brimwave.exe" and
// "Brimwave.chm" give "C:\A\Brimwave.chm". False, with dest holding an empty
// text, when path has no backslash or the result does not fit.
bool file_beside(char *dest, size_t size, const char *path, const char *file_name);
