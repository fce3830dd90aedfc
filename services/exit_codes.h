// The exit codes of SETUP.EXE and of "Brimwave.exe /uninstall": what a
// caller (a person's script, a deployment tool) learns of a run. The numbers
// are those that such tools already know from other installers: 3010 asks
// for a restart, 1618 says another installation is under way. No Win32 here.
#pragma once

enum SetupExitCode {
    SETUP_INSTALLED = 0,
    SETUP_FAILED = 1,                // nothing was changed
    SETUP_COMMAND_LINE_REFUSED = 2,  // an option it does not know or cannot read
    SETUP_NEWER_VERSION_INSTALLED = 3, // nothing was changed
    SETUP_ANOTHER_RUNNING = 1618,    // quiet only: a setup or a removal is running
};

enum UninstallExitCode {
    UNINSTALL_REMOVED = 0,            // everything is gone
    UNINSTALL_FAILED = 1,             // refused, declined or not everything removed
    UNINSTALL_DECLINED = 3,           // the user answered No: nothing was removed
    UNINSTALL_REMOVED_AT_RESTART = 3010, // the rest goes at the next restart
    UNINSTALL_ANOTHER_RUNNING = 1618, // quiet only: setup or another removal is running
};
