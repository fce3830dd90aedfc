#include "services/dll_search.h"
#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);

void restrict_dll_search(void)
{
    // Looked up, not imported: older systems lack it and must still start.
    SetDefaultDllDirectoriesProc set_default_directories =
        find_entry_point<SetDefaultDllDirectoriesProc>(GetModuleHandleA(kernel32_name),
                                                       "SetDefaultDllDirectories");
    if (set_default_directories)
        set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
