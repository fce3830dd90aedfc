// The calls of services/wide_paths.h that only the uninstaller makes: the W
// call on the NT family, the A call on the narrowed path on Windows 9x.
#include "services/files.h"
#include "services/system_paths.h"
#include "services/wide_paths.h"

typedef DWORD(WINAPI *ModulePathWProc)(HMODULE, LPWSTR, DWORD);
typedef DWORD(WINAPI *TempPathWProc)(DWORD, LPWSTR);
typedef DWORD(WINAPI *FullPathWProc)(LPCWSTR, DWORD, LPWSTR, LPWSTR *);
typedef DWORD(WINAPI *LongPathWProc)(LPCWSTR, LPWSTR, DWORD);
typedef DWORD(WINAPI *LongPathAProc)(LPCSTR, LPSTR, DWORD);
typedef BOOL(WINAPI *CreateFolderWProc)(LPCWSTR, LPSECURITY_ATTRIBUTES);
typedef BOOL(WINAPI *RemoveFolderWProc)(LPCWSTR);
typedef HANDLE(WINAPI *CreateFileWProc)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                        HANDLE);
typedef BOOL(WINAPI *MoveFileExWProc)(LPCWSTR, LPCWSTR, DWORD);
typedef BOOL(WINAPI *CreateProcessWProc)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                         LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                         LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// The ANSI form of a wide path, for the A calls of Windows 9x. A path that
// has none there came from no call of the system's: nothing to do.
struct AnsiPath {
    char text[MAX_PATH];
    bool valid;
    explicit AnsiPath(const WCHAR *path) : valid(narrow_path(path, text, sizeof text)) {}
};

bool get_module_path_wide(WCHAR *path, DWORD size)
{
    ModulePathWProc module_path = wide_call<ModulePathWProc>("GetModuleFileNameW");
    if (module_path) {
        // The whole buffer is filled when the path is cut short.
        DWORD length = module_path(NULL, path, size);
        return length > 0 && length < size;
    }
    char ansi_path[MAX_PATH];
    return get_module_path(ansi_path, sizeof ansi_path) && widen_text(ansi_path, path, size);
}

bool get_temporary_folder_wide(WCHAR *folder, DWORD size)
{
    TempPathWProc temp_path = wide_call<TempPathWProc>("GetTempPathW");
    if (temp_path) {
        // A folder too long for the buffer gives the size it needs.
        DWORD length = temp_path(size, folder);
        return length > 0 && length < size;
    }
    char ansi_folder[MAX_PATH];
    return get_temporary_folder(ansi_folder, sizeof ansi_folder) &&
           widen_text(ansi_folder, folder, size);
}

// The full, long form of path in dest (WIDE_PATH_SIZE characters): the full
// form drops "." and "..", doubled separators and '/'; the long form, which
// Windows 95 and NT 4 lack, expands the short names of what exists.
static bool normalise_wide_path(const WCHAR *path, WCHAR *dest)
{
    WCHAR full_form[WIDE_PATH_SIZE];
    FullPathWProc full_path = wide_call<FullPathWProc>("GetFullPathNameW");
    LongPathWProc long_path = wide_call<LongPathWProc>("GetLongPathNameW");
    DWORD length;
    if (full_path) {
        length = full_path(path, WIDE_PATH_SIZE, full_form, NULL);
        if (length == 0 || length >= WIDE_PATH_SIZE)
            return false;
        if (long_path) {
            length = long_path(full_form, dest, WIDE_PATH_SIZE);
            if (length > 0 && length < WIDE_PATH_SIZE)
                return true;
        }
        for (length = 0; (dest[length] = full_form[length]) != 0; length++) {
        }
        return true;
    }
    AnsiPath ansi(path);
    char ansi_full[MAX_PATH];
    char ansi_long[MAX_PATH];
    if (!ansi.valid)
        return false;
    length = GetFullPathNameA(ansi.text, MAX_PATH, ansi_full, NULL);
    if (length == 0 || length >= MAX_PATH)
        return false;
    LongPathAProc long_path_a =
        find_entry_point<LongPathAProc>(GetModuleHandleA(kernel32_name), "GetLongPathNameA");
    if (long_path_a) {
        length = long_path_a(ansi_full, ansi_long, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            return widen_text(ansi_long, dest, WIDE_PATH_SIZE);
    }
    return widen_text(ansi_full, dest, WIDE_PATH_SIZE);
}

bool is_same_wide_folder(const WCHAR *a, const WCHAR *b)
{
    WCHAR first[WIDE_PATH_SIZE];
    WCHAR second[WIDE_PATH_SIZE];
    // A folder too long to normalise is compared as written.
    if (normalise_wide_path(a, first) && normalise_wide_path(b, second))
        return is_same_wide_path(first, second);
    return is_same_wide_path(a, b);
}

bool create_folder_wide(const WCHAR *path, SECURITY_ATTRIBUTES *attributes)
{
    CreateFolderWProc create_folder = wide_call<CreateFolderWProc>("CreateDirectoryW");
    if (create_folder)
        return create_folder(path, attributes) != FALSE;
    AnsiPath ansi(path);
    return ansi.valid && CreateDirectoryA(ansi.text, attributes);
}

bool remove_folder_wide(const WCHAR *path)
{
    RemoveFolderWProc remove_folder = wide_call<RemoveFolderWProc>("RemoveDirectoryW");
    if (remove_folder)
        return remove_folder(path) != FALSE;
    AnsiPath ansi(path);
    return ansi.valid && RemoveDirectoryA(ansi.text);
}

static HANDLE create_file(const WCHAR *path, DWORD access, DWORD share, DWORD disposition)
{
    CreateFileWProc create_file_w = wide_call<CreateFileWProc>("CreateFileW");
    if (create_file_w)
        return create_file_w(path, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
    AnsiPath ansi(path);
    if (!ansi.valid)
        return INVALID_HANDLE_VALUE;
    return CreateFileA(ansi.text, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

enum { COPY_BLOCK_SIZE = 4096 };
static unsigned char first_block[COPY_BLOCK_SIZE];
static unsigned char second_block[COPY_BLOCK_SIZE];

static bool rewind_file(HANDLE file)
{
    return SetFilePointer(file, 0, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool same_bytes_from_start(HANDLE first, HANDLE second)
{
    bool same = rewind_file(first) && rewind_file(second);
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

static bool write_copy(HANDLE source, HANDLE copy)
{
    if (!rewind_file(source))
        return false;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!ReadFile(source, first_block, sizeof first_block, &got, NULL))
            return false;
        if (got == 0)
            return true;
        if (!WriteFile(copy, first_block, got, &written, NULL) || written != got)
            return false;
    }
}

HANDLE copy_open_file_wide(HANDLE source, const WCHAR *to)
{
    // Created new: a file that stands there already is someone else's.
    HANDLE copy = create_file(to, GENERIC_WRITE, 0, CREATE_NEW);
    if (copy == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    bool written = write_copy(source, copy);
    CloseHandle(copy);
    // Starting a program opens its file sharing reading only: a handle
    // that may write it would keep it from starting. So it is held anew,
    // reading only, and then compared with source.
    copy = written ? create_file(to, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)
                   : INVALID_HANDLE_VALUE;
    if (copy != INVALID_HANDLE_VALUE && !same_bytes_from_start(source, copy)) {
        CloseHandle(copy);
        copy = INVALID_HANDLE_VALUE;
    }
    if (copy == INVALID_HANDLE_VALUE)
        delete_file_wide(to);
    return copy;
}

HANDLE open_file_wide(const WCHAR *path, DWORD access, DWORD share)
{
    return create_file(path, access, share, OPEN_EXISTING);
}

bool delete_at_restart_wide(const WCHAR *path)
{
    MoveFileExWProc move_file_ex = wide_call<MoveFileExWProc>("MoveFileExW");
    if (move_file_ex) {
        // Carried out long after this process, in another current folder:
        // the path must be full.
        WCHAR full_path[WIDE_PATH_SIZE];
        return normalise_wide_path(path, full_path) &&
               move_file_ex(full_path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    AnsiPath ansi(path);
    return ansi.valid && delete_at_restart(ansi.text);
}

bool start_process_wide(const WCHAR *program, WCHAR *command_line, const WCHAR *working_folder,
                        PROCESS_INFORMATION *started)
{
    CreateProcessWProc create_process = wide_call<CreateProcessWProc>("CreateProcessW");
    if (create_process) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        return create_process(program, command_line, NULL, NULL, TRUE, 0, NULL, working_folder,
                              &startup, started) != FALSE;
    }
    // Windows 9x: the command line in ANSI too, every part of it checked; a
    // character takes two bytes in a double-byte code page.
    static char ansi_command[2 * WIDE_COMMAND_SIZE];
    AnsiPath ansi_program(program);
    AnsiPath ansi_folder(working_folder);
    BOOL used_default = FALSE;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return ansi_program.valid && ansi_folder.valid &&
           WideCharToMultiByte(CP_ACP, 0, command_line, -1, ansi_command, sizeof ansi_command,
                               NULL, &used_default) != 0 &&
           !used_default &&
           CreateProcessA(ansi_program.text, ansi_command, NULL, NULL, TRUE, 0, NULL,
                          ansi_folder.text, &startup, started);
}
