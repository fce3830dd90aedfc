#include "installation_folder.h"
#include <windows.h>
#include "services/dll_search.h"
#include "services/product.h"
#include "services/protected_folder.h"
#include "services/system_paths.h"
#include "services/text.h"
#include "uninstall_rules.h"

enum {
    // The blocks in which two program files are compared.
    COMPARE_BLOCK_SIZE = 4096,
};

typedef DWORD(WINAPI *LongPathNameFunction)(LPCSTR, LPSTR, DWORD);

// The full, long form of folder in dest (MAX_PATH bytes): GetFullPathNameA
// drops "." and "..", doubled separators and '/', and GetLongPathNameA, which
// Windows 95 and NT 4 lack, expands the short names of a folder that exists.
static bool normalise_folder(const char *folder, char *dest)
{
    char full_form[MAX_PATH];
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

// Setup records the destination as typed ("C:\Apps\\Brimwave", a short
// name), while this program's own path comes normalised. A folder too long
// to normalise is compared as written.
bool is_same_folder(const char *a, const char *b)
{
    char first[MAX_PATH];
    char second[MAX_PATH];
    if (normalise_folder(a, first) && normalise_folder(b, second))
        return is_same_path(first, second);
    return is_same_path(a, b);
}

// The program's file is gone by now, so only its folder is normalised;
// setup always writes the name itself.
bool names_installed_program(const char *path, const char *folder)
{
    char recorded_folder[MAX_PATH];
    return path_ends_with_name(path, MAX_PATH, PROGRAM_FILE_NAME) &&
           program_folder(recorded_folder, sizeof recorded_folder, path) &&
           is_same_folder(recorded_folder, folder);
}

static HANDLE open_for_reading(const char *path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Whether the two open files, read from where they stand, hold the same bytes.
static bool read_same_bytes(HANDLE first, HANDLE second)
{
    static unsigned char first_block[COMPARE_BLOCK_SIZE];
    static unsigned char second_block[COMPARE_BLOCK_SIZE];
    bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE;
    for (DWORD got = 1; same && got > 0;) {
        DWORD second_got = 0;
        same = ReadFile(first, first_block, sizeof first_block, &got, NULL) &&
               ReadFile(second, second_block, sizeof second_block, &second_got, NULL) &&
               got == second_got;
        for (DWORD i = 0; same && i < got; i++)
            same = first_block[i] == second_block[i];
    }
    return same;
}

bool holds_same_bytes(HANDLE file, const char *path)
{
    HANDLE other = open_for_reading(path);
    bool same = read_same_bytes(file, other);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return same;
}

// Whether the two files can be read and hold the same bytes.
static bool hold_same_bytes(const char *first_path, const char *second_path)
{
    HANDLE first = open_for_reading(first_path);
    bool same = holds_same_bytes(first, second_path);
    if (first != INVALID_HANDLE_VALUE)
        CloseHandle(first);
    return same;
}

// The two places an uninstall puts its copy's folder: the user's temporary
// folder, and for a raised run the Windows folder's, where only
// administrators may change it.
static bool is_finishing_place(const char *folder)
{
    char temporary_folder[MAX_PATH];
    return (get_temporary_folder(temporary_folder, sizeof temporary_folder) &&
            is_same_folder(folder, temporary_folder)) ||
           (get_windows_temporary_folder(temporary_folder, sizeof temporary_folder) &&
            is_same_folder(folder, temporary_folder));
}

bool is_own_finishing_copy(const char *folder)
{
    char own_path[MAX_PATH];
    char own_folder[MAX_PATH];
    char parent_folder[MAX_PATH];
    char installed_program[MAX_PATH];
    return get_module_path(own_path, sizeof own_path) &&
           program_folder(own_folder, sizeof own_folder, own_path) &&
           is_finishing_folder(own_folder) &&
           program_folder(parent_folder, sizeof parent_folder, own_folder) &&
           is_finishing_place(parent_folder) &&
           join_path(installed_program, sizeof installed_program, folder, PROGRAM_FILE_NAME) &&
           hold_same_bytes(own_path, installed_program);
}

FolderState folder_state(const char *folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FOLDER_MISSING;
    // A folder that cannot be listed is tried as if empty: removing it then
    // fails and is reported.
    char pattern[MAX_PATH];
    if (!join_path(pattern, sizeof pattern, folder, "*"))
        return FOLDER_EMPTY;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FOLDER_EMPTY;
    FolderState state = FOLDER_EMPTY;
    do {
        const char *name = found.cFileName;
        bool is_dot = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
        if (is_dot)
            continue;
        // What is left under those names is deleted at the next restart.
        if (!is_staged_name(name))
            state = FOLDER_HOLDS_FILES;
        else if (state == FOLDER_EMPTY)
            state = FOLDER_PENDING;
    } while (state != FOLDER_HOLDS_FILES && FindNextFileA(search, &found));
    FindClose(search);
    return state;
}
