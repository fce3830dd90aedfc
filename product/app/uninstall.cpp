#include "uninstall.h"
#include <windows.h>
#include <shellapi.h>
#include "command_line.h"
#include "main_window.h"
#include "services/dll_search.h"
#include "services/process.h"
#include "services/system_paths.h"
#include "services/text.h"
#include "uninstall_rules.h"

namespace {

enum {
    // The question: its fixed words and the installation folder.
    QUESTION_SIZE = MAX_PATH + 80,
    // The copy's command line: two quoted paths, the switch and a process id.
    FINISH_COMMAND_SIZE = 2 * MAX_PATH + 40,
    // "/uninstall /elevated" and a process id.
    ELEVATED_PARAMETERS_SIZE = 40,
    // Names tried for the copy's folder before giving up.
    FOLDER_NAME_ATTEMPTS = 100,
};

typedef BOOL(WINAPI *OpenProcessTokenProc)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI *GetTokenInformationProc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                              PDWORD);

char module_path[MAX_PATH];
char installation[MAX_PATH];
char question[QUESTION_SIZE];

// The installation is the folder this program runs from; the question names it.
bool find_installation(void)
{
    if (!get_module_path(module_path, sizeof module_path) ||
        !program_folder(installation, sizeof installation, module_path))
        return false;
    char *cursor = question;
    char *end = question + sizeof question;
    // The folder on a line of its own: a message box would break a long path anywhere.
    return append_text(&cursor, end,
                       "Remove Brimwave and all of its components?\r\n\r\nFolder: ") &&
           append_text(&cursor, end, installation);
}

bool is_nt6_or_later(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           version.dwMajorVersion >= 6;
}

// Looked up: Windows 95 has no tokens, and only Vista knows elevation. A
// token that cannot be asked counts as not elevated.
bool is_elevated(void)
{
    HMODULE advapi32 = GetModuleHandleA("ADVAPI32.DLL");
    OpenProcessTokenProc open_process_token =
        find_entry_point<OpenProcessTokenProc>(advapi32, "OpenProcessToken");
    GetTokenInformationProc get_token_information =
        find_entry_point<GetTokenInformationProc>(advapi32, "GetTokenInformation");
    HANDLE token;
    if (!open_process_token || !get_token_information ||
        !open_process_token(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool elevated = get_token_information(token, TokenElevation, &elevation, sizeof elevation,
                                          &size) &&
                    elevation.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

// Starts this program again with raised rights (Windows asks the user),
// waits for it and gives its exit code. The raised start carries the marker
// and this process's id, so it neither asks again nor loses track of it.
int run_elevated(void)
{
    char parameters[ELEVATED_PARAMETERS_SIZE];
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpVerb = "runas";
    start.lpFile = module_path;
    start.lpParameters = parameters;
    start.nShow = SW_SHOWNORMAL;
    // Declined (ERROR_CANCELLED) or not started at all: nothing has changed.
    if (!build_elevated_parameters(parameters, sizeof parameters, GetCurrentProcessId()) ||
        !ShellExecuteExA(&start)) {
        show_message("Brimwave was not removed.", MB_OK | MB_ICONINFORMATION, NULL);
        return 1;
    }
    DWORD exit_code = 0;
    if (start.hProcess) {
        WaitForSingleObject(start.hProcess, INFINITE);
        if (!GetExitCodeProcess(start.hProcess, &exit_code))
            exit_code = 1;
        CloseHandle(start.hProcess);
    }
    return (int)exit_code;
}

// A new folder of the temporary folder, under a name no one else holds:
// creating a folder fails when the name exists.
bool create_private_folder(char *folder, size_t size)
{
    char temporary_folder[MAX_PATH];
    char name[4 + DECIMAL_SIZE] = "bwu";
    char digits[DECIMAL_SIZE];
    if (!get_temporary_folder(temporary_folder, sizeof temporary_folder))
        return false;
    uint32_t seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (uint32_t attempt = 0; attempt < FOLDER_NAME_ATTEMPTS; attempt++) {
        char *cursor = name + 3;
        if (!append_text(&cursor, name + sizeof name, format_decimal(seed + attempt, digits)) ||
            !join_path(folder, size, temporary_folder, name))
            return false;
        if (CreateDirectoryA(folder, NULL))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

// Copies this program into a folder of its own in the temporary folder,
// where no DLL that another program left can be loaded beside it, and
// starts it to finish the removal once the process waiting_process_id has
// ended.
bool start_finishing_copy(uint32_t waiting_process_id)
{
    static char copy_folder[MAX_PATH];
    static char copy_path[MAX_PATH];
    static char working_folder[MAX_PATH];
    static char finish_command[FINISH_COMMAND_SIZE];
    if (!create_private_folder(copy_folder, sizeof copy_folder))
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    // The copy works in the temporary folder: a current folder inside the
    // installation, or its own, would keep that folder from being removed.
    bool ok = join_path(copy_path, sizeof copy_path, copy_folder, PROGRAM_FILE_NAME) &&
              CopyFileA(module_path, copy_path, TRUE) &&
              build_finish_command(finish_command, sizeof finish_command, copy_path,
                                   waiting_process_id, installation) &&
              program_folder(working_folder, sizeof working_folder, copy_folder) &&
              CreateProcessA(copy_path, finish_command, NULL, NULL, FALSE, 0, NULL, working_folder,
                             &startup, &started);
    if (!ok) {
        DeleteFileA(copy_path);
        RemoveDirectoryA(copy_folder);
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace

int start_uninstall(const char *command_line)
{
    // In this mode Brimwave makes no window of its own: any window of the
    // class belongs to a Brimwave that is running.
    if (FindWindowA(MAIN_WINDOW_CLASS, NULL)) {
        show_message("Brimwave is running. Close Brimwave, then uninstall it again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        return 1;
    }
    if (!find_installation()) {
        show_message("Brimwave cannot be removed: the name of its folder is too long.",
                     MB_OK | MB_ICONERROR, NULL);
        return 1;
    }
    // The copy waits for the process that asked: a raised start ends first.
    uint32_t asking_process_id = GetCurrentProcessId();
    bool marked = read_elevated_command(command_line, &asking_process_id);
    UninstallRoute route = choose_uninstall_route(is_nt6_or_later(), is_elevated(), marked);
    if (route != UNINSTALL_REMOVE &&
        show_message(question, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES)
        return 0;
    if (route == UNINSTALL_ASK_AND_ELEVATE)
        return run_elevated();
    if (!start_finishing_copy(asking_process_id)) {
        show_message("Brimwave cannot be removed: it could not prepare its removal in the "
                     "temporary folder. Nothing has been changed.",
                     MB_OK | MB_ICONERROR, NULL);
        return 1;
    }
    return 0;
}
