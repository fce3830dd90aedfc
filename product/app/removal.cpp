// The copy's part of an uninstall: everything the setup program put on the
// machine for the installation in one folder, and nothing else.
#include <windows.h>
#include <shlobj.h>
#include "installation_folder.h"
#include "messages.h"
#include "removal_report.h"
#include "services/files.h"
#include "services/log.h"
#include "services/process.h"
#include "services/product.h"
#include "services/registry.h"
#include "services/registry_path.h"
#include "services/shortcuts.h"
#include "services/system_paths.h"
#include "services/text.h"
#include "services/wide_paths.h"
#include "uninstall.h"
#include "uninstall_rules.h"

namespace {

enum {
    // How long the copy waits for the uninstalling Brimwave.exe to end
    // where that process does not wait for it (Windows 9x).
    ORIGINAL_EXIT_TIMEOUT_MS = 30000,
    // A program file held open for a moment (a virus scanner) is tried again.
    MOVE_ATTEMPTS = 10,
    MOVE_WAIT_MS = 200,
};

typedef BOOL(WINAPI *MoveFileExWProc)(LPCWSTR, LPCWSTR, DWORD);

// What the installed program file is called once moved into the copy's folder.
const char moved_program_name[] = "Installed.exe";

// Where setup puts "Brimwave.lnk": the user's folders, and after an
// installation for all users the common ones.
const int shortcut_folders[] = {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS,
                                CSIDL_COMMON_DESKTOPDIRECTORY};

const char product_key_name[] = "HKEY_CURRENT_USER\\" PRODUCT_KEY;
const char uninstall_key_name[] = "HKEY_LOCAL_MACHINE\\" UNINSTALL_KEY;
const char stranger_text[] = "Brimwave was started to finish a removal that it did not prepare. "
                             "Nothing has been changed.";

// On the NT family the uninstall's first process waits for this copy, to
// end with its result, and its image, the installed Brimwave.exe, is moved
// out of the way (remove_program_file). Windows 9x can neither rename nor
// delete a running image: there the first process ends once this copy has
// started, and this copy waits for it, as the removal's only way to delete
// the program file.
bool first_process_waits(void)
{
    return has_wide_paths();
}

void wait_for_original(uint32_t process_id)
{
    // A process that has ended already cannot be opened: nothing to wait for.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
    if (!process)
        return;
    WaitForSingleObject(process, ORIGINAL_EXIT_TIMEOUT_MS);
    CloseHandle(process);
}

// True when the file is gone, also when it was gone before. A program file
// can stay locked for a moment after its process ended.
bool delete_installed_file(const char *path)
{
    clear_file_attributes(path);
    if (move_or_delete_file(path, NULL, NULL))
        return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Says why path stays: in use, or rights this user lacks (error is the
// deletion's).
void note_file_kept(const char *path, DWORD error)
{
    if (classify_file_problem(path, error) == FILE_NEEDS_RIGHTS)
        note_problem("The file ", path,
                     " could not be deleted: administrator rights are needed to remove it.");
    else
        note_problem("The file ", path,
                     " could not be deleted. Close any program that is using it, then "
                     "uninstall Brimwave again.");
}

// Deletes path, a name setup may leave: one still in use goes at the next
// restart.
bool remove_left_file(const char *folder, const char *name)
{
    char file_path[MAX_PATH];
    if (!join_path(file_path, sizeof file_path, folder, name))
        return true; // setup never made a name that does not fit
    switch (delete_now_or_at_restart(file_path, NULL)) {
    case FILE_DELETED:
        return true;
    case FILE_DELETED_AT_RESTART:
        log_line("In use, deleted at the next restart: ", file_path);
        note_at_restart();
        return true;
    case FILE_KEPT:
        break;
    }
    note_file_kept(file_path, GetLastError());
    return false;
}

// What setup may leave: each installed file's staging name, and every
// backup name of it (in use, or an earlier file a failed run kept).
bool remove_staged_files(const char *folder)
{
    char staged[STAGED_NAME_SIZE];
    for (const FileTableEntry &entry : payload_files) {
        if (!(entry.flags & FILE_FLAG_EXPAND))
            continue;
        if (make_staging_name(entry.resource_id, staged) && !remove_left_file(folder, staged))
            return false;
        for (int i = 0; i < BACKUP_NAME_COUNT; i++)
            if (make_backup_name(entry.resource_id, i, staged) &&
                !remove_left_file(folder, staged))
                return false;
    }
    return true;
}

// A path in UTF-16 for the log, which is written in ANSI; a letter the code
// page lacks shows as '?'.
const char *shown_path(const WCHAR *path, char *shown, int size)
{
    if (!WideCharToMultiByte(CP_ACP, 0, path, -1, shown, size, NULL, NULL))
        shown[0] = 0;
    return shown;
}

// Moves the file from to the path to on the same volume (no copying: a
// running image can be renamed, never copied away and deleted), trying
// again for a moment while another program holds it open.
bool move_on_volume(const WCHAR *from, const WCHAR *to)
{
    MoveFileExWProc move_file_ex = wide_call<MoveFileExWProc>("MoveFileExW");
    if (!move_file_ex)
        return false;
    for (int attempt = 1;; attempt++) {
        if (move_file_ex(from, to, 0))
            return true;
        DWORD error = GetLastError();
        if (!is_in_use_error(error) || attempt == MOVE_ATTEMPTS)
            return false;
        Sleep(MOVE_WAIT_MS);
    }
}

enum ProgramRemoval { PROGRAM_GONE, PROGRAM_AT_RESTART, PROGRAM_KEPT };

// The installed program, path, which the uninstall's first process is
// still running (see first_process_waits). It moves into this copy's own
// folder and goes at the next restart with the copy; the installation is
// then free of it. Where it cannot move (another volume, or another program
// holds it open) it goes at the next restart from where it is.
ProgramRemoval remove_program_file(const char *path)
{
    WCHAR program[WIDE_PATH_SIZE];
    WCHAR own_path[WIDE_PATH_SIZE];
    WCHAR own_folder[WIDE_PATH_SIZE];
    WCHAR moved[WIDE_PATH_SIZE];
    char shown[MAX_PATH];
    clear_file_attributes(path);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return PROGRAM_GONE;
    if (widen_text(path, program, WIDE_PATH_SIZE) &&
        get_module_path_wide(own_path, WIDE_PATH_SIZE) &&
        wide_path_folder(own_folder, WIDE_PATH_SIZE, own_path) &&
        join_wide_path(moved, WIDE_PATH_SIZE, own_folder, moved_program_name) &&
        move_on_volume(program, moved)) {
        log_line("Moved the running program out of the folder: ",
                 shown_path(moved, shown, sizeof shown));
        // Not running after all (its process ended): it goes at once.
        if (!delete_file_wide(moved))
            delete_at_restart_wide(moved);
        return PROGRAM_GONE;
    }
    DWORD error = GetLastError();
    if (delete_at_restart(path)) {
        log_line("In use, deleted at the next restart: ", path);
        return PROGRAM_AT_RESTART;
    }
    SetLastError(error);
    return PROGRAM_KEPT;
}

// The payload table's entries in reverse order: the help file, then the
// program. Stops at the first that stays, so that the uninstall entry and the
// program are left for another try. *program_at_restart tells whether the
// program goes only at the next restart.
bool remove_payload_files(const char *folder, bool *program_at_restart)
{
    *program_at_restart = false;
    char file_path[MAX_PATH];
    if (!remove_staged_files(folder))
        return false;
    for (int i = PAYLOAD_FILE_COUNT - 1; i >= 0; i--) {
        const FileTableEntry &entry = payload_files[i];
        if (!join_path(file_path, sizeof file_path, folder, entry.name)) {
            note_problem("The file ", entry.name, " could not be deleted: its path is too long.");
            return false;
        }
        if (entry.flags & FILE_FLAG_FOLDER) {
            // A sub-folder goes only when the user has left nothing in it.
            if (folder_state(file_path) == FOLDER_EMPTY && !RemoveDirectoryA(file_path)) {
                note_problem("The folder ", file_path, " could not be removed.");
                return false;
            }
        } else if (entry.flags & FILE_FLAG_EXPAND) {
            bool is_program = entry.resource_id == IDR_PAYLOAD_PROGRAM;
            if (is_program && first_process_waits()) {
                ProgramRemoval removal = remove_program_file(file_path);
                if (removal == PROGRAM_KEPT) {
                    note_file_kept(file_path, GetLastError());
                    return false;
                }
                if (removal == PROGRAM_AT_RESTART) {
                    note_at_restart();
                    *program_at_restart = true;
                }
            } else if (!delete_installed_file(file_path)) {
                note_file_kept(file_path, GetLastError());
                return false;
            } else {
                log_line("Deleted ", file_path);
            }
        }
    }
    return true;
}

// Deletes "Brimwave.lnk" in the shell folder folder_id when it points at
// this installation's program. One that points elsewhere stays, with a note;
// one that cannot be read (COM that did not start included) is not provably
// this installation's and stays too, reported as a problem.
void remove_shortcut(int folder_id, const char *installation)
{
    WCHAR shortcut_file[WIDE_PATH_SIZE];
    // Two bytes a character in a double-byte code page.
    char shown[2 * WIDE_PATH_SIZE];
    char target[MAX_PATH];
    if (!get_shortcut_file(folder_id, shortcut_file, WIDE_PATH_SIZE))
        return;
    DWORD attributes = get_file_attributes_wide(shortcut_file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    // Named to the user in ANSI; a letter the code page lacks shows as '?'.
    shown_path(shortcut_file, shown, sizeof shown);
    if (!read_shell_link_target(shortcut_file, target, sizeof target))
        note_problem("The shortcut ", shown, " was kept: its target could not be read.");
    else if (!names_installed_program(target, installation))
        note_kept("The shortcut ", shown, "it starts ", target);
    else if (!delete_file_wide(shortcut_file))
        note_problem("The shortcut ", shown, " could not be deleted.");
    else
        log_line("Deleted the shortcut ", shown);
}

// Reads a REG_SZ value into text (MAX_PATH bytes). A value that is missing
// gives *present false; one that cannot be read as a text gives false.
bool read_recorded_text(HKEY root, const char *path, char *text, bool *present)
{
    DWORD size = 0;
    *present = query_registry_value(path, NULL, 0, root, &size);
    return !*present || (query_registry_value(path, text, MAX_PATH, root, &size) &&
                         terminate_registry_text(text, MAX_PATH, size));
}

// A key is this installation's unless it records another folder or program:
// after an installation into a second folder, the keys describe that one,
// and removing the first leaves them, with a note. A key whose record cannot
// be read stays and is reported.
void remove_product_key(const char *folder)
{
    char recorded[MAX_PATH];
    bool present;
    if (!read_recorded_text(HKEY_CURRENT_USER, PRODUCT_KEY "\\ProgramDirectory", recorded,
                            &present))
        note_problem("The registry key ", product_key_name,
                     " was kept: its value ProgramDirectory could not be read.");
    else if (present && !is_same_folder(recorded, folder))
        note_kept("The registry key ", product_key_name, "it belongs to the installation in ",
                  recorded);
    else if (!delete_registry_tree(HKEY_CURRENT_USER, PRODUCT_KEY))
        note_problem("The registry key ", product_key_name, " could not be removed.");
    else
        log_line("Removed the registry key ", product_key_name);
}

void remove_uninstall_entry(const char *folder)
{
    char recorded[MAX_PATH];
    char recorded_program[MAX_PATH];
    bool present;
    if (!read_recorded_text(HKEY_LOCAL_MACHINE, UNINSTALL_KEY "\\UninstallString", recorded,
                            &present) ||
        (present && !uninstall_command_program(recorded_program, sizeof recorded_program,
                                               recorded)))
        note_problem("The registry key ", uninstall_key_name,
                     " was kept: its value UninstallString could not be read.");
    else if (present && !names_installed_program(recorded_program, folder))
        note_kept("The registry key ", uninstall_key_name, "it uninstalls ", recorded_program);
    else if (!delete_registry_tree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY))
        note_problem("The registry key ", uninstall_key_name, " could not be removed.");
    else
        log_line("Removed the registry key ", uninstall_key_name);
}

// program_at_restart: the program file is left to the next restart, which
// deletes it before the folder.
void remove_folder_if_empty(const char *folder, bool program_at_restart)
{
    if (!is_removable_folder(folder))
        return;
    switch (folder_state(folder, program_at_restart ? PROGRAM_FILE_NAME : NULL)) {
    case FOLDER_MISSING:
        break;
    case FOLDER_HOLDS_FILES:
        note_kept("The folder ", folder, "it holds files that Brimwave did not install", "");
        break;
    case FOLDER_EMPTY:
        if (!RemoveDirectoryA(folder))
            note_problem("The folder ", folder, " could not be removed.");
        else
            log_line("Removed the folder ", folder);
        break;
    case FOLDER_PENDING:
        // Pending deletes are carried out in order: the files, then it.
        if (!delete_at_restart(folder)) {
            note_problem("The folder ", folder, " could not be removed.");
        } else {
            log_line("Removed at the next restart: the folder ", folder);
            note_at_restart();
        }
        break;
    }
}

// The copy and its folder go at the next restart, the file first. Best
// effort: that needs rights the user may lack, and what is left in the
// temporary folder harms no one. Only the checked copy gets here. In UTF-16:
// the user's temporary folder is named after the account.
void schedule_own_deletion(void)
{
    WCHAR own_path[WIDE_PATH_SIZE];
    WCHAR own_folder[WIDE_PATH_SIZE];
    if (get_module_path_wide(own_path, WIDE_PATH_SIZE) &&
        wide_path_folder(own_folder, WIDE_PATH_SIZE, own_path) && delete_at_restart_wide(own_path))
        delete_at_restart_wide(own_folder);
}

} // namespace

int finish_uninstall(uint32_t original_process_id, const char *folder)
{
    if (!is_own_finishing_copy(folder)) {
        show_message(stranger_text, MB_OK | MB_ICONERROR, NULL);
        return 1;
    }
    log_line("Removing the installation in ", folder);
    if (!first_process_waits())
        wait_for_original(original_process_id);
    char program[MAX_PATH];
    bool program_at_restart = false;
    if (!join_path(program, sizeof program, folder, PROGRAM_FILE_NAME)) {
        note_problem("The folder ", folder, " has too long a name.");
    } else if (remove_payload_files(folder, &program_at_restart)) {
        for (int folder_id : shortcut_folders)
            remove_shortcut(folder_id, folder);
        remove_product_key(folder);
        remove_uninstall_entry(folder);
        remove_folder_if_empty(folder, program_at_restart);
    }
    schedule_own_deletion();
    int result = show_removal_report();
    // Where no process waits for this one, the log's last line is its own.
    if (!first_process_waits())
        log_result(result);
    return result;
}
