// Brimwave.exe: the sample product that the setup program installs.
#include <windows.h>
#include "command_line.h"
#include "main_window.h"
#include "messages.h"
#include "services/log.h"
#include "services/dll_search.h"
#include "services/exit_codes.h"
#include "services/process.h"
#include "services/product.h"
#include "services/text.h"
#include "uninstall.h"

static char finish_folder[MAX_PATH];
static UninstallOptions options;
static const char incomplete_text[] = "Brimwave was started with an incomplete removal command; "
                                      "nothing has been changed.";

// A quiet run shows nothing, and a log takes every message from the first:
// its name is made a full path against the folder Brimwave was started
// in, and handed so to the finishing copy, which works elsewhere. A log
// that cannot be written refuses the run, as an unknown option does.
static bool apply_options(bool readable)
{
    set_quiet_messages(options.quiet);
    if (options.log_file[0] && !open_log(options.log_file)) {
        static char text[LOG_FILE_SIZE + 64];
        char *cursor = text;
        append_text(&cursor, text + sizeof text, "Brimwave cannot write its log file ");
        append_text(&cursor, text + sizeof text, options.log_file);
        show_message(text, MB_OK | MB_ICONINFORMATION, NULL);
        return false;
    }
    copy_text(options.log_file, sizeof options.log_file, log_file_path());
    log_header("Brimwave uninstall");
    if (!readable) {
        show_message(uninstall_usage, MB_OK | MB_ICONINFORMATION, NULL);
        log_result(UNINSTALL_COMMAND_REFUSED);
    }
    return readable;
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
        set_quiet_messages(options.quiet);
        if (options.log_file[0])
            open_log(options.log_file);
        return finish_uninstall(original_process_id, finish_folder);
    }
    if (has_switch(command_line, UNINSTALL_SWITCH)) {
        // The raised start's own command line carries the marker; every
        // other is read strictly, and refused with the list of options.
        uint32_t marked_id;
        bool readable = true;
        if (read_elevated_command(command_line, &marked_id))
            options.quiet = has_switch(command_line, "/S");
        else
            readable = read_uninstall_options(command_line, &options);
        if (!apply_options(readable))
            return UNINSTALL_COMMAND_REFUSED;
        return start_uninstall(command_line, options);
    }
    if (!register_main_window_class(instance))
        return 1;
    HWND window = create_main_window(instance, show);
    if (!window)
        return 1;
    return run_message_loop(window);
}
