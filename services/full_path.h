// The full form of a path, tidied as GetFullPathName tidies it, worked out
// without asking the system, so that a rule judged on it is tested natively
// and fuzzed. Windows creates, opens and removes what this form names, not
// what was typed: "C:\A\..\..", "C:\.", "C:/" and "C:\ " all name the root
// of C:. No Win32 here.
//
// The rules, in the order they apply:
// - '/' is a separator as '\' is; a run of separators counts as one.
// - The root: "X:" and a separator (a drive's), or two separators, a server
//   and a share name ("\\server\share", a share's). Two separators followed
//   by '?' or '.' and a separator (or the end) start a device path
//   ("\\?\", "\\.\"), which the system passes on untidied.
// - After the root, a name "." is dropped and a name ".." drops the name
//   before it; neither goes above the root.
// - A name followed by a separator loses one trailing '.'; the last name
//   loses all its trailing dots and blanks ("C:\A. " is "C:\A").
// - A last name that is a DOS device (CON, PRN, AUX, NUL, COM1-9, LPT1-9,
//   any case, whatever follows a '.' or ':', trailing blanks ignored) names
//   that device, not a file.
// Names of dots and blanks only, other than "." and "..", are read
// differently by different versions of Windows: such a path is unclear.
//
// Paths are stepped through by whole characters of the ANSI code page: a
// character's second byte can be 0x5C and is then no separator.
#pragma once
#include <stddef.h>

enum FullPathForm {
    FULL_PATH_FOLDER,   // a drive's or share's root and at least one name
    FULL_PATH_ROOT,     // "X:\", "\\server\share", or a server without a share
    FULL_PATH_DEVICE,   // "\\?\...", "\\.\...", or a DOS device name
    FULL_PATH_RELATIVE, // "", "A", "\A", "C:" or "C:A": read against a current folder
    FULL_PATH_UNCLEAR,  // a name of dots and blanks, an empty server or share name
    FULL_PATH_TOO_LONG, // the full form does not fit dest
};

// Writes the full form of path into dest (size bytes) for FULL_PATH_FOLDER
// and FULL_PATH_ROOT: the root ("C:\" with its backslash, "\\server\share"
// without one) and each name after a single backslash, no trailing
// backslash after a name. For any other form dest holds an empty text
// (when size > 0). The full form is never longer than path.
FullPathForm full_path_form(char *dest, size_t size, const char *path);
