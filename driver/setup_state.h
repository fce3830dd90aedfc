// The driver's state, owned for the whole run and read by the dialogs and the
// install sequence.
#pragma once
#include <stdint.h>
#include "driver/destination.h"
#include "driver/install_state_rules.h"

struct InstallState {
    bool installed;
    uint32_t installed_version; // ProgramVersion as 4 little-endian bytes
    char previous_directory[DESTINATION_SIZE];
};

extern InstallState install_state;
extern SetupMode setup_mode;
extern char version_label[VERSION_LABEL_SIZE];
extern char destination[DESTINATION_SIZE];

// Reads the previous installation from the per-user product key.
void detect_previous_installation(InstallState *state);

// The previous folder, or for a fresh installation the Program Files rule.
void choose_default_destination(void);
