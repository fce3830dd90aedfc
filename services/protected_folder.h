// Folders that only SYSTEM and the Administrators can change: where a
// program with raised rights puts a file it is going to run. A folder that
// an unraised program of the same user may write (its temporary folder)
// would let that program swap the file or plant a DLL beside it.
#pragma once
#include <windows.h>

// The descriptor of such a folder: owned by the Administrators (not by the
// token's default owner, which can be the user, whose limited token would
// then keep the owner's right to rewrite the access list), and an access
// list of full control for SYSTEM and the Administrators, passed on to
// everything inside, protected from what the parent folder would pass on,
// nothing for anyone else.
#define PROTECTED_FOLDER_SDDL "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"

// A security descriptor holding that access list, or NULL where the system
// cannot make one (Windows 9x and NT 4 read no such text). Free it with
// LocalFree.
PSECURITY_DESCRIPTOR build_protected_descriptor(void);

// The Windows folder's Temp folder, with its trailing backslash (size
// characters, in UTF-16: services/wide_paths.h): where a raised program makes
// such folders.
bool get_windows_temporary_folder(WCHAR *folder, DWORD size);

enum NewFolder {
    NEW_FOLDER_MADE,
    NEW_FOLDER_NAME_TAKEN, // something exists under that name: try another
    NEW_FOLDER_FAILED,
};

// Creates folder, which must not exist yet, with the protected access list,
// and checks that what stands there afterwards is a plain folder, not a
// reparse point leading elsewhere.
NewFolder create_protected_folder(const WCHAR *folder);
