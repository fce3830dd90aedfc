// LZ32 and the common controls, loaded from the system folder by full path.
// Neither is a KnownDLL, so as static imports a file of that name beside
// SETUP.EXE (a download folder) would be loaded in their place before the
// program's first line ran.
#pragma once
#include <windows.h>

typedef INT(WINAPI *LzOpenFileProc)(LPSTR name, LPOFSTRUCT record, WORD style);
typedef LONG(WINAPI *LzCopyProc)(INT source, INT target);
typedef void(WINAPI *LzCloseProc)(INT file);
typedef void(WINAPI *InitCommonControlsProc)(void);

// Set by load_system_libraries.
extern LzOpenFileProc lz_open_file;
extern LzCopyProc lz_copy;
extern LzCloseProc lz_close;
extern InitCommonControlsProc init_common_controls;

// Loads both libraries and takes their entry points. On failure *missing
// names the library ("LZ32.DLL" or "COMCTL32.DLL") whose file or entry point
// could not be had.
bool load_system_libraries(const char **missing);
