// The administrator's log (/LOG=<file>): plain lines appended to one file.
// Its path is made full against the folder the program was started in, before
// anything else, and the file is opened once and kept open: later changes of
// the current folder move nothing, and every line goes to the one file.
// Without a file named, nothing is written.
#pragma once

// Opens path (made a full path) for appending, creating it when missing.
// False, with nothing logged, when it cannot be opened or created, or when it
// is a link (a reparse point, or a file of several hard links): a program
// with raised rights must not write through a name a user could point
// elsewhere.
bool open_log(const char *path);

// The full path of the open log, "" without one: what a helper process is
// handed so that it writes to the same file.
const char *log_file_path(void);

// Appends text, then the second text if given, and CR LF.
void log_line(const char *text, const char *more = nullptr);

// The log's first lines: the date and time, program (its name) and the
// product's version, the command line and the user (SYSTEM for LocalSystem).
void log_header(const char *program);

// The last line, in both programs' one form: "Exit code: <code> (<meaning>)".
void log_exit_code(unsigned code, const char *meaning);
