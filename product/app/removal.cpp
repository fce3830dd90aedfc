// The copy's part of an uninstall: everything the setup program put on the
// machine for the installation in one folder, and nothing else.
#include <windows.h>
#include <shlobj.h>
#include "driver/file_table.h"
#include "services/dll_search.h"
#include "services/process.h"
#include "services/registry.h"
#include "services/registry_path.h"
#include "services/text.h"
#include "uninstall.h"
#include "uninstall_rules.h"

namespace {

enum {
    // How long the copy waits for the uninstalling Brimwave.exe to end.
    ORIGINAL_EXIT_TIMEOUT_MS = 30000,
    // A program file can stay locked for a moment after its process ended.
    DELETE_ATTEMPTS = 10,
    DELETE_RETRY_MS = 200,
    // Room for a headline and a handful of problems, each naming a path.
    REPORT_SIZE = 2048,
    // The blocks in which two program files are compared.
    COMPARE_BLOCK_SIZE = 4096,
};

typedef DWORD(WINAPI *LongPathNameFunction)(LPCSTR, LPSTR, DWORD);

const char product_key[] = "Software\\Brimwave";
const char product_key_name[] = "HKEY_CURRENT_USER\\Software\\Brimwave";
const char uninstall_key[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brimwave";
const char uninstall_key_name[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brimwave";
const char uninstall_command_value[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brimwave\\UninstallString";
const char shortcut_name[] = "Brimwave.lnk";
const char removed_text[] = "Brimwave has been removed.";
const char stranger_text[] = "Brimwave was started to finish a removal that it did not prepare. "
                             "Nothing has been changed.";

char program[MAX_PATH];          // the installed Brimwave.exe
char file_path[MAX_PATH];        // an installed file
char search_pattern[MAX_PATH];   // folder\* for the emptiness check
char shell_folder[MAX_PATH];     // a shell folder that may hold a shortcut
char shortcut_file[MAX_PATH];
char shortcut_target[MAX_PATH];
char recorded[MAX_PATH];         // a path text read from the registry
char recorded_program[MAX_PATH]; // the program of the recorded uninstall command
char own_path[MAX_PATH];
char own_folder[MAX_PATH];
char temporary_folder[MAX_PATH];
char full_form[MAX_PATH];       // a folder as GetFullPathNameA gives it
char first_folder[MAX_PATH];    // the two folders being compared,
char second_folder[MAX_PATH];   // each in its full, long form
char recorded_folder[MAX_PATH]; // the folder of a recorded program
unsigned char first_block[COMPARE_BLOCK_SIZE];
unsigned char second_block[COMPARE_BLOCK_SIZE];
char report[REPORT_SIZE];
char *report_cursor = report;
char notes[REPORT_SIZE]; // what was kept on purpose, a paragraph each
char *notes_cursor = notes;
char success_report[sizeof removed_text + REPORT_SIZE];

// Adds "what name outcome" as a line of the failure report. A report too long
// for its buffer is cut short, never overrun; its headline always fits.
void note_problem(const char *what, const char *name, const char *outcome)
{
    char *end = report + sizeof report;
    if (report_cursor == report)
        append_text(&report_cursor, end, "Brimwave could not be removed completely.\r\n");
    append_text(&report_cursor, end, "\r\n");
    append_text(&report_cursor, end, what);
    append_text(&report_cursor, end, name);
    append_text(&report_cursor, end, outcome);
}

// Notes something kept on purpose: "what name was kept: reason path."
void note_kept(const char *what, const char *name, const char *reason, const char *path)
{
    char *end = notes + sizeof notes;
    append_text(&notes_cursor, end, "\r\n\r\n");
    append_text(&notes_cursor, end, what);
    append_text(&notes_cursor, end, name);
    append_text(&notes_cursor, end, " was kept: ");
    append_text(&notes_cursor, end, reason);
    append_text(&notes_cursor, end, path);
    append_text(&notes_cursor, end, ".");
}

// The full, long form of folder in dest (MAX_PATH bytes): GetFullPathNameA
// drops "." and "..", doubled separators and '/', and GetLongPathNameA, which
// Windows 95 and NT 4 lack, expands the short names of a folder that exists.
bool normalise_folder(const char *folder, char *dest)
{
    DWORD length = GetFullPathNameA(folder, MAX_PATH, full_form, NULL);
    if (length == 0 || length >= MAX_PATH)
        return false;
    LongPathNameFunction long_path_name =
        find_entry_point<LongPathNameFunction>(GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
    if (long_path_name) {
        length = long_path_name(full_form, dest, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            return true;
    }
    return copy_text(dest, MAX_PATH, full_form);
}

// Whether a and b name one folder, however each was written: setup records
// the destination as typed ("C:\Apps\\Brimwave", a short name), while this
// program's own path comes normalised. A folder too long to normalise is
// compared as written.
bool is_same_folder(const char *a, const char *b)
{
    if (normalise_folder(a, first_folder) && normalise_folder(b, second_folder))
        return is_same_path(first_folder, second_folder);
    return is_same_path(a, b);
}

// Whether path names the installed program in folder. Its file is gone by
// now, so only its folder is normalised; setup always writes the name itself.
bool names_installed_program(const char *path, const char *folder)
{
    return path_ends_with_name(path, MAX_PATH, payload_files[0].name) &&
           program_folder(recorded_folder, sizeof recorded_folder, path) &&
           is_same_folder(recorded_folder, folder);
}

HANDLE open_for_reading(const char *path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Whether the two files can be read and hold the same bytes.
bool hold_same_bytes(const char *first_path, const char *second_path)
{
    HANDLE first = open_for_reading(first_path);
    HANDLE second = open_for_reading(second_path);
    bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE;
    for (DWORD got = 1; same && got > 0;) {
        DWORD second_got = 0;
        same = ReadFile(first, first_block, sizeof first_block, &got, NULL) &&
               ReadFile(second, second_block, sizeof second_block, &second_got, NULL) &&
               got == second_got;
        for (DWORD i = 0; same && i < got; i++)
            same = first_block[i] == second_block[i];
    }
    if (first != INVALID_HANDLE_VALUE)
        CloseHandle(first);
    if (second != INVALID_HANDLE_VALUE)
        CloseHandle(second);
    return same;
}

// Only the copy that an uninstall made may finish it: it runs from the
// temporary folder, and the installation's Brimwave.exe is the file it was
// copied from. Started by hand, from an installation or with another
// installation's folder, it must remove nothing.
bool is_own_finishing_copy(const char *folder)
{
    DWORD length = GetModuleFileNameA(NULL, own_path, sizeof own_path);
    if (length == 0 || length >= sizeof own_path ||
        !program_folder(own_folder, sizeof own_folder, own_path))
        return false;
    length = GetTempPathA(sizeof temporary_folder, temporary_folder);
    return length > 0 && length < sizeof temporary_folder &&
           is_same_folder(own_folder, temporary_folder) &&
           join_path(file_path, sizeof file_path, folder, payload_files[0].name) &&
           hold_same_bytes(own_path, file_path);
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

// True when the file is gone, also when it was gone before.
bool delete_installed_file(const char *path)
{
    for (int attempt = 1;; attempt++) {
        if (DeleteFileA(path))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        if (attempt == DELETE_ATTEMPTS)
            return false;
        Sleep(DELETE_RETRY_MS);
    }
}

enum FolderState { FOLDER_MISSING, FOLDER_EMPTY, FOLDER_HOLDS_FILES };

FolderState folder_state(const char *folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FOLDER_MISSING;
    // A folder that cannot be listed is tried as if empty: removing it then
    // fails and is reported.
    if (!join_path(search_pattern, sizeof search_pattern, folder, "*"))
        return FOLDER_EMPTY;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(search_pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FOLDER_EMPTY;
    FolderState state = FOLDER_EMPTY;
    do {
        const char *name = found.cFileName;
        bool is_dot = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
        if (!is_dot)
            state = FOLDER_HOLDS_FILES;
    } while (state == FOLDER_EMPTY && FindNextFileA(search, &found));
    FindClose(search);
    return state;
}

// The payload table's entries in reverse order: the help file, then the
// program. Stops at the first that stays, so that the uninstall entry and the
// program are left for another try.
bool remove_payload_files(const char *folder)
{
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
            if (!delete_installed_file(file_path)) {
                note_problem("The file ", file_path,
                             " could not be deleted. Close any program that is using it, then "
                             "uninstall Brimwave again.");
                return false;
            }
        }
    }
    return true;
}

// The target of a shortcut file; false when it cannot be read.
bool read_shortcut_target(const char *path, char *target, int target_size)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR wide_path[MAX_PATH];
    bool read = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 (void **)&link) == S_OK &&
                link->QueryInterface(IID_IPersistFile, (void **)&file) == S_OK &&
                MultiByteToWideChar(CP_ACP, 0, path, -1, wide_path, MAX_PATH) != 0 &&
                file->Load(wide_path, STGM_READ) == S_OK &&
                link->GetPath(target, target_size, NULL, 0) == S_OK;
    if (file)
        file->Release();
    if (link)
        link->Release();
    return read;
}

// Deletes "Brimwave.lnk" in the shell folder folder_id when it points at
// this installation's program. One that points elsewhere stays, with a note;
// one that cannot be read (COM that did not start included) is not provably
// this installation's and stays too, reported as a problem.
void remove_shortcut(int folder_id, const char *installation)
{
    LPITEMIDLIST folder = NULL;
    if (SHGetSpecialFolderLocation(NULL, folder_id, &folder) != S_OK)
        return;
    BOOL named = SHGetPathFromIDListA(folder, shell_folder);
    CoTaskMemFree(folder);
    if (!named || !join_path(shortcut_file, sizeof shortcut_file, shell_folder, shortcut_name))
        return;
    DWORD attributes = GetFileAttributesA(shortcut_file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    if (!read_shortcut_target(shortcut_file, shortcut_target, sizeof shortcut_target))
        note_problem("The shortcut ", shortcut_file, " was kept: its target could not be read.");
    else if (!names_installed_program(shortcut_target, installation))
        note_kept("The shortcut ", shortcut_file, "it starts ", shortcut_target);
    else if (!DeleteFileA(shortcut_file))
        note_problem("The shortcut ", shortcut_file, " could not be deleted.");
}

// Reads a REG_SZ value into recorded. A value that is missing gives
// *present false; one that cannot be read as a text gives false.
bool read_recorded_text(bool product, const char *path, bool *present)
{
    DWORD size = 0;
    *present = product ? query_product_value(path, NULL, 0, &size)
                       : query_registry_value(path, NULL, 0, HKEY_LOCAL_MACHINE, &size);
    if (!*present)
        return true;
    bool read = product ? query_product_value(path, recorded, sizeof recorded, &size)
                        : query_registry_value(path, recorded, sizeof recorded,
                                               HKEY_LOCAL_MACHINE, &size);
    return read && terminate_registry_text(recorded, sizeof recorded, size);
}

// A key is this installation's unless it records another folder or program:
// after an installation into a second folder, the keys describe that one,
// and removing the first leaves them, with a note. A key whose record cannot
// be read stays and is reported.
void remove_product_key(const char *folder)
{
    bool present;
    if (!read_recorded_text(true, "\\ProgramDirectory", &present))
        note_problem("The registry key ", product_key_name,
                     " was kept: its value ProgramDirectory could not be read.");
    else if (present && !is_same_folder(recorded, folder))
        note_kept("The registry key ", product_key_name, "it belongs to the installation in ",
                  recorded);
    else if (!delete_registry_tree(HKEY_CURRENT_USER, product_key))
        note_problem("The registry key ", product_key_name, " could not be removed.");
}

void remove_uninstall_entry(const char *folder)
{
    bool present;
    if (!read_recorded_text(false, uninstall_command_value, &present) ||
        (present && !uninstall_command_program(recorded_program, sizeof recorded_program,
                                               recorded)))
        note_problem("The registry key ", uninstall_key_name,
                     " was kept: its value UninstallString could not be read.");
    else if (present && !names_installed_program(recorded_program, folder))
        note_kept("The registry key ", uninstall_key_name, "it uninstalls ", recorded_program);
    else if (!delete_registry_tree(HKEY_LOCAL_MACHINE, uninstall_key))
        note_problem("The registry key ", uninstall_key_name, " could not be removed.");
}

void remove_folder_if_empty(const char *folder)
{
    if (!is_removable_folder(folder))
        return;
    switch (folder_state(folder)) {
    case FOLDER_MISSING:
        break;
    case FOLDER_HOLDS_FILES:
        note_kept("The folder ", folder, "it holds files that Brimwave did not install", "");
        break;
    case FOLDER_EMPTY:
        if (!RemoveDirectoryA(folder))
            note_problem("The folder ", folder, " could not be removed.");
        break;
    }
}

// Best effort: the delete at the next restart needs rights the user may
// lack, and a file left in the temporary folder harms no one. A copy that
// runs from the installation itself (started by hand) never marks itself.
void schedule_own_deletion(const char *folder)
{
    DWORD length = GetModuleFileNameA(NULL, own_path, sizeof own_path);
    if (length == 0 || length >= sizeof own_path ||
        !program_folder(own_folder, sizeof own_folder, own_path) ||
        is_same_path(own_folder, folder))
        return;
    MoveFileExA(own_path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

} // namespace

int finish_uninstall(uint32_t original_process_id, const char *folder)
{
    if (!is_own_finishing_copy(folder)) {
        show_message(stranger_text, MB_OK | MB_ICONERROR, NULL);
        return 1;
    }
    wait_for_original(original_process_id);
    if (!join_path(program, sizeof program, folder, payload_files[0].name)) {
        note_problem("The folder ", folder, " has too long a name.");
    } else if (remove_payload_files(folder)) {
        // Only a call that initialised COM (S_OK) or counted another use of
        // it (S_FALSE) is matched by an uninitialise.
        HRESULT com = CoInitialize(NULL);
        remove_shortcut(CSIDL_PROGRAMS, folder);
        remove_shortcut(CSIDL_DESKTOPDIRECTORY, folder);
        if (com == S_OK || com == S_FALSE)
            CoUninitialize();
        remove_product_key(folder);
        remove_uninstall_entry(folder);
        remove_folder_if_empty(folder);
    }
    schedule_own_deletion(folder);
    if (report_cursor != report) {
        append_text(&report_cursor, report + sizeof report, notes);
        show_message(report, MB_OK | MB_ICONERROR | MB_SETFOREGROUND, NULL);
        return 1;
    }
    char *cursor = success_report;
    append_text(&cursor, success_report + sizeof success_report, removed_text);
    append_text(&cursor, success_report + sizeof success_report, notes);
    show_message(success_report, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND, NULL);
    return 0;
}
