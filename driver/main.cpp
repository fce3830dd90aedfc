// The setup program's main routine: start-up, the previous installation, the
// dialogs, the install sequence and the final prompt, in that order.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include "driver/install_sequence.h"
#include "driver/setup_state.h"
#include "services/account.h"
#include "services/dll_search.h"
#include "services/log.h"
#include "services/mutexes.h"
#include "services/payload.h"
#include "services/process.h"
#include "services/product.h"
#include "services/registry.h"
#include "services/system_libraries.h"
#include "services/text.h"
#include "ui/dialog_dispatch.h"
#include "ui/resources/resource_ids.h"
#include "ui/setup_dialogs.h"

enum { SCRATCH_BLOCK_SIZE = 0xFFFF };

// LZ32 and the common controls come from the system folder only, before any
// window; without them nothing can be installed.
static void load_libraries(void)
{
    const char *missing;
    if (load_system_libraries(&missing))
        return;
    static char text[64];
    char *cursor = text;
    append_text(&cursor, text + sizeof text, "ERROR: Could not load ");
    append_text(&cursor, text + sizeof text, missing);
    append_text(&cursor, text + sizeof text, ".");
    fatal_error(text);
}

// The options come first: they say whether anything may be shown. The log
// is opened next, against the folder setup was started in, and a log that
// cannot be written refuses the run like an unknown option: an
// administrator would be left without its result.
static void read_options(void)
{
    OptionsResult read = read_setup_options(GetCommandLineA(), &options);
    quiet_run = options.silent;
    if (options.has_log && !open_log(options.log)) {
        static char text[LOG_PATH_SIZE + 48];
        char *cursor = text;
        append_text(&cursor, text + sizeof text, "Setup cannot write its log file ");
        append_text(&cursor, text + sizeof text, options.log);
        show_message(text, MB_OK | MB_ICONINFORMATION, NULL);
        end_setup(SETUP_COMMAND_REFUSED);
    }
    log_header("Brimwave Setup");
    if (read != OPTIONS_READ) {
        show_message(setup_options_usage, MB_OK | MB_ICONINFORMATION, NULL);
        end_setup(SETUP_COMMAND_REFUSED);
    }
}

// Another setup program is running: an interactive run leaves without a
// word, a quiet one says why it did nothing. Checked before anything is
// shown; the mutex is kept to the end.
static void refuse_while_busy(void)
{
    Exclusion exclusion = take_exclusion(SETUP_MUTEX_NAME, UNINSTALL_MUTEX_NAME, false);
    // A setup of an earlier version marks its run only with the window.
    if (exclusion == EXCLUSION_TAKEN && FindWindowA(SETUP_WINDOW_CLASS, NULL))
        exclusion = EXCLUSION_SAME_RUNNING;
    switch (exclusion) {
    case EXCLUSION_TAKEN:
        return;
    case EXCLUSION_SAME_RUNNING:
        if (!quiet_run)
            ExitProcess(0);
        log_line(SETUP_MUTEX_NAME, " is running.");
        break;
    case EXCLUSION_OTHER_RUNNING:
        show_message("Brimwave is being removed. Wait until the removal has finished, then "
                     "run Setup again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        break;
    case EXCLUSION_UNSURE:
        show_message("Another Brimwave Setup or a removal is running. Wait until it has "
                     "finished, then run Setup again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        break;
    }
    end_setup(quiet_run ? SETUP_BUSY : SETUP_FAILED);
}

static void start_up(void)
{
    restrict_dll_search();
    module_handle = GetModuleHandleA(NULL);
    read_options();
    refuse_while_busy();
    all_users = options.all_users || (quiet_run && runs_as_local_system());

    char *scratch = (char *)GlobalAlloc(GMEM_FIXED, SCRATCH_BLOCK_SIZE);
    if (!scratch)
        fatal_error(insufficient_memory);

    // Before the libraries: on Win32s loading them fails, and the user would
    // read that instead of what the system lacks. A failed call leaves the
    // zeroed record, platform id 0, and is refused too.
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the record the platform check fills");
    OSVERSIONINFOA *version = (OSVERSIONINFOA *)scratch;
    ZeroMemory(version, sizeof *version);
    version->dwOSVersionInfoSize = sizeof *version;
    GetVersionExA(version);
    if (version->dwPlatformId == VER_PLATFORM_WIN32s)
        fatal_error("ERROR: Brimwave requires Windows 9x/ME/2000/NT/XP.");
    check_payloads();

    load_libraries();

    WNDCLASSA window_class = {};
    window_class.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = module_handle;
    window_class.hIcon = LoadIconA(module_handle, MAKEINTRESOURCEA(IDI_SETUP));
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.lpszClassName = SETUP_WINDOW_CLASS;
    RegisterClassA(&window_class);
    // No dialog carries the class, so a hidden window of it marks this run
    // for the check above; two runs would share "tempfile.tmp".
    CreateWindowExA(0, SETUP_WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, NULL, NULL, module_handle, NULL);

    init_common_controls();
}

static void tell_invalid_destination(void)
{
    show_message("You must specify a valid destination drive and directory such as "
                 "C:\\Brimwave",
                 MB_OK | MB_ICONINFORMATION, NULL);
}

// Shows the destination dialog until it gives a folder that can be installed
// into; Cancel ends the program.
static void ask_for_destination(void)
{
    for (;;) {
        if (show_modal_dialog(NULL, IDD_DESTINATION, destination_dialog_procedure) == 0)
            end_setup(SETUP_CANCELLED);
        if (is_acceptable_destination(destination))
            return;
        tell_invalid_destination();
    }
}

// The answers a person would give, for a run that asks nothing: whoever runs
// it quietly accepts the licence, and the folder is /D= or the default.
static void settle_quiet_run(void)
{
    if (setup_mode == SETUP_NEWER) {
        log_line("A newer version is installed.");
        end_setup(SETUP_NEWER_INSTALLED);
    }
    if (!is_acceptable_destination(destination)) {
        tell_invalid_destination();
        end_setup(SETUP_FAILED);
    }
    // Without the machine's entry the installation would be nobody's to
    // find or remove: found out before anything changes.
    if (!can_write_uninstall_entry()) {
        log_line("Setup may not write to HKEY_LOCAL_MACHINE: run it as an administrator.");
        end_setup(SETUP_FAILED);
    }
    if (tell_product_is_running())
        end_setup(SETUP_FAILED);
}

// The installed program is started in its folder, which the install
// sequence has also made the current one. A quiet run only logs the outcome.
static void offer_to_run_product(void)
{
    const char *text = setup_mode == SETUP_UPDATE
                           ? "Brimwave has been successfully updated!\r\nWould you like to run now?"
                           : "Brimwave has been successfully installed!\r\nWould you like to run now?";
    if (show_message(text, MB_YESNO | MB_ICONQUESTION, NULL) == IDYES)
        ShellExecuteA(NULL, NULL, payload_files[0].name, NULL, destination, SW_SHOW);
}

// /D= names the folder of a fresh installation or a reinstall; an earlier
// version keeps its folder.
static void apply_destination_option(void)
{
    if (!options.has_destination)
        return;
    if (setup_mode < SETUP_UPDATE) {
        copy_text(destination, sizeof destination, options.destination);
        return;
    }
    size_t length = text_length(destination);
    if (text_length(options.destination) != length ||
        !same_ignoring_case(options.destination, destination, length))
        log_line("/D= ignored: installed in ", destination);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    start_up();

    detect_previous_installation(&install_state);
    setup_mode = classify_setup_mode(install_state.installed, install_state.installed_version);
    static const char *const mode_names[] = {"fresh", "reinstall", "update", "newer"};
    log_line("Mode: ", mode_names[setup_mode]);
    build_version_label(BUILD_VERSION, version_label, sizeof version_label);
    choose_default_destination();
    apply_destination_option();

    if (quiet_run) {
        settle_quiet_run();
    } else {
        if (show_modal_dialog(NULL, IDD_LICENCE, licence_dialog_procedure) == 0)
            end_setup(SETUP_CANCELLED);
        ask_for_destination();
    }

    run_install_sequence();
    installation_done = true;
    offer_to_run_product();
    end_setup(quiet_run && entry_missing ? SETUP_FAILED : SETUP_INSTALLED);
}
