#include "driver/setup_state.h"
#include "services/registry.h"
#include "services/product.h"
#include "services/registry_path.h"
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
    DWORD directory_size = 0, version_size = 0;
    state->installed_version = 0;
    // Where the machine's entry names a folder, the user's record is never
    // asked for one: every program the user runs can rewrite it, and a
    // raised setup would replace files wherever it points.
    switch (read_machine_record(state)) {
    case MACHINE_RECORDS_INSTALLATION:
        state->installed = true;
        return;
    case MACHINE_NAMES_FOLDER:
        state->installed = false;
        state->previous_directory[0] = 0;
        return;
    case MACHINE_RECORDS_NOTHING:
        break;
    }
    RegistryRead directory = {query_product_value(program_directory_value,
                                                  state->previous_directory,
                                                  sizeof state->previous_directory,
                                                  &directory_size),
                              0};
    directory.size = directory_size;
    RegistryRead version = {query_product_value(program_version_value, &state->installed_version,
                                                sizeof state->installed_version, &version_size),
                            0};
    judge_previous_installation(state, directory, version);
}

void choose_default_destination(void)
{
    char program_files[DESTINATION_SIZE];
    DWORD size = 0;
    RegistryRead program_files_read = {
        query_registry_value("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir",
                             program_files, sizeof program_files, HKEY_LOCAL_MACHINE, &size),
        0};
    program_files_read.size = size;

    char windows_directory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows_directory, sizeof windows_directory);
    bool have_windows_directory = length > 0 && length < sizeof windows_directory;

    choose_offered_destination(destination, setup_mode, install_state.previous_directory,
                               program_files, sizeof program_files, program_files_read,
                               have_windows_directory ? windows_directory : NULL);
}
