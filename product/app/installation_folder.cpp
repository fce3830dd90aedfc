#include "installation_folder.h"
#include <windows.h>
#include "services/dll_search.h"
#include "services/product.h"
#include "services/protected_folder.h"
#include "services/text.h"
#include "services/wide_paths.h"
#include "uninstall_rules.h"

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

static HANDLE open_for_reading(const WCHAR *path)
{
    return open_file_wide(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

bool holds_same_bytes(HANDLE file, const WCHAR *path)
{
    HANDLE other = open_for_reading(path);
    bool same = file != INVALID_HANDLE_VALUE && other != INVALID_HANDLE_VALUE &&
                same_bytes_from_start(file, other);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return same;
}

// Whether the two files can be read and hold the same bytes.
static bool hold_same_bytes(const WCHAR *first_path, const WCHAR *second_path)
{
    HANDLE first = open_for_reading(first_path);
    bool same = holds_same_bytes(first, second_path);
    if (first != INVALID_HANDLE_VALUE)
        CloseHandle(first);
    return same;
}

// The two places an uninstall puts its copy's folder: the user's temporary
// folder, and for a raised run the Windows folder's, where only
// administrators may change it. Both in UTF-16: the user's is named after
// the account, in any letters.
static bool is_finishing_place(const WCHAR *folder)
{
    WCHAR temporary_folder[WIDE_PATH_SIZE];
    return (get_temporary_folder_wide(temporary_folder, WIDE_PATH_SIZE) &&
            is_same_wide_folder(folder, temporary_folder)) ||
           (get_windows_temporary_folder(temporary_folder, WIDE_PATH_SIZE) &&
            is_same_wide_folder(folder, temporary_folder));
}

bool is_own_finishing_copy(const char *folder)
{
    WCHAR own_path[WIDE_PATH_SIZE];
    WCHAR own_folder[WIDE_PATH_SIZE];
    WCHAR parent_folder[WIDE_PATH_SIZE];
    WCHAR installation[WIDE_PATH_SIZE];
    WCHAR installed_program[WIDE_PATH_SIZE];
    // The copy's folder has a name of its own making, in ASCII.
    char own_folder_name[MAX_PATH];
    return get_module_path_wide(own_path, WIDE_PATH_SIZE) &&
           wide_path_folder(own_folder, WIDE_PATH_SIZE, own_path) &&
           narrow_path(wide_path_name(own_folder), own_folder_name, sizeof own_folder_name) &&
           is_finishing_folder(own_folder_name) &&
           wide_path_folder(parent_folder, WIDE_PATH_SIZE, own_folder) &&
           is_finishing_place(parent_folder) &&
           widen_text(folder, installation, WIDE_PATH_SIZE) &&
           join_wide_path(installed_program, WIDE_PATH_SIZE, installation, PROGRAM_FILE_NAME) &&
           hold_same_bytes(own_path, installed_program);
}

FolderState folder_state(const char *folder, const char *also_pending)
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
        bool pending = is_staged_name(name) ||
                       (also_pending && lstrcmpiA(name, also_pending) == 0);
        if (!pending)
            state = FOLDER_HOLDS_FILES;
        else if (state == FOLDER_EMPTY)
            state = FOLDER_PENDING;
    } while (state != FOLDER_HOLDS_FILES && FindNextFileA(search, &found));
    FindClose(search);
    return state;
}
