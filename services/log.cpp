#include "services/log.h"
#include <windows.h>
#include "services/text.h"

static char log_path[MAX_PATH];

bool set_log_file(const char *path)
{
    return copy_text(log_path, sizeof log_path, path);
}

static void write_text(HANDLE file, const char *text)
{
    DWORD written;
    WriteFile(file, text, (DWORD)text_length(text), &written, NULL);
}

void log_line(const char *text, const char *more)
{
    if (!log_path[0])
        return;
    HANDLE file = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER) {
        write_text(file, text);
        if (more)
            write_text(file, more);
        write_text(file, "\r\n");
    }
    CloseHandle(file);
}
