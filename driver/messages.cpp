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

void end_setup(unsigned code)
{
    char digits[DECIMAL_SIZE];
    log_line("Exit code: ", format_decimal(code, digits));
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
