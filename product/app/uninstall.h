// "Brimwave.exe /uninstall": removing the installation Brimwave.exe runs from.
// A running program cannot delete its own file, so the work is done in two
// processes: the installed Brimwave.exe asks and starts a copy of itself in
// a folder of its own in the temporary folder (with raised rights, the
// Windows folder's); the copy removes everything, moving the still running
// installed program out of the folder, and the installed Brimwave.exe waits
// for it and ends with its result (on Windows 9x: see finish_uninstall).
#pragma once
#include <stdint.h>
#include "command_line.h"

// The installed program's part; the result is its exit code. Refuses while
// the setup program runs or a Brimwave window is open, asks once (never
// when options are quiet), and on Yes hands over to the copy and waits for
// it. From Vista on, without raised rights, it first starts itself with them
// (command_line then carries the marker naming this process, and the raised
// process does not ask again) and waits for that. Exit codes:
// services/exit_codes.h.
int start_uninstall(const char *command_line, const UninstallOptions &options);

// The copy's part (see read_finish_command); the result is its exit code, 0
// only when everything of the installation in folder is gone, 3010 when some
// of it goes at the next restart. It changes nothing (exit code 1) unless it
// runs from a folder of its own directly in the temporary folder as a copy
// of folder's Brimwave.exe. On Windows 9x, which can neither rename nor
// delete a running program, it first waits for original_process_id to end.
int finish_uninstall(uint32_t original_process_id, const char *folder);
