// The driver's state, owned for the whole run and read by the dialogs and the
// install sequence.
#pragma once
#include <stdint.h>
#include "driver/destination.h"
#include "driver/install_state_rules.h"
#include "driver/options.h"
#include "services/exit_codes.h"

// The per-user records of the installation, read and written; the machine's
// entry keeps the version under the same name beside InstallLocation.
inline constexpr char program_directory_value[] = "\\ProgramDirectory";
inline constexpr char program_version_value[] = "\\ProgramVersion";
inline constexpr char install_location_value[] = "\\InstallLocation";

extern InstallState install_state;
extern SetupMode setup_mode;
extern char version_label[VERSION_LABEL_SIZE];
extern char destination[DESTINATION_SIZE];
extern SetupOptions options;
// /S: no window and no message; the log and the exit code tell the result.
extern bool quiet_run;
// The shortcuts go into the common folders of all users.
extern bool all_users;

// Set once the install sequence has put everything in place.
extern bool installation_done;

// Logs the exit code and what it means, and ends the process with it.
[[noreturn]] void end_setup(unsigned code);

// Reads the previous installation: the machine's uninstall entry where it
// names a folder, else the per-user product key.
void detect_previous_installation(InstallState *state);

// The previous folder, or for a fresh installation the Program Files rule.
void choose_default_destination(void);
