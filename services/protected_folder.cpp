#include "services/protected_folder.h"
#include "services/dll_search.h"
#include "services/text.h"

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

typedef UINT(WINAPI *WindowsFolderProc)(LPSTR, UINT);

bool get_windows_temporary_folder(char *folder, DWORD size)
{
    // The system's Windows folder: under Terminal Services GetWindowsDirectoryA
    // gives a program not marked as aware of them a private folder of its
    // user's. Looked up: Windows 95 lacks it.
    WindowsFolderProc windows_folder = find_entry_point<WindowsFolderProc>(
        GetModuleHandleA("KERNEL32.DLL"), "GetSystemWindowsDirectoryA");
    if (!windows_folder)
        windows_folder = GetWindowsDirectoryA;
    char windows[MAX_PATH];
    UINT length = windows_folder(windows, sizeof windows);
    return length > 0 && length < sizeof windows && join_path(folder, size, windows, "Temp\\");
}

NewFolder create_protected_folder(const char *folder)
{
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = build_protected_descriptor();
    attributes.bInheritHandle = FALSE;
    if (!attributes.lpSecurityDescriptor)
        return NEW_FOLDER_FAILED;
    bool made = CreateDirectoryA(folder, &attributes);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (!made)
        return error == ERROR_ALREADY_EXISTS ? NEW_FOLDER_NAME_TAKEN : NEW_FOLDER_FAILED;
    // Only an administrator could have changed it since; checked all the
    // same, as a junction here would take the copy elsewhere.
    DWORD found = GetFileAttributesA(folder);
    if (found == INVALID_FILE_ATTRIBUTES || !(found & FILE_ATTRIBUTE_DIRECTORY) ||
        (found & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirectoryA(folder);
        return NEW_FOLDER_FAILED;
    }
    return NEW_FOLDER_MADE;
}
