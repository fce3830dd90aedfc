#include "services/process.h"
#include "driver/setup_state.h"
#include "services/log.h"
#include "services/text.h"

HINSTANCE module_handle;
bool quiet_run;

// Every message also goes to the log. A quiet run shows none: each question
// counts as Cancel, or No.
int show_message(const char *text, UINT style, HWND owner)
{
    log_line(text);
    if (quiet_run)
        return IDCANCEL;
    return MessageBoxA(owner, text, "Install Brimwave", style);
}

bool installation_done;

static const char *exit_code_meaning(unsigned code)
{
    switch (code) {
    case SETUP_INSTALLED:
        return installation_done ? "installed" : "nothing changed";
    case SETUP_COMMAND_REFUSED:
        return "command line refused; nothing changed";
    case SETUP_NEWER_INSTALLED:
        return "a newer version is installed; nothing changed";
    case SETUP_BUSY:
        return "another setup or a removal is running; nothing changed";
    default:
        return "not installed, or not completely";
    }
}

void end_setup(unsigned code)
{
    log_exit_code(code, exit_code_meaning(code));
    ExitProcess(code);
}

void fatal_error(const char *text)
{
    log_line(text);
    if (!quiet_run)
        MessageBoxA(NULL, text, "Installation Error", MB_OK | MB_ICONERROR);
    // A fatal error must not tell the caller that setup succeeded.
    end_setup(SETUP_FAILED);
}
