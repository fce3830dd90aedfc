#include "services/system_libraries.h"
#include "services/dll_search.h"
#include "services/text.h"

LzOpenFileProc lz_open_file;
LzCopyProc lz_copy;
LzCloseProc lz_close;
InitCommonControlsProc init_common_controls;

// The common-controls initialisation is taken by its export ordinal, which
// every version of the library has.
enum { INIT_COMMON_CONTROLS_ORDINAL = 17 };

static char system_folder[MAX_PATH];
static char library_path[MAX_PATH];

static HMODULE load_from_system_folder(const char *name)
{
    UINT length = GetSystemDirectoryA(system_folder, sizeof system_folder);
    if (length == 0 || length >= sizeof system_folder ||
        !join_path(library_path, sizeof library_path, system_folder, name))
        return NULL;
    // The library's own imports are looked for beside it, in the system folder.
    return LoadLibraryExA(library_path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Proc> static bool find_entry(HMODULE library, const char *name, Proc *entry)
{
    *entry = find_entry_point<Proc>(library, name);
    return *entry != NULL;
}

bool load_system_libraries(const char **missing)
{
    *missing = "LZ32.DLL";
    HMODULE lz32 = load_from_system_folder(*missing);
    if (!lz32 || !find_entry(lz32, "LZOpenFileA", &lz_open_file) ||
        !find_entry(lz32, "LZCopy", &lz_copy) || !find_entry(lz32, "LZClose", &lz_close))
        return false;
    *missing = "COMCTL32.DLL";
    HMODULE comctl32 = load_from_system_folder(*missing);
    if (!comctl32 ||
        !find_entry(comctl32, MAKEINTRESOURCEA(INIT_COMMON_CONTROLS_ORDINAL), &init_common_controls))
        return false;
    *missing = NULL;
    return true;
}
