#include "services/shortcuts.h"
#include <windows.h>
#include "services/shell_folders.h"
#include "services/process.h"
#include "services/text.h"

enum {
    SHELL_PATH_SIZE = 260,
    // IPersistFile::Save's "remember" flag: any non-zero value makes the saved
    // file the object's current file.
    REMEMBER_SAVED_FILE = 2,
};

static const char shortcut_name[] = "Brimwave.lnk";
static char shortcut_file[SHELL_PATH_SIZE];
static char target_path[SHELL_PATH_SIZE];

// The shortcut file's path in the shell folder; false when the shell cannot
// name the folder or the path does not fit.
static bool build_shortcut_file(int folder_id)
{
    LPITEMIDLIST folder = NULL;
    if (SHGetSpecialFolderLocation(NULL, folder_id, &folder) != S_OK)
        return false;
    BOOL named = SHGetPathFromIDList(folder, shortcut_file);
    CoTaskMemFree(folder);
    if (named != TRUE)
        return false;
    size_t length = bounded_length(shortcut_file, sizeof shortcut_file);
    if (length == sizeof shortcut_file)
        return false;
    char *cursor = shortcut_file + length;
    char *end = shortcut_file + sizeof shortcut_file;
    if (!ends_with_backslash(shortcut_file) && !append_text(&cursor, end, "\\"))
        return false;
    return append_text(&cursor, end, shortcut_name);
}

void add_shortcut(int folder_id, const char *folder, const char *program_name)
{
    if (build_shortcut_file(folder_id) &&
        join_path(target_path, sizeof target_path, folder, program_name) &&
        create_shell_link(target_path, shortcut_file, "Brimwave", folder))
        return;
    show_message("NOTE: Could not add shortcut to start menu/desktop.",
                 MB_OK | MB_ICONINFORMATION, NULL);
}

// Every step must give exactly S_OK (S_FALSE counts as failure). What it
// obtains is left in *link and *file for the caller to release.
static bool make_and_save_link(IShellLinkA **link, IPersistFile **file, const char *target,
                               const char *shortcut_path, const char *description,
                               const char *working_folder)
{
    WCHAR wide_path[SHELL_PATH_SIZE];
    if (CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         (void **)link) != S_OK)
        return false;
    if ((*link)->SetPath(target) != S_OK)
        return false;
    if ((*link)->SetWorkingDirectory(working_folder) != S_OK)
        return false;
    if ((*link)->SetDescription(description) != S_OK)
        return false;
    if ((*link)->QueryInterface(IID_IPersistFile, (void **)file) != S_OK)
        return false;
    if (MultiByteToWideChar(CP_ACP, 0, shortcut_path, -1, wide_path, SHELL_PATH_SIZE) == 0)
        return false;
    return (*file)->Save(wide_path, REMEMBER_SAVED_FILE) == S_OK;
}

bool create_shell_link(const char *target, const char *shortcut_path, const char *description,
                       const char *working_folder)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    // Only a call that initialised COM (S_OK) or counted another use of it
    // (S_FALSE) is matched by an uninitialise; a thread already in another
    // apartment model keeps its own.
    HRESULT initialised = CoInitialize(NULL);
    bool saved =
        make_and_save_link(&link, &file, target, shortcut_path, description, working_folder);
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (initialised == S_OK || initialised == S_FALSE)
        CoUninitialize();
    return saved;
}
