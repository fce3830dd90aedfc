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
