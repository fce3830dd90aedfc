// Decisions of the uninstaller that need no Win32, so they are tested
// natively: which folder is the installation, whether a recorded path names
// it, and which folder may go.
#pragma once
#include <stddef.h>
#include <stdint.h>

// True when a and b name the same file or folder as far as their texts tell:
// ASCII letters compare without regard to case, and one trailing backslash
// on either side is ignored ("C:\A\" is "c:\a"). Other letters are compared
// exactly: a shortcut or a record that differs only in the case of such a
// letter is taken for another installation's and kept, never removed.
bool is_same_path(const char *a, const char *b);

// The folder of program_path, without a trailing backslash unless it is a
// drive's root: "C:\A\Brimwave.exe" gives "C:\A", "C:\Brimwave.exe" gives
// "C:\". False, with dest holding an empty text, when program_path has no
// backslash or the folder does not fit size bytes.
bool program_folder(char *dest, size_t size, const char *program_path);

// The program an uninstall command starts: the text between the first pair
// of double quotes when the command begins with one; otherwise the command
// without a last argument "/uninstall" (any case) and the blanks before it,
// so that an unquoted path with spaces in it, as older setup programs wrote
// it, is read whole. False, with dest empty, for an empty program, an
// unclosed quote or a program that does not fit.
bool uninstall_command_program(char *dest, size_t size, const char *command);

// How "Brimwave.exe /uninstall" goes on. From Windows Vista on, the
// registered command runs with the user's limited rights, which cannot
// remove what setup installed for the machine.
enum UninstallRoute {
    UNINSTALL_ASK_AND_REMOVE,  // ask, then hand over to the copy
    UNINSTALL_ASK_AND_ELEVATE, // ask, then start itself with raised rights
    UNINSTALL_REMOVE,          // the raised start, asked already: never again
};

// What an uninstall knows of how it was started.
struct UninstallStart {
    bool nt6_or_later;  // NT 6.0 (Vista) or later
    bool elevated;      // the token is known to be elevated
    bool marked;        // the command line is the raised start's (read_elevated_command)
    uint32_t marked_id; // the process the marker names
    bool parent_known;  // parent_id was found
    uint32_t parent_id; // the process that started this one
};

// Whether the marker names the process that started this one, as it does
// when the uninstall raised its rights: Windows makes the asking process
// the parent of the raised one. Anyone can type the marker; only the
// asking process is its parent.
bool is_marked_by_parent(const UninstallStart &start);

UninstallRoute choose_uninstall_route(const UninstallStart &start);

// The folder an uninstall makes for its finishing copy is named "bwu" and a
// number; is_finishing_folder tells whether folder's own name (after its
// last backslash) starts so, ASCII case ignored.
extern const char finishing_folder_prefix[];
bool is_finishing_folder(const char *folder);

// Whether the uninstaller may try to remove folder once it is empty: never a
// drive's root ("C:\", "C:") nor a network share's ("\\server\share"), however
// many backslashes it is written with, nor a folder with a name "." or "..",
// nor one whose full form (services/full_path.h) is a root, a device or unclear.
bool is_removable_folder(const char *folder);

// The exit code of a removal (services/exit_codes.h): 1 when something of
// the installation stayed, 3010 when all of it is gone but some of it only
// at the next restart, else 0.
int removal_exit_code(bool something_kept, bool something_at_restart);

// What an exit code of the uninstaller means, for the log's last line.
const char *uninstall_result_text(int exit_code);

// The log's last line: "Result: <exit code> <what it means>". False, with
// dest holding as much as fits, when it does not fit.
bool build_result_line(char *dest, size_t size, int exit_code);
