// What services/ needs from the program that uses it (services/process.h):
// Brimwave's own module handle and message routines. An uninstall with
// "/LOG=" also writes every message to its log, and a quiet one ("/S") shows
// none: the log and the exit code are all its caller learns.
#include "messages.h"
#include "services/log.h"
#include "services/process.h"
#include "services/text.h"
#include "uninstall_rules.h"

HINSTANCE module_handle;

static const char message_title[] = "Brimwave";
static bool quiet;

enum {
    // Longer lines of a message are logged in pieces of this size.
    LOG_PIECE_SIZE = 512,
};

void set_quiet_messages(bool on)
{
    quiet = on;
}

bool messages_are_quiet(void)
{
    return quiet;
}

// The message's lines, each on a line of the log; the blank lines between
// its paragraphs are left out.
void log_message(const char *text)
{
    char piece[LOG_PIECE_SIZE];
    size_t length = 0;
    for (const char *p = text;; p++) {
        bool line_ends = *p == 0 || *p == '\r' || *p == '\n';
        if (line_ends || length + 1 == sizeof piece) {
            piece[length] = 0;
            if (length > 0)
                log_line(piece);
            length = 0;
        }
        if (*p == 0)
            return;
        if (!line_ends)
            piece[length++] = *p;
    }
}

void log_result(int exit_code)
{
    log_exit_code((unsigned)exit_code, uninstall_result_text(exit_code));
}

int show_message(const char *text, UINT style, HWND owner)
{
    log_message(text);
    if (quiet)
        return (style & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    return MessageBoxA(owner, text, message_title, style);
}

void fatal_error(const char *text)
{
    log_message(text);
    if (!quiet)
        MessageBoxA(NULL, text, message_title, MB_OK | MB_ICONERROR);
    ExitProcess(1);
}
