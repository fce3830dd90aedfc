#include "services/system_paths.h"
#include "services/shell_folders.h"
#include "services/text.h"

bool get_module_path(char *path, DWORD size)
{
    // GetModuleFileNameA fills the whole buffer when the path is cut short.
    DWORD length = GetModuleFileNameA(NULL, path, size);
    return length > 0 && length < size;
}

bool get_shell_folder(int folder_id, char *folder)
{
    LPITEMIDLIST list = NULL;
    if (SHGetSpecialFolderLocation(NULL, folder_id, &list) != S_OK)
        return false;
    BOOL named = SHGetPathFromIDList(list, folder);
    CoTaskMemFree(list);
    return named == TRUE && bounded_length(folder, MAX_PATH) < MAX_PATH;
}
