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
bool entry_missing;

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

static const unsigned char build_version_bytes[4] = {
    BUILD_VERSION & 0xFF, (BUILD_VERSION >> 8) & 0xFF, (BUILD_VERSION >> 16) & 0xFF,
    BUILD_VERSION >> 24};

static void record_installation(void)
{
    delete_product_value("\\MonitorDevice");
    set_product_value(program_directory_value, destination, 0, REG_SZ);
    set_product_value(program_version_value, build_version_bytes, sizeof build_version_bytes,
                      REG_BINARY);
}

// The values of the Apps & features entry beyond the name and the command.
// InstallLocation and ProgramVersion also record the installation for
// every user of the machine, and for the next setup.
enum { TEXT_VALUES = 5 };
static const char *const listing_values[] = {
    "\\QuietUninstallString", "\\DisplayVersion", "\\Publisher", "\\DisplayIcon",
    install_location_value,   "\\EstimatedSize",  "\\NoModify",  "\\NoRepair",
    program_version_value,
};

// The complete entry, on every run. False when some value could not be
// written (a user who may not write HKEY_LOCAL_MACHINE).
static bool register_uninstall_entry(void)
{
    static char text[UNINSTALL_COMMAND_SIZE];
    static char quiet_command[UNINSTALL_COMMAND_SIZE + 3];
    static char icon[UNINSTALL_COMMAND_SIZE];
    char display_version[DISPLAY_VERSION_SIZE];

    char *name = text;
    bool written = append_text(&name, text + sizeof text, "Brimwave ") &&
                   append_text(&name, text + sizeof text, version_label) &&
                   set_uninstall_value("\\DisplayName", text, 0, REG_SZ);

    // None of them may name another folder or version than this run's.
    for (const char *value : listing_values)
        delete_uninstall_value(value);
    char *command = quiet_command;
    if (!build_uninstall_command(text, sizeof text, destination) ||
        !append_text(&command, quiet_command + sizeof quiet_command, text) ||
        !append_text(&command, quiet_command + sizeof quiet_command, " /S") ||
        !format_display_version(BUILD_VERSION, display_version, sizeof display_version) ||
        !join_path(icon, sizeof icon, destination, payload_files[0].name))
        return false;
    char *icon_end = icon + text_length(icon);
    if (!append_text(&icon_end, icon + sizeof icon, ",0"))
        return false;
    written = set_uninstall_value("\\UninstallString", text, 0, REG_SZ) && written;
    const DWORD numbers[2] = {(expanded_bytes + 1023) / 1024, 1};
    const void *data[] = {quiet_command, display_version, PUBLISHER_NAME, icon, destination,
                          &numbers[0],   &numbers[1],     &numbers[1],    build_version_bytes};
    for (int i = 0; i < (int)(sizeof data / sizeof data[0]); i++) {
        DWORD type = i < TEXT_VALUES ? REG_SZ : i < 8 ? REG_DWORD : REG_BINARY;
        written = set_uninstall_value(listing_values[i], data[i], 4, type) && written;
    }
    return written;
}

// The encoder installer of the medium: beside SETUP.EXE, where a
// deployment tool's cache holds the whole medium, else on the root of the
// drive setup was started from. An interactive run starts it and goes on;
// a quiet one waits for it, so that whoever deployed Brimwave finds the
// encoder installed once setup has ended. Its result is logged, and never
// decides setup's own.
static const char encoder_started[] = "Encoder installer started: ";
static const char encoder_not_started[] = "Encoder installer not started: ";

static void launch_companion_encoder(bool quiet)
{
    static char module[MAX_PATH];
    static char folder[MAX_PATH];
    static char program[MAX_PATH];
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (get_module_path(module, sizeof module) &&
        companion_beside_setup(module, folder, sizeof folder, program, sizeof program))
        attributes = GetFileAttributesA(program);
    if ((attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) &&
        !companion_paths(GetCommandLineA(), module, folder, program)) {
        log_line("Encoder installer: not found");
        return;
    }
    if (!quiet) {
        HINSTANCE result = ShellExecuteA(NULL, NULL, program, "/s", folder, SW_SHOW);
        log_line((INT_PTR)result > 32 ? encoder_started : encoder_not_started, program);
        return;
    }
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpFile = program;
    start.lpParameters = "/s";
    start.lpDirectory = folder;
    start.nShow = SW_SHOW;
    if (!ShellExecuteExA(&start) || !start.hProcess) {
        log_line(encoder_not_started, program);
        return;
    }
    DWORD exit_code = 0;
    WaitForSingleObject(start.hProcess, INFINITE);
    char digits[DECIMAL_SIZE];
    log_line(encoder_started, program);
    if (GetExitCodeProcess(start.hProcess, &exit_code))
        log_line("Encoder installer exit code: ", format_decimal(exit_code, digits));
    CloseHandle(start.hProcess);
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
    launch_companion_encoder(quiet_run);
    if (!register_uninstall_entry()) {
        log_line("The uninstall entry could not be written.");
        entry_missing = true;
    }
    int programs = all_users ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    int desktop = all_users ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY;
    add_shortcut(programs, destination, payload_files[0].name);
    add_shortcut(desktop, destination, payload_files[0].name);
    log_line("Shortcuts added", all_users ? " for all users" : nullptr);

    close_progress_window();
}
