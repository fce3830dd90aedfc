#include "driver/install_state_rules.h"
#include "services/product.h"
#include "services/registry_path.h"
#include "services/text.h"

SetupMode classify_setup_mode(bool installed, uint32_t installed_version)
{
    if (!installed)
        return SETUP_FRESH;
    if (installed_version == BUILD_VERSION)
        return SETUP_REINSTALL;
    return installed_version < BUILD_VERSION ? SETUP_UPDATE : SETUP_NEWER;
}

bool build_version_label(uint32_t version, char *label, size_t size)
{
    char digits[DECIMAL_SIZE];
    const char *first = format_decimal(version / 100, digits);

    uint32_t hundredths = version % 100;
    char fraction[4] = {'.', (char)('0' + hundredths / 10), (char)('0' + hundredths % 10), 0};
    if (fraction[2] == '0')
        fraction[2] = 0;

    char *cursor = label;
    char *end = label + size;
    return append_text(&cursor, end, "v") && append_text(&cursor, end, first) &&
           append_text(&cursor, end, fraction);
}

void choose_fresh_destination(char *destination, const char *program_files,
                              const char *windows_directory)
{
    // A trailing backslash of the folder serves as the product folder's.
    if (program_files && program_files[0] &&
        join_path(destination, DESTINATION_SIZE, program_files, PRODUCT_FOLDER_NAME))
        return;

    destination[0] = 0;
    if (!windows_directory || !windows_directory[0] || windows_directory[1] != ':')
        return;
    char folder[] = "?:\\Program Files";
    folder[0] = windows_directory[0];
    join_path(destination, DESTINATION_SIZE, folder, PRODUCT_FOLDER_NAME);
}

void judge_previous_installation(InstallState *state, RegistryRead directory,
                                 RegistryRead version)
{
    state->installed = directory.found &&
                       terminate_registry_text(state->previous_directory,
                                               sizeof state->previous_directory, directory.size) &&
                       version.found;
    if (!state->installed) {
        state->previous_directory[0] = 0;
        state->installed_version = 0;
    }
}

void choose_offered_destination(char *destination, SetupMode mode, const char *previous_directory,
                                char *program_files, size_t size, RegistryRead program_files_read,
                                const char *windows_directory)
{
    if (mode != SETUP_FRESH) {
        copy_text(destination, DESTINATION_SIZE, previous_directory);
        return;
    }
    bool have_program_files = program_files_read.found &&
                              terminate_registry_text(program_files, size, program_files_read.size);
    choose_fresh_destination(destination, have_program_files ? program_files : NULL,
                             windows_directory);
}
