// Where Windows starts the setup program. It links no C runtime (the first
// Windows 95 release has no msvcrt.dll, and the loader would refuse the
// program before its platform check could speak), so this runs WinMain and
// ends the process with its result. Only SETUP.EXE links this file: the test
// programs link the same code with the C runtime.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

extern "C" void __cdecl setup_entry(void)
{
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT));
}

// GCC emits calls to these for block copies and clears; the C runtime would
// have provided them. Built without loop-to-call rewriting, so they cannot
// turn into calls to themselves.
extern "C" void *__cdecl memset(void *dest, int value, size_t size)
{
    unsigned char *p = (unsigned char *)dest;
    while (size--)
        *p++ = (unsigned char)value;
    return dest;
}

extern "C" void *__cdecl memcpy(void *dest, const void *source, size_t size)
{
    unsigned char *p = (unsigned char *)dest;
    const unsigned char *q = (const unsigned char *)source;
    while (size--)
        *p++ = *q++;
    return dest;
}
