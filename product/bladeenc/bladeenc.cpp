// bladeenc.exe: stands in for the companion encoder installer on the medium.
// It installs nothing and shows nothing; it appends one line saying how it was
// started, "command=<command line>|folder=<working folder>", to a log, so that
// tests can check how the setup program launched it.
//
// The log is the file named by BLADEENC_LOG, or bladeenc.log in the temporary
// folder. Exit code 0 once the line is written, 1 when it could not be.
#include <windows.h>
#include "services/system_paths.h"

namespace {

// Far longer than any launch a test makes; a longer command line is cut here.
// The folder is never cut: GetCurrentDirectoryA gives at most MAX_PATH.
const size_t COMMAND_LIMIT = 2048;
const char COMMAND_TAG[] = "command=";
const char FOLDER_TAG[] = "|folder=";
const char LINE_END[] = "\r\n";

char log_path[MAX_PATH];
char folder[MAX_PATH];
char line[sizeof COMMAND_TAG + COMMAND_LIMIT + sizeof FOLDER_TAG + MAX_PATH + sizeof LINE_END];

// Appends at most limit characters of text at *cursor and leaves the cursor
// on the terminating zero; end is one past the buffer's last byte. False when
// text was cut, by limit or by the buffer.
bool append_text(char **cursor, char *end, const char *text, size_t limit)
{
    char *p = *cursor;
    if (p >= end)
        return false;
    size_t count = 0;
    while (*text && count < limit && p + 1 < end) {
        *p++ = *text++;
        count++;
    }
    *p = 0;
    *cursor = p;
    return *text == 0;
}

bool append_text(char **cursor, char *end, const char *text)
{
    return append_text(cursor, end, text, static_cast<size_t>(-1));
}

bool choose_log_path()
{
    // 0: not set (or empty); MAX_PATH or more: too long to use, and the
    // buffer's content is then undefined.
    DWORD length = GetEnvironmentVariableA("BLADEENC_LOG", log_path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return true;
    if (!get_temporary_folder(log_path, MAX_PATH))
        return false;
    length = lstrlenA(log_path);
    char *cursor = log_path + length;
    char *end = log_path + MAX_PATH;
    if (log_path[length - 1] != '\\' && !append_text(&cursor, end, "\\"))
        return false;
    return append_text(&cursor, end, "bladeenc.log");
}

// The line with its CR LF; returns its length.
size_t compose_line()
{
    DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        folder[0] = 0;
    char *cursor = line;
    char *end = line + sizeof line;
    // The buffer holds every part at its limit, so only the command can be cut.
    append_text(&cursor, end, COMMAND_TAG);
    append_text(&cursor, end, GetCommandLineA(), COMMAND_LIMIT);
    append_text(&cursor, end, FOLDER_TAG);
    append_text(&cursor, end, folder);
    append_text(&cursor, end, LINE_END);
    return static_cast<size_t>(cursor - line);
}

bool append_to_log(const char *text, size_t length)
{
    // GENERIC_WRITE and a seek to the end rather than FILE_APPEND_DATA, which
    // the 9x family does not know.
    HANDLE file = CreateFileA(log_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, NULL, FILE_END) != INVALID_SET_FILE_POINTER &&
              WriteFile(file, text, static_cast<DWORD>(length), &written, NULL) && written == length;
    CloseHandle(file);
    return ok;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (!choose_log_path())
        return 1;
    size_t length = compose_line();
    return append_to_log(line, length) ? 0 : 1;
}
