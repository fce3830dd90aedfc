#include "driver/setup_state.h"
#include "services/registry.h"
#include "services/registry_path.h"
#include "services/product.h"
#include "services/text.h"

InstallState install_state;
SetupMode setup_mode;
char version_label[VERSION_LABEL_SIZE];
char destination[DESTINATION_SIZE];
SetupOptions options;
bool all_users;

enum MachineRecord { MACHINE_RECORDS_NOTHING, MACHINE_NAMES_FOLDER, MACHINE_RECORDS_INSTALLATION };

// The machine's uninstall entry records the installation for every user:
// InstallLocation, and its version beside it. It counts where the folder
// still holds the program.
static MachineRecord read_machine_record(InstallState *state)
{
    DWORD size = 0;
    char program[MAX_PATH];
    if (!query_uninstall_value(install_location_value, state->previous_directory,
                               sizeof state->previous_directory, &size) ||
        !terminate_registry_text(state->previous_directory, sizeof state->previous_directory,
                                 size) ||
        !state->previous_directory[0])
        return MACHINE_RECORDS_NOTHING;
    DWORD attributes;
    if (!join_path(program, sizeof program, state->previous_directory, PROGRAM_FILE_NAME) ||
        (attributes = GetFileAttributesA(program)) == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return MACHINE_NAMES_FOLDER;
    // Up to 4 bytes, as in the user's record. An entry without one was
    // written by an earlier build: an older version, updated in its folder.
    if (!query_uninstall_value(program_version_value, &state->installed_version,
                               sizeof state->installed_version, &size))
        state->installed_version = 0;
    return MACHINE_RECORDS_INSTALLATION;
}

void detect_previous_installation(InstallState *state)
{
    DWORD size = 0;
    state->installed = false;
    state->installed_version = 0;
    // Where the machine's entry names a folder, the user's record is never
    // asked for one: every program the user runs can rewrite it, and a
    // raised setup would replace files wherever it points.
    switch (read_machine_record(state)) {
    case MACHINE_RECORDS_INSTALLATION:
        state->installed = true;
        return;
    case MACHINE_NAMES_FOLDER:
        state->previous_directory[0] = 0;
        return;
    case MACHINE_RECORDS_NOTHING:
        break;
    }
    if (!query_product_value(program_directory_value, state->previous_directory,
                             sizeof state->previous_directory, &size) ||
        !terminate_registry_text(state->previous_directory, sizeof state->previous_directory,
                                 size)) {
        state->previous_directory[0] = 0;
        return;
    }
    // Up to 4 bytes fill the version from the lowest byte; an empty value is 0.
    if (!query_product_value(program_version_value, &state->installed_version,
                             sizeof state->installed_version, &size)) {
        state->installed_version = 0;
        return;
    }
    state->installed = true;
}

void choose_default_destination(void)
{
    if (setup_mode != SETUP_FRESH) {
        copy_text(destination, sizeof destination, install_state.previous_directory);
        return;
    }
    char program_files[DESTINATION_SIZE];
    DWORD size = 0;
    bool have_program_files =
        query_registry_value("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir",
                             program_files, sizeof program_files, HKEY_LOCAL_MACHINE, &size) &&
        terminate_registry_text(program_files, sizeof program_files, size);

    char windows_directory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows_directory, sizeof windows_directory);
    bool have_windows_directory = length > 0 && length < sizeof windows_directory;

    choose_fresh_destination(destination, have_program_files ? program_files : NULL,
                             have_windows_directory ? windows_directory : NULL);
}
