#include "services/files.h"
#include "services/dll_search.h"

enum {
    IN_USE_ATTEMPTS = 10,
    IN_USE_WAIT_MS = 200,
    WAIT_SLICE_MS = 20,
};

typedef BOOL(WINAPI *MoveFileExProc)(LPCSTR, LPCSTR, DWORD);

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

bool delete_at_restart(const char *path)
{
    // The pending operation is carried out long after this process, in
    // another current folder: it must name the file in full.
    char full_path[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full_path, full_path, NULL);
    MoveFileExProc move_file_ex =
        find_entry_point<MoveFileExProc>(GetModuleHandleA("KERNEL32.DLL"), "MoveFileExA");
    return move_file_ex && length > 0 && length < sizeof full_path &&
           move_file_ex(full_path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
}
