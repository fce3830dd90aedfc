// Keeping DLL loads out of the program's own folder.
#pragma once

// Where the system can (SetDefaultDllDirectories: Windows 7 with its 2011
// update, Vista with the same, and later), restricts the DLLs loaded from
// now on to the system folder. Elsewhere it does nothing: the program's
// folder cannot be taken out of the search there, so the libraries that are
// not KnownDLLs are loaded by full path (services/system_libraries.h).
void restrict_dll_search(void);
