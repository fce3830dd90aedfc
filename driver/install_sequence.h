// Everything the setup program changes on the machine, in one run.
#pragma once

// Installs into the driver's destination; returns when done, or ends the
// process on a fatal error or when the user aborts.
void run_install_sequence(void);

// Set when the Apps & features entry could not be written: a quiet run
// then does not end as a success.
extern bool entry_missing;
