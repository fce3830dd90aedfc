// The exit codes of SETUP.EXE and of "Brimwave.exe /uninstall": what a
// caller (a person's script, a deployment tool) learns of a run. 1618 and
// 3010 are the numbers Windows Installer gives the same outcomes, so tools
// that know those retry later or plan a restart. No Win32 here.
#pragma once

enum SetupExitCode {
    SETUP_INSTALLED = 0,
    SETUP_CANCELLED = 0,        // interactive Cancel or Abort: nothing changed
    SETUP_FAILED = 1,           // nothing changed
    SETUP_COMMAND_REFUSED = 2,  // an option it does not know or cannot read
    SETUP_NEWER_INSTALLED = 3,  // quiet: a newer version is installed; nothing changed
    SETUP_BUSY = 1618,          // quiet: another setup or a removal is running
};

enum UninstallExitCode {
    UNINSTALL_COMMAND_REFUSED = 2,       // an option it does not know: nothing done
    UNINSTALL_REMOVED = 0,               // everything is gone
    UNINSTALL_FAILED = 1,                // refused, declined or not everything removed
    UNINSTALL_DECLINED = 3,              // the user answered No: nothing was removed
    UNINSTALL_REMOVED_AT_RESTART = 3010, // the rest goes at the next restart
    UNINSTALL_ELEVATION_REQUIRED = 740,  // quiet, without the rights: nothing asked, nothing changed
    UNINSTALL_ANOTHER_RUNNING = 1618,    // quiet only: setup or another removal is running
};

#include <stddef.h>

// The last line of both programs' logs: "Exit code: <code> (<meaning>)".
// False when it does not fit (dest then holds as much as fits).
bool build_exit_line(char *dest, size_t size, unsigned code, const char *meaning);
