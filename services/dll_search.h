// Keeping DLL loads out of the program's own folder, and taking entry points
// that not every system has.
#pragma once
#include <windows.h>

// Spelt once for every lookup in the program.
inline constexpr char kernel32_name[] = "KERNEL32.DLL";

// The entry point name (or ordinal) of library as the function type Proc, or
// NULL when the library lacks it.
template <typename Proc> Proc find_entry_point(HMODULE library, const char *name)
{
    // Through a plain function pointer: FARPROC converts to any function type.
    return library ? reinterpret_cast<Proc>(
                         reinterpret_cast<void (*)(void)>(GetProcAddress(library, name)))
                   : NULL;
}

// Where the system can (SetDefaultDllDirectories: Windows 7 with its 2011
// update, Vista with the same, and later), restricts the DLLs loaded from
// now on to the system folder. Elsewhere it does nothing: the program's
// folder cannot be taken out of the search there, so the libraries that are
// not KnownDLLs are loaded by full path (services/system_libraries.h).
void restrict_dll_search(void);
