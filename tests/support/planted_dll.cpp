// A DLL planted beside SETUP.EXE under the name of a system DLL, as a file in
// a download folder may be: when loaded it leaves the marker file MARKER. Its
// exports (named in planted_lz32.def and planted_comctl32.def) do nothing.
#include <windows.h>

extern "C" {
INT WINAPI planted_open(LPSTR, LPOFSTRUCT, WORD) { return -1; }
LONG WINAPI planted_copy(INT, INT) { return -1; }
void WINAPI planted_close(INT) {}
void WINAPI planted_init(void) {}
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE marker = CreateFileA(MARKER, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
