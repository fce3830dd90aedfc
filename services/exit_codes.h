// The exit codes of both programs, which deployment tools act on. 1618 and
// 3010 are the numbers Windows Installer uses for the same outcomes, so that
// tools that know those retry later or plan a restart.
#pragma once

enum SetupExitCode {
    SETUP_INSTALLED = 0,
    SETUP_CANCELLED = 0,           // interactive Cancel or Abort: nothing changed
    SETUP_FAILED = 1,              // nothing changed
    SETUP_COMMAND_REFUSED = 2,     // an option it does not know; nothing changed
    SETUP_NEWER_INSTALLED = 3,     // quiet: a newer version is installed; nothing changed
    SETUP_BUSY = 1618,             // quiet: another setup or a removal is running
};
