// Brimwave.exe: the sample product that the setup program installs.
#include <windows.h>
#include "command_line.h"
#include "main_window.h"
#include "messages.h"
#include "services/log.h"
#include "services/dll_search.h"
#include "services/process.h"
#include "services/product.h"
#include "uninstall.h"

static char finish_folder[MAX_PATH];
static UninstallOptions options;
static const char incomplete_text[] = "Brimwave was started with an incomplete removal command; "
                                      "nothing has been changed.";

// A quiet run shows nothing and a log takes every message, from the first.
static void apply_options(void)
{
    set_quiet_messages(options.quiet);
    if (options.log_file[0])
        set_log_file(options.log_file);
}
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
                                 sizeof finish_folder, &options)) {
            show_message(incomplete_text, MB_OK | MB_ICONERROR, NULL);
            return 1;
        }
        apply_options();
        return finish_uninstall(original_process_id, finish_folder);
    }
    if (has_switch(command_line, UNINSTALL_SWITCH)) {
        // A log that cannot be named leaves an administrator without the
        // result: nothing is done. Quiet, the exit code alone tells.
        bool readable = read_uninstall_options(command_line, &options);
        set_quiet_messages(options.quiet);
        if (!readable) {
            show_message(incomplete_text, MB_OK | MB_ICONERROR, NULL);
            return 1;
        }
        apply_options();
        return start_uninstall(command_line, options);
    }
    if (!register_main_window_class(instance))
        return 1;
    HWND window = create_main_window(instance, show);
    if (!window)
        return 1;
    return run_message_loop(window);
}
