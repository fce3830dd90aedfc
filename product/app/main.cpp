// Brimwave.exe: the sample product that the setup program installs.
#include <windows.h>
#include "main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // Brimwave takes no switches yet; any are to be read here, before a
    // window exists, with has_switch (command_line.h).
    if (!register_main_window_class(instance))
        return 1;
    HWND window = create_main_window(instance, show);
    if (!window)
        return 1;
    return run_message_loop(window);
}
