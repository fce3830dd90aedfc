// Brimwave.exe: the sample product that the setup program installs.
#include <windows.h>
#include "command_line.h"
#include "main_window.h"
#include "services/dll_search.h"
#include "services/process.h"
#include "uninstall.h"

static char finish_folder[MAX_PATH];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // The uninstaller's copy runs from the temporary folder, often with
    // raised rights: no DLL of that folder may be loaded into it.
    restrict_dll_search();
    module_handle = instance;
    // Switches are read before any window exists: an uninstall makes none.
    const char *command_line = GetCommandLineA();
    if (has_switch(command_line, finish_uninstall_switch)) {
        uint32_t original_process_id;
        if (!read_finish_command(command_line, &original_process_id, finish_folder,
                                 sizeof finish_folder)) {
            show_message("Brimwave was started with an incomplete removal command; nothing "
                         "has been changed.",
                         MB_OK | MB_ICONERROR, NULL);
            return 1;
        }
        return finish_uninstall(original_process_id, finish_folder);
    }
    if (has_switch(command_line, "/uninstall"))
        return start_uninstall();

    if (!register_main_window_class(instance))
        return 1;
    HWND window = create_main_window(instance, show);
    if (!window)
        return 1;
    return run_message_loop(window);
}
