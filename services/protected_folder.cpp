#include "services/protected_folder.h"
#include "services/dll_search.h"
#include "services/wide_paths.h"

#ifndef SDDL_REVISION_1
#define SDDL_REVISION_1 1
#endif

typedef BOOL(WINAPI *StringToDescriptorProc)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR *, PULONG);

PSECURITY_DESCRIPTOR build_protected_descriptor(void)
{
    // Looked up: Windows 2000 brought it, and Brimwave.exe still starts on
    // Windows 95.
    StringToDescriptorProc string_to_descriptor = find_entry_point<StringToDescriptorProc>(
        GetModuleHandleA("ADVAPI32.DLL"), "ConvertStringSecurityDescriptorToSecurityDescriptorA");
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!string_to_descriptor ||
        !string_to_descriptor(PROTECTED_FOLDER_SDDL, SDDL_REVISION_1, &descriptor, NULL))
        return NULL;
    return descriptor;
}

typedef UINT(WINAPI *WindowsFolderWProc)(LPWSTR, UINT);

bool get_windows_temporary_folder(WCHAR *folder, DWORD size)
{
    // The system's Windows folder: under Terminal Services GetWindowsDirectory
    // gives a program not marked as aware of them a private folder of its
    // user's. NT 4 lacks it; Windows 9x has no Terminal Services and no W calls.
    WindowsFolderWProc windows_folder =
        wide_call<WindowsFolderWProc>("GetSystemWindowsDirectoryW");
    if (!windows_folder)
        windows_folder = wide_call<WindowsFolderWProc>("GetWindowsDirectoryW");
    WCHAR windows[WIDE_PATH_SIZE];
    if (windows_folder) {
        UINT length = windows_folder(windows, WIDE_PATH_SIZE);
        if (length == 0 || length >= WIDE_PATH_SIZE)
            return false;
    } else {
        char ansi_windows[MAX_PATH];
        UINT length = GetWindowsDirectoryA(ansi_windows, sizeof ansi_windows);
        if (length == 0 || length >= sizeof ansi_windows ||
            !widen_text(ansi_windows, windows, WIDE_PATH_SIZE))
            return false;
    }
    return join_wide_path(folder, size, windows, "Temp\\");
}

NewFolder create_protected_folder(const WCHAR *folder)
{
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = build_protected_descriptor();
    attributes.bInheritHandle = FALSE;
    if (!attributes.lpSecurityDescriptor)
        return NEW_FOLDER_FAILED;
    bool made = create_folder_wide(folder, &attributes);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (!made)
        return error == ERROR_ALREADY_EXISTS ? NEW_FOLDER_NAME_TAKEN : NEW_FOLDER_FAILED;
    // Only an administrator could have changed it since; checked all the
    // same, as a junction here would take the copy elsewhere.
    DWORD found = get_file_attributes_wide(folder);
    if (found == INVALID_FILE_ATTRIBUTES || !(found & FILE_ATTRIBUTE_DIRECTORY) ||
        (found & FILE_ATTRIBUTE_REPARSE_POINT)) {
        remove_folder_wide(folder);
        return NEW_FOLDER_FAILED;
    }
    return NEW_FOLDER_MADE;
}
