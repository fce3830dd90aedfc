#include "driver/setup_state.h"
#include "services/registry.h"

InstallState install_state;
SetupMode setup_mode;
char version_label[VERSION_LABEL_SIZE];
char destination[DESTINATION_SIZE];
SetupOptions options;
bool all_users;

void detect_previous_installation(InstallState *state)
{
    DWORD directory_size = 0, version_size = 0;
    state->installed_version = 0;
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
