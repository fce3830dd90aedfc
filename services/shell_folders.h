// The shell's folder functions under their plain names. The first shells
// export only these (the names ending in A came later), and the headers map
// the plain names to the A ones, so they are declared here and imported
// through the project's own import library (services/shell32_plain.def).
#pragma once
#include <windows.h>
#include <shlobj.h>

#undef SHBrowseForFolder
#undef SHGetPathFromIDList
extern "C" {
DECLSPEC_IMPORT LPITEMIDLIST WINAPI SHBrowseForFolder(LPBROWSEINFOA info);
DECLSPEC_IMPORT BOOL WINAPI SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path);
}
