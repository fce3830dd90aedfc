#!/usr/bin/python3
"""Checks how SETUP.EXE meets the loader of the oldest Windows it names: its
import table is exactly the list below (no C runtime DLL, each name one that
the first Windows 95 release exports; the shell's folder functions under
their plain names; only KnownDLLs, as LZ32 and the common controls are loaded
from the system folder at run time), it has no sections that only a C
runtime needs, and it keeps ASLR, NX and its relocations.

usage: check_imports.py SETUP.EXE
"""
import sys

import pefile

EXPECTED = {
    "ADVAPI32.dll": ["RegCloseKey", "RegCreateKeyExA", "RegDeleteKeyA", "RegDeleteValueA",
                     "RegEnumKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA"],
    "GDI32.dll": ["DeleteObject", "GetObjectA", "GetStockObject"],
    "KERNEL32.dll": ["CloseHandle", "CreateDirectoryA", "CreateFileA", "CreateMutexA", "DeleteFileA",
                     "ExitProcess", "FindResourceA", "GetCommandLineA", "GetFileAttributesA", "GetFullPathNameA",
                     "GetLastError", "GetModuleFileNameA", "GetModuleHandleA", "GetProcAddress", "IsDBCSLeadByte",
                     "GetSystemDirectoryA", "GetVersionExA", "GetWindowsDirectoryA", "GlobalAlloc",
                     "GlobalFree", "LoadLibraryExA", "LoadResource", "LockResource",
                     "MoveFileA", "MultiByteToWideChar", "OpenMutexA", "ReadFile", "SetCurrentDirectoryA",
                     "SetFileAttributesA", "SetFilePointer", "SetLastError", "WideCharToMultiByte",
                     "SizeofResource", "Sleep", "WriteFile", "lstrlenA"],
    "ole32.dll": ["CoCreateInstance", "CoInitialize", "CoTaskMemFree", "CoUninitialize"],
    "SHELL32.dll": ["SHBrowseForFolder", "SHGetPathFromIDList", "SHGetSpecialFolderLocation",
                    "ShellExecuteA"],
    "USER32.dll": ["CopyImage", "CreateDialogParamA", "CreateWindowExA", "DefWindowProcA",
                   "DestroyWindow", "DialogBoxParamA", "EnableWindow", "EndDialog", "FindWindowA",
                   "GetClientRect", "GetDlgItem", "GetDlgItemTextA", "IsDialogMessageA",
                   "LoadCursorA", "LoadIconA", "LoadImageA", "MessageBoxA", "PeekMessageA",
                   "RegisterClassA", "SendDlgItemMessageA", "SendMessageA", "SetDlgItemTextA",
                   "SetWindowTextA"],
}
RUNTIME_SECTIONS = {".CRT", ".tls", ".eh_fram", ".eh_frame"}


def main():
    pe = pefile.PE(sys.argv[1])
    failures = []
    imports = {}
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        names = imports.setdefault(entry.dll.decode(), [])
        names += [i.name.decode() if i.name else "#%d" % i.ordinal for i in entry.imports]
    imports = {dll: sorted(names) for dll, names in imports.items()}
    expected = {dll: sorted(names) for dll, names in EXPECTED.items()}
    for dll in sorted(set(imports) | set(expected)):
        extra = sorted(set(imports.get(dll, [])) - set(expected.get(dll, [])))
        missing = sorted(set(expected.get(dll, [])) - set(imports.get(dll, [])))
        if extra:
            failures.append("%s: unexpected imports %s" % (dll, ", ".join(extra)))
        if missing:
            failures.append("%s: expected imports %s not there" % (dll, ", ".join(missing)))
    sections = {s.Name.rstrip(b"\0").decode() for s in pe.sections}
    if sections & RUNTIME_SECTIONS:
        failures.append("C runtime sections: %s" % ", ".join(sorted(sections & RUNTIME_SECTIONS)))
    if ".reloc" not in sections:
        failures.append("no .reloc section")
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for flag, name in ((0x40, "DYNAMIC_BASE"), (0x100, "NX_COMPAT")):
        if not flags & flag:
            failures.append("%s is off" % name)
    for failure in failures:
        print("check_imports: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
