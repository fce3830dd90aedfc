#include "driver/install_sequence.h"
#include <windows.h>
#include <shlobj.h>
#include "driver/companion.h"
#include "driver/setup_state.h"
#include "services/log.h"
#include "services/payload.h"
#include "services/process.h"
#include "services/product.h"
#include "services/registry.h"
#include "services/shortcuts.h"
#include "services/system_paths.h"
#include "services/text.h"
#include "ui/progress_window.h"

static int abort_requested;

static_assert((int)PAYLOAD_FILE_COUNT <= (int)STAGED_FILE_LIMIT, "every payload file can be staged");

// The user confirmed "Abort?": stop before anything further is changed.
// Files expanded so far are only staged: they go, and an earlier
// installation stays as it was.
static void pump_and_honour_abort(void)
{
    pump_progress_window();
    if (abort_requested) {
        discard_staged_files();
        close_progress_window();
        end_setup(SETUP_CANCELLED);
    }
}

// Creates each folder along the destination, "X:\A", then "X:\A\B", and so
// on, and makes the destination the current folder.
static void create_destination_folders(void)
{
    static char folder[DESTINATION_SIZE];
    for (const char *next = destination + 3; next_destination_folder(destination, &next, folder);)
        CreateDirectoryA(folder, NULL); // folders that exist already are fine
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !SetCurrentDirectoryA(destination))
        fatal_error("ERROR: Could not create folder.");
}

// Puts the new files in place together. While one of them stays in use,
// everything is as it was: the user closes the program that holds it, or
// cancels, and then nothing has changed. An abort confirmed while a file was
// waited for counts once the renames are done: they are undone, and the
// earlier installation stays as it was.
static void put_files_in_place(void)
{
    static char question[FILE_TABLE_NAME_SIZE + 64];
    const char *in_use;
    while (!put_staged_files_in_place(pump_progress_window, &in_use)) {
        // An abort confirmed during the wait counts now that nothing is half done.
        pump_and_honour_abort();
        char *cursor = question;
        char *end = question + sizeof question;
        append_text(&cursor, end, in_use);
        append_text(&cursor, end, " is in use by another program. Close it, then click Retry.");
        // Owned by the progress window, so that "Abort?" cannot come up over it.
        if (show_message(question, MB_RETRYCANCEL | MB_ICONEXCLAMATION, progress_window) !=
            IDRETRY) {
            discard_staged_files();
            close_progress_window();
            end_setup(SETUP_FAILED);
        }
    }
    if (abort_requested) {
        undo_replacement();
        close_progress_window();
        end_setup(SETUP_CANCELLED);
    }
    keep_replacement();
}

static void expand_payload_files(void)
{
    static char status[FILE_TABLE_NAME_SIZE + 16];
    for (int i = 0; i < PAYLOAD_FILE_COUNT; i++) {
        const FileTableEntry &entry = payload_files[i];
        if (entry.flags & FILE_FLAG_FOLDER) {
            CreateDirectoryA(entry.name, NULL);
        } else if (entry.flags & FILE_FLAG_EXPAND) {
            char *cursor = status;
            append_text(&cursor, status + sizeof status, "Working ... ");
            append_text(&cursor, status + sizeof status, entry.name);
            update_progress_window(NULL, status, -1);
            log_line(status);
            stage_payload_file(entry.resource_id, entry.name);
        }
        update_progress_window(NULL, NULL, i + 1);
        pump_and_honour_abort();
    }
    // Only a complete new set replaces the files of an earlier installation.
    put_files_in_place();
}

static void record_installation(void)
{
    delete_product_value("\\MonitorDevice");
    set_product_value(program_directory_value, destination, 0, REG_SZ);
    const unsigned char version[4] = {BUILD_VERSION & 0xFF, (BUILD_VERSION >> 8) & 0xFF,
                                      (BUILD_VERSION >> 16) & 0xFF, BUILD_VERSION >> 24};
    set_product_value(program_version_value, version, sizeof version, REG_BINARY);
}

// What Apps & features shows beyond the name, for deployments: a quiet run
// writes them. An interactive run removes them, as they might name another
// folder or version than its own.
static const char *const listing_values[] = {
    "\\QuietUninstallString", "\\DisplayVersion", "\\DisplayIcon", "\\InstallLocation",
    "\\EstimatedSize",        "\\NoModify",       "\\NoRepair",
};

static void register_uninstall_entry(void)
{
    static char text[UNINSTALL_COMMAND_SIZE];
    static char quiet_command[UNINSTALL_COMMAND_SIZE + 3];
    static char icon[UNINSTALL_COMMAND_SIZE];

    // A user who may not write HKEY_LOCAL_MACHINE simply gets no entry.
    char *name = text;
    if (append_text(&name, text + sizeof text, "Brimwave ") &&
        append_text(&name, text + sizeof text, version_label))
        set_uninstall_value("\\DisplayName", text, 0, REG_SZ);

    for (const char *value : listing_values)
        delete_uninstall_value(value);
    if (!build_uninstall_command(text, sizeof text, destination))
        return;
    set_uninstall_value("\\UninstallString", text, 0, REG_SZ);

    char *command = quiet_command;
    bool composed = quiet_run &&
                    append_text(&command, quiet_command + sizeof quiet_command, text) &&
                    append_text(&command, quiet_command + sizeof quiet_command, " /S") &&
                    join_path(icon, sizeof icon, destination, payload_files[0].name);
    char *icon_end = icon + text_length(icon);
    if (!composed || !append_text(&icon_end, icon + sizeof icon, ",0"))
        return;
    const DWORD numbers[2] = {(expanded_bytes + 1023) / 1024, 1};
    // "v1.0" without its "v".
    const void *data[] = {quiet_command, version_label + 1, icon, destination,
                          &numbers[0],   &numbers[1],       &numbers[1]};
    for (int i = 0; i < 7; i++)
        set_uninstall_value(listing_values[i], data[i], sizeof(DWORD), i < 4 ? REG_SZ : REG_DWORD);
}

bool launch_companion_encoder(bool silent)
{
    char module[MAX_PATH];
    if (!get_module_path(module, sizeof module))
        return false;
    char folder[COMPANION_FOLDER_SIZE];
    char program[COMPANION_PROGRAM_SIZE];
    if (!companion_paths(GetCommandLineA(), module, folder, program))
        return false;
    HINSTANCE result = ShellExecuteA(NULL, NULL, program, silent ? "/s" : NULL, folder, SW_SHOW);
    return (INT_PTR)result > 32;
}

void run_install_sequence(void)
{
    // A quiet run shows no window: without one the progress calls do nothing.
    if (!quiet_run)
        open_progress_window(NULL, 0, PAYLOAD_FILE_COUNT, &abort_requested);
    update_progress_window("Installing Brimwave", "Working ... ", 0);
    log_line("Installing Brimwave into ", destination);
    pump_and_honour_abort();

    create_destination_folders();
    expand_payload_files();
    log_line("Files in place");
    record_installation();
    log_line("Encoder installer started: ", launch_companion_encoder(true) ? "yes" : "no");
    register_uninstall_entry();
    int programs = all_users ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    int desktop = all_users ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY;
    add_shortcut(programs, destination, payload_files[0].name);
    add_shortcut(desktop, destination, payload_files[0].name);
    log_line("Shortcuts added", all_users ? " for all users" : nullptr);

    close_progress_window();
}
