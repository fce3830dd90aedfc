#include "services/shortcuts.h"
#include <windows.h>
#include <shlobj.h>
#include "services/process.h"
#include "services/product.h"
#include "services/system_paths.h"
#include "services/text.h"
#include "services/wide_paths.h"

enum {
    SHELL_PATH_SIZE = 260,
    // IPersistFile::Save's "remember" flag: any non-zero value makes the saved
    // file the object's current file.
    REMEMBER_SAVED_FILE = 2,
};

static WCHAR shell_folder[WIDE_PATH_SIZE];
static WCHAR shortcut_file[WIDE_PATH_SIZE];
static char target_path[SHELL_PATH_SIZE];

bool get_shortcut_file(int folder_id, WCHAR *path, size_t size)
{
    return get_shell_folder_wide(folder_id, shell_folder) &&
           join_wide_path(path, size, shell_folder, SHORTCUT_NAME);
}

void add_shortcut(int folder_id, const char *folder, const char *program_name)
{
    // The shortcut's own path in UTF-16, as IPersistFile::Save takes it: a
    // profile folder may be named in letters the ANSI code page lacks.
    if (get_shortcut_file(folder_id, shortcut_file, WIDE_PATH_SIZE) &&
        join_path(target_path, sizeof target_path, folder, program_name) &&
        create_shell_link(target_path, shortcut_file, "Brimwave", folder))
        return;
    show_message("NOTE: Could not add shortcut to start menu/desktop.",
                 MB_OK | MB_ICONINFORMATION, NULL);
}

// Only a call that initialised COM (S_OK) or counted another use of it
// (S_FALSE) is matched by an uninitialise; a thread already in another
// apartment model keeps its own.
static void end_com(HRESULT initialised)
{
    if (initialised == S_OK || initialised == S_FALSE)
        CoUninitialize();
}

// A shell link object and its file interface, left in *link and *file for
// the caller to release whatever the outcome.
static bool make_shell_link(IShellLinkA **link, IPersistFile **file)
{
    return CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                            (void **)link) == S_OK &&
           (*link)->QueryInterface(IID_IPersistFile, (void **)file) == S_OK;
}

static void release_shell_link(IShellLinkA *link, IPersistFile *file)
{
    if (file)
        file->Release();
    if (link)
        link->Release();
}

bool create_shell_link(const char *target, const WCHAR *shortcut_path, const char *description,
                       const char *working_folder)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    HRESULT com = CoInitialize(NULL);
    // Every step must give exactly S_OK (S_FALSE counts as failure).
    bool saved = make_shell_link(&link, &file) && link->SetPath(target) == S_OK &&
                 link->SetWorkingDirectory(working_folder) == S_OK &&
                 link->SetDescription(description) == S_OK &&
                 file->Save(shortcut_path, REMEMBER_SAVED_FILE) == S_OK;
    release_shell_link(link, file);
    end_com(com);
    return saved;
}

bool read_shell_link_target(const WCHAR *shortcut_path, char *target, int target_size)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    HRESULT com = CoInitialize(NULL);
    bool read = make_shell_link(&link, &file) && file->Load(shortcut_path, STGM_READ) == S_OK &&
                link->GetPath(target, target_size, NULL, 0) == S_OK;
    release_shell_link(link, file);
    end_com(com);
    return read;
}
