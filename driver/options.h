// The setup program's command-line options, for administrators who install
// without a window. No Win32 here, so it is tested natively.
//   SETUP.EXE [/S] [/ALLUSERS] [/LOG=<file>] [/D=<folder>]
// Options are compared without regard to ASCII case and may come in any
// order, except /D=, which comes last and takes the rest of the line as the
// folder (spaces allowed, no quotes). /LOG= takes a file name up to the next
// blank, or a quoted one.
#pragma once
#include <stddef.h>
#include "driver/destination.h"

enum { LOG_PATH_SIZE = 260 };

struct SetupOptions {
    bool silent;    // /S
    bool all_users; // /ALLUSERS
    bool has_destination;
    char destination[DESTINATION_SIZE]; // /D=, as given
    bool has_log;
    char log[LOG_PATH_SIZE]; // /LOG=
    // The program's own part of the command line, [command_line,
    // program_end): where the medium's drive letter is looked for, never in
    // an option's text.
    const char *program_end;
};

enum OptionsResult {
    OPTIONS_READ,
    OPTIONS_UNKNOWN,   // an option that is none of the above, or one given twice
    OPTIONS_TOO_LONG,  // a folder or file name that does not fit its buffer
};

// Reads command_line as GetCommandLineA gives it (the program's name first,
// quoted or not). On anything but OPTIONS_READ, options holds only silent and
// the log: the refusal itself is told the way the caller asked for.
OptionsResult read_setup_options(const char *command_line, SetupOptions *options);

// The text that lists the options, for the message that refuses others.
extern const char setup_options_usage[];
