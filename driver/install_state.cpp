#include "driver/setup_state.h"
#include "services/registry.h"
#include "services/registry_path.h"
#include "services/text.h"

InstallState install_state;
SetupMode setup_mode;
char version_label[VERSION_LABEL_SIZE];
char destination[DESTINATION_SIZE];
SetupOptions options;
bool all_users;

void detect_previous_installation(InstallState *state)
{
    DWORD size = 0;
    state->installed = false;
    state->installed_version = 0;
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
