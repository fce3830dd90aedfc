#include "services/files.h"
#include "services/dll_search.h"
#include "services/registry.h"
#include "services/replacement_rules.h"

enum {
    IN_USE_ATTEMPTS = 10,
    IN_USE_WAIT_MS = 200,
    WAIT_SLICE_MS = 20,
    // The restart list may grow between asking its size and reading it.
    RESTART_LIST_READS = 3,
};

typedef BOOL(WINAPI *MoveFileExProc)(LPCSTR, LPCSTR, DWORD);

static const char restart_list_value[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\PendingFileRenameOperations";

void clear_file_attributes(const char *path)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

bool is_in_use_error(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Access is also denied to deleting a program that has only just ended, and
// on some systems to renaming a file that is open.
static bool may_pass(DWORD error)
{
    return is_in_use_error(error) || error == ERROR_ACCESS_DENIED;
}

FileProblem classify_file_problem(const char *path, DWORD error)
{
    if (is_in_use_error(error))
        return FILE_IN_USE;
    if (error != ERROR_ACCESS_DENIED)
        return FILE_OTHER;
    // Deleting a running program is refused as access denied too, yet the
    // file can still be opened for deletion: only a user without the right
    // to delete it cannot.
    HANDLE file = CreateFileA(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD probe_error = GetLastError();
        if (probe_error == ERROR_ACCESS_DENIED)
            return FILE_NEEDS_RIGHTS;
        return is_in_use_error(probe_error) ? FILE_IN_USE : FILE_OTHER;
    }
    CloseHandle(file);
    return FILE_IN_USE;
}

bool move_or_delete_file(const char *from, const char *to, void (*between_tries)(void))
{
    for (int attempt = 1;; attempt++) {
        if (to ? MoveFileA(from, to) : DeleteFileA(from))
            return true;
        DWORD error = GetLastError();
        if (!may_pass(error) || attempt == IN_USE_ATTEMPTS)
            return false;
        for (int waited = 0; waited < IN_USE_WAIT_MS; waited += WAIT_SLICE_MS) {
            if (between_tries)
                between_tries();
            Sleep(WAIT_SLICE_MS);
        }
    }
}

// The pending operation is carried out long after this process, in another
// current folder: it must name the file in full.
static bool get_full_path(const char *path, char *full_path)
{
    DWORD length = GetFullPathNameA(path, MAX_PATH, full_path, NULL);
    return length > 0 && length < MAX_PATH;
}

bool delete_at_restart(const char *path)
{
    char full_path[MAX_PATH];
    MoveFileExProc move_file_ex =
        find_entry_point<MoveFileExProc>(GetModuleHandleA(kernel32_name), "MoveFileExA");
    return move_file_ex && get_full_path(path, full_path) &&
           move_file_ex(full_path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}

DeleteResult delete_now_or_at_restart(const char *path, void (*between_tries)(void))
{
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return FILE_DELETED;
    clear_file_attributes(path);
    if (move_or_delete_file(path, NULL, between_tries))
        return FILE_DELETED;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return FILE_DELETED;
    if (delete_at_restart(path))
        return FILE_DELETED_AT_RESTART;
    SetLastError(error);
    return FILE_KEPT;
}

bool is_pending_at_restart(const char *path)
{
    char full_path[MAX_PATH];
    if (!get_full_path(path, full_path))
        return true; // cannot be told apart: never trusted
    for (int read = 0; read < RESTART_LIST_READS; read++) {
        DWORD size = 0;
        // No list (Windows 9x keeps none here): nothing is pending.
        if (!query_registry_value(restart_list_value, NULL, 0, HKEY_LOCAL_MACHINE, &size) ||
            size == 0)
            return false;
        char *list = (char *)GlobalAlloc(GMEM_FIXED, size);
        if (!list)
            return true;
        bool named = false;
        bool read_whole = query_registry_value(restart_list_value, list, size, HKEY_LOCAL_MACHINE,
                                               &size);
        if (read_whole)
            named = restart_list_names(list, size, full_path);
        GlobalFree(list);
        if (read_whole)
            return named;
    }
    return true;
}
