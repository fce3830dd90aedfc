// What services/ needs from the program that uses it (services/process.h):
// Brimwave's own module handle and message routines.
#include "services/process.h"

HINSTANCE module_handle;

static const char message_title[] = "Brimwave";

int show_message(const char *text, UINT style, HWND owner)
{
    return MessageBoxA(owner, text, message_title, style);
}

void fatal_error(const char *text)
{
    MessageBoxA(NULL, text, message_title, MB_OK | MB_ICONERROR);
    ExitProcess(1);
}
