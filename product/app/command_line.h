// Reading switches from the program's command line, and the command line of
// the temporary copy that finishes an uninstall. No Win32 here, so it is
// tested natively.
#pragma once
#include <stddef.h>
#include <stdint.h>

// True when command_line, as GetCommandLineA gives it (program name first),
// carries name (for example "/uninstall") as an argument of its own, compared
// without regard to ASCII case. The program name never counts, nor anything
// written between double quotes, nor a longer word that only starts with name
// ("/uninstallx"). Double quotes toggle quoting and backslashes are plain
// characters, as in the paths Windows itself writes into command lines.
bool has_switch(const char *command_line, const char *name);

// The options of an uninstall after "/uninstall" (any order, any case):
// "/S" removes without the question and without any message, "/LOG=<file>"
// (the file quoted, or up to the next blank) appends what happens to file.
enum { LOG_FILE_SIZE = 260 };
struct UninstallOptions {
    bool quiet;
    char log_file[LOG_FILE_SIZE]; // empty: no log
};

// Reads the options of command_line (program name first) into *options.
// False for any argument but "/uninstall" and these two, and for a "/LOG="
// naming nothing or a file too long for log_file (log_file is then empty);
// the other options are read all the same.
bool read_uninstall_options(const char *command_line, UninstallOptions *options);

// The text that lists the options, for the message that refuses others.
extern const char uninstall_usage[];

// The private switch of the copy that removes the installation once the
// uninstalling Brimwave.exe has ended.
extern const char finish_uninstall_switch[];

// The marker an uninstall that raised its rights starts itself with, and
// the parameters of that start: "/uninstall /elevated <process id>", the id
// of the process that asked the question and waits for this one; a quiet
// run adds "/S". Never a log: a raised process must not write to a file that
// a process without raised rights named.
extern const char elevated_switch[];
bool build_elevated_parameters(char *dest, size_t size, uint32_t process_id, bool quiet = false);

// Reads back what build_elevated_parameters wrote after the program name:
// true only for exactly "/uninstall", the marker and a decimal process id
// that fits 32 bits, and at most "/S" after them. *process_id is written
// only then.
bool read_elevated_command(const char *command_line, uint32_t *process_id);

// Writes "<program>" /finish-uninstall <process id> "<folder>" into dest.
// False, with dest holding an empty text, when it does not fit or when
// program or folder is empty or holds a double quote (it could not be read
// back). With options, " /S" for a quiet run and " /LOG=\"<file>\"" for a
// log follow (a log file holding a double quote is refused as well).
bool build_finish_command(char *dest, size_t size, const char *program, uint32_t process_id,
                          const char *folder, const UninstallOptions *options = nullptr);

// The same after the program name and its blank: /finish-uninstall
// <process id> "<folder>". The uninstaller puts the copy's path, which may
// hold letters the ANSI code page lacks, before it in UTF-16.
bool build_finish_arguments(char *dest, size_t size, uint32_t process_id, const char *folder,
                            const UninstallOptions *options = nullptr);

// Reads back what build_finish_command wrote: true only when the arguments
// after the program name are exactly the switch, a decimal process id that
// fits 32 bits, and a quoted, non-empty folder that fits folder_size with its
// terminating zero. With options, "/S" and "/LOG=" may follow, in any order,
// and are read into *options; without, nothing may follow. On false,
// *process_id, folder and *options are left unspecified.
bool read_finish_command(const char *command_line, uint32_t *process_id, char *folder,
                         size_t folder_size, UninstallOptions *options = nullptr);
