#include "services/wide_paths.h"
#include <shlobj.h>
#include "services/dll_search.h"
#include "services/shell_folders.h"
#include "services/system_paths.h"

typedef BOOL(WINAPI *PathFromIdListWProc)(LPCITEMIDLIST, LPWSTR);

bool has_wide_paths(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool widen_text(const char *text, WCHAR *wide, size_t size)
{
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, (int)size) != 0;
}

bool narrow_path(const WCHAR *wide, char *path, size_t size)
{
    BOOL used_default = FALSE;
    WCHAR read_back[WIDE_PATH_SIZE];
    // A letter the code page lacks may also come out as a look-alike ("Ａ" as
    // "A") without the default character, and then names another file:
    // only a path that reads back as itself is handed on. (The flag that
    // refuses look-alikes, WC_NO_BEST_FIT_CHARS, is unknown to Windows 95.)
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, path, (int)size, NULL, &used_default) == 0 ||
        used_default || !widen_text(path, read_back, WIDE_PATH_SIZE))
        return false;
    for (size_t i = 0; wide[i] || read_back[i]; i++)
        if (wide[i] != read_back[i])
            return false;
    return true;
}

bool join_wide_path(WCHAR *dest, size_t size, const WCHAR *folder, const char *name)
{
    size_t length = 0;
    while (folder[length])
        length++;
    // Every character of a wide path is whole: its backslash is one.
    bool separator = length > 0 && folder[length - 1] != L'\\';
    if (length + (separator ? 1 : 0) >= size)
        return false;
    for (size_t i = 0; i < length; i++)
        dest[i] = folder[i];
    if (separator)
        dest[length++] = L'\\';
    return widen_text(name, dest + length, size - length);
}

const WCHAR *wide_path_name(const WCHAR *path)
{
    const WCHAR *name = path;
    for (const WCHAR *p = path; *p; p++)
        if (*p == L'\\')
            name = p + 1;
    return name;
}

bool wide_path_folder(WCHAR *dest, size_t size, const WCHAR *path)
{
    const WCHAR *name = wide_path_name(path);
    if (name == path)
        return false;
    size_t length = (size_t)(name - path) - 1;
    // "C:\Brimwave.exe": the root keeps its backslash; "C:" alone would name
    // the drive's current folder.
    if (length == 2 && path[1] == L':')
        length = 3;
    if (length == 0 || length >= size)
        return false;
    for (size_t i = 0; i < length; i++)
        dest[i] = path[i];
    dest[length] = 0;
    return true;
}

static bool append_wide(WCHAR **cursor, WCHAR *end, const WCHAR *text)
{
    for (; *text; text++) {
        if (*cursor + 1 >= end)
            return false;
        *(*cursor)++ = *text;
    }
    **cursor = 0;
    return true;
}

bool build_wide_command(WCHAR *dest, size_t size, const WCHAR *program, const char *arguments)
{
    for (const WCHAR *p = program; *p; p++)
        if (*p == L'"')
            return false;
    WCHAR *cursor = dest;
    WCHAR *end = dest + size;
    return size > 0 && append_wide(&cursor, end, L"\"") && append_wide(&cursor, end, program) &&
           append_wide(&cursor, end, L"\" ") &&
           widen_text(arguments, cursor, (size_t)(end - cursor));
}

bool get_shell_folder_wide(int folder_id, WCHAR *folder)
{
    PathFromIdListWProc path_from_id_list = find_entry_point<PathFromIdListWProc>(
        GetModuleHandleA("SHELL32.DLL"), "SHGetPathFromIDListW");
    if (has_wide_paths() && path_from_id_list) {
        LPITEMIDLIST list = NULL;
        if (SHGetSpecialFolderLocation(NULL, folder_id, &list) == S_OK) {
            folder[0] = 0;
            BOOL named = path_from_id_list(list, folder);
            CoTaskMemFree(list);
            if (named && folder[0])
                return true;
        }
    }
    char ansi_folder[MAX_PATH];
    return get_shell_folder(folder_id, ansi_folder) &&
           widen_text(ansi_folder, folder, WIDE_PATH_SIZE);
}

typedef DWORD(WINAPI *AttributesWProc)(LPCWSTR);
typedef BOOL(WINAPI *DeleteFileWProc)(LPCWSTR);

DWORD get_file_attributes_wide(const WCHAR *path)
{
    AttributesWProc attributes = wide_call<AttributesWProc>("GetFileAttributesW");
    if (attributes)
        return attributes(path);
    char ansi_path[MAX_PATH];
    return narrow_path(path, ansi_path, sizeof ansi_path) ? GetFileAttributesA(ansi_path)
                                                          : INVALID_FILE_ATTRIBUTES;
}

bool delete_file_wide(const WCHAR *path)
{
    DeleteFileWProc delete_file = wide_call<DeleteFileWProc>("DeleteFileW");
    if (delete_file)
        return delete_file(path) != FALSE;
    char ansi_path[MAX_PATH];
    return narrow_path(path, ansi_path, sizeof ansi_path) && DeleteFileA(ansi_path);
}
