#include "services/process.h"

HINSTANCE module_handle;

int show_message(const char *text, UINT style, HWND owner)
{
    return MessageBoxA(owner, text, "Install Brimwave", style);
}

void fatal_error(const char *text)
{
    MessageBoxA(NULL, text, "Installation Error", MB_OK | MB_ICONERROR);
    // A fatal error must not tell the caller that setup succeeded.
    ExitProcess(1);
}
