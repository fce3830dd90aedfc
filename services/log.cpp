#include "services/log.h"
#include <windows.h>
#include "services/account.h"
#include "services/exit_codes.h"
#include "services/product.h"
#include "services/text.h"

static char log_path[MAX_PATH];
// NULL until opened: CreateFileA never gives it for a file.
static HANDLE log_file;

static bool is_nt(void)
{
    return !(GetVersion() & 0x80000000);
}

bool open_log(const char *path)
{
    char *file_part;
    DWORD length = GetFullPathNameA(path, sizeof log_path, log_path, &file_part);
    if (length == 0 || length >= sizeof log_path) {
        log_path[0] = 0;
        return false;
    }
    // Shared for writing: the uninstaller's finishing copy appends to the
    // file while the process that started it holds it open. Windows 9x
    // knows no reparse points, and refuses the flag.
    HANDLE file = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | (is_nt() ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                              NULL);
    BY_HANDLE_FILE_INFORMATION information;
    // A console or a device gives no file information: no log either.
    if (file != INVALID_HANDLE_VALUE &&
        (!GetFileInformationByHandle(file, &information) ||
         (information.dwFileAttributes &
          (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
         information.nNumberOfLinks > 1)) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    if (file == INVALID_HANDLE_VALUE) {
        log_path[0] = 0;
        return false;
    }
    log_file = file;
    return true;
}

const char *log_file_path(void)
{
    return log_path;
}

static void write_text(const char *text)
{
    DWORD written;
    WriteFile(log_file, text, (DWORD)text_length(text), &written, NULL);
}

void log_line(const char *text, const char *more)
{
    if (!log_file)
        return;
    // Another process may have appended since.
    if (SetFilePointer(log_file, 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER)
        return;
    write_text(text);
    if (more)
        write_text(more);
    write_text("\r\n");
}

// "2026-12-08 15:30:12": two digits of value at cursor.
static char *put_two_digits(char *cursor, unsigned value)
{
    cursor[0] = (char)('0' + value / 10 % 10);
    cursor[1] = (char)('0' + value % 10);
    return cursor + 2;
}

void log_header(const char *program)
{
    if (!log_file)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[64];
    char *p = put_two_digits(put_two_digits(line, now.wYear / 100), now.wYear);
    *p++ = '-';
    p = put_two_digits(p, now.wMonth);
    *p++ = '-';
    p = put_two_digits(p, now.wDay);
    *p++ = ' ';
    p = put_two_digits(p, now.wHour);
    *p++ = ':';
    p = put_two_digits(p, now.wMinute);
    *p++ = ':';
    p = put_two_digits(p, now.wSecond);
    *p++ = ' ';
    char *end = line + sizeof line;
    char version[DISPLAY_VERSION_SIZE];
    if (append_text(&p, end, program) && append_text(&p, end, " ") &&
        format_display_version(PRODUCT_VERSION, version, sizeof version))
        append_text(&p, end, version);
    log_line(line);
    log_line("Command line: ", GetCommandLineA());
    // The longest user name and its zero.
    char user[257];
    DWORD size = sizeof user;
    if (runs_as_local_system())
        log_line("User: SYSTEM");
    else
        log_line("User: ", GetUserNameA(user, &size) ? user : "");
}

void log_exit_code(unsigned code, const char *meaning)
{
    char line[160];
    build_exit_line(line, sizeof line, code, meaning);
    log_line(line);
}
