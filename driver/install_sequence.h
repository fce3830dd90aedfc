// Everything the setup program changes on the machine, in one run.
#pragma once

// Installs into the driver's destination; returns when done, or ends the
// process on a fatal error or when the user aborts.
void run_install_sequence(void);

// Starts the companion encoder installer from the medium's root; true when
// it was started.
bool launch_companion_encoder(bool silent);
