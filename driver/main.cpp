// The setup program's main routine: start-up, the previous installation, the
// dialogs, the install sequence and the final prompt, in that order.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include "driver/install_sequence.h"
#include "driver/setup_state.h"
#include "services/dll_search.h"
#include "services/mutexes.h"
#include "services/process.h"
#include "services/product.h"
#include "services/system_libraries.h"
#include "services/text.h"
#include "ui/dialog_dispatch.h"
#include "ui/resources/resource_ids.h"
#include "ui/setup_dialogs.h"

// Created before the window check: two copies started in the same instant
// both pass that check, and would share "tempfile.tmp".
static const char setup_mutex[] = SETUP_MUTEX_NAME;

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

static void start_up(void)
{
    restrict_dll_search();
    module_handle = GetModuleHandleA(NULL);

    // Another setup program is running: leave without a word. The mutex
    // goes with the process; one that cannot be created at all leaves the
    // window check to protect.
    HANDLE mutex = CreateMutexA(NULL, FALSE, setup_mutex);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS)
        ExitProcess(0);
    if (FindWindowA(SETUP_WINDOW_CLASS, NULL))
        ExitProcess(0);
    // Checked after our own mutex exists: an uninstall that starts now sees
    // it and refuses, so the two never work on one folder together.
    if (is_mutex_held(UNINSTALL_MUTEX_NAME)) {
        show_message("Brimwave is being removed. Wait until the removal has finished, then "
                     "run Setup again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        ExitProcess(1);
    }

    char *scratch = (char *)GlobalAlloc(GMEM_FIXED, SCRATCH_BLOCK_SIZE);
    if (!scratch)
        fatal_error("ERROR: Insufficient memory.");

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

// Shows the destination dialog until it gives a folder that can be installed
// into; Cancel ends the program.
static void ask_for_destination(void)
{
    for (;;) {
        if (show_modal_dialog(NULL, IDD_DESTINATION, destination_dialog_procedure) == 0)
            ExitProcess(0);
        if (is_acceptable_destination(destination))
            return;
        show_message("You must specify a valid destination drive and directory such as "
                     "C:\\Brimwave",
                     MB_OK | MB_ICONINFORMATION, NULL);
    }
}

// The installed program is started in its folder, which the install
// sequence has also made the current one.
static void offer_to_run_product(void)
{
    const char *text = setup_mode == SETUP_UPDATE
                           ? "Brimwave has been successfully updated!\r\nWould you like to run now?"
                           : "Brimwave has been successfully installed!\r\nWould you like to run now?";
    if (show_message(text, MB_YESNO | MB_ICONQUESTION, NULL) == IDYES)
        ShellExecuteA(NULL, NULL, payload_files[0].name, NULL, destination, SW_SHOW);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    start_up();

    detect_previous_installation(&install_state);
    setup_mode = classify_setup_mode(install_state.installed, install_state.installed_version);
    build_version_label(BUILD_VERSION, version_label, sizeof version_label);
    choose_default_destination();

    if (show_modal_dialog(NULL, IDD_LICENCE, licence_dialog_procedure) == 0)
        ExitProcess(0);
    ask_for_destination();

    run_install_sequence();
    offer_to_run_product();
    ExitProcess(0);
}
