// The setup program's main routine: start-up, the previous installation, the
// dialogs, the install sequence and the final prompt, in that order.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include "driver/install_sequence.h"
#include "driver/setup_state.h"
#include "services/dll_search.h"
#include "services/log.h"
#include "services/mutexes.h"
#include "services/payload.h"
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

// The options come first: they say whether anything may be shown. Any
// other option is refused, listing those there are.
static void read_options(void)
{
    OptionsResult read = read_setup_options(GetCommandLineA(), &options);
    quiet_run = options.silent;
    if (options.has_log)
        set_log_file(options.log);
    if (read != OPTIONS_READ) {
        show_message(setup_options_usage, MB_OK | MB_ICONINFORMATION, NULL);
        end_setup(SETUP_COMMAND_REFUSED);
    }
}

// Looked up: Windows 9x has no tokens. Deployment tools run setup as
// LocalSystem (S-1-5-18), whose own folders no user ever sees.
static bool runs_as_system(void)
{
    typedef BOOL(WINAPI * OpenTokenProc)(HANDLE, DWORD, PHANDLE);
    typedef BOOL(WINAPI * TokenInformationProc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                                PDWORD);
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    OpenTokenProc open_token = find_entry_point<OpenTokenProc>(advapi, "OpenProcessToken");
    TokenInformationProc token_information =
        find_entry_point<TokenInformationProc>(advapi, "GetTokenInformation");
    HANDLE token;
    if (!open_token || !token_information || !open_token((HANDLE)-1, TOKEN_QUERY, &token))
        return false;
    static DWORD user[64];
    DWORD size;
    bool system = token_information(token, TokenUser, user, sizeof user, &size);
    // S-1-5-18 as its bytes: revision 1, one sub-authority, authority 5, 18.
    const DWORD *sid = (const DWORD *)((TOKEN_USER *)user)->User.Sid;
    system = system && sid[0] == 0x101 && sid[1] == 0x05000000 && sid[2] == 18;
    CloseHandle(token);
    return system;
}

static void start_up(void)
{
    restrict_dll_search();
    module_handle = GetModuleHandleA(NULL);
    read_options();

    // Another setup program is running: leave without a word. The mutex
    // goes with the process; one that cannot be created at all leaves the
    // window check to protect. A quiet run says why it did nothing.
    HANDLE mutex = CreateMutexA(NULL, FALSE, setup_mutex);
    if ((mutex && GetLastError() == ERROR_ALREADY_EXISTS) ||
        FindWindowA(SETUP_WINDOW_CLASS, NULL)) {
        if (!quiet_run)
            ExitProcess(0);
        log_line(SETUP_MUTEX_NAME " is running.");
        end_setup(SETUP_BUSY);
    }
    // Checked after our own mutex exists: an uninstall that starts now sees
    // it and refuses, so the two never work on one folder together.
    if (is_mutex_held(UNINSTALL_MUTEX_NAME)) {
        show_message("Brimwave is being removed. Wait until the removal has finished, then "
                     "run Setup again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        end_setup(quiet_run ? SETUP_BUSY : SETUP_FAILED);
    }
    all_users = options.all_users || (quiet_run && runs_as_system());

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
    offer_to_run_product();
    end_setup(SETUP_INSTALLED);
}
