#include "uninstall.h"
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include "command_line.h"
#include "installation_folder.h"
#include "main_window.h"
#include "messages.h"
#include "services/dll_search.h"
#include "services/exit_codes.h"
#include "services/log.h"
#include "services/mutexes.h"
#include "services/process.h"
#include "services/product.h"
#include "services/protected_folder.h"
#include "services/text.h"
#include "services/wide_paths.h"
#include "uninstall_rules.h"

namespace {

enum {
    // The question: its fixed words and the installation folder.
    QUESTION_SIZE = MAX_PATH + 80,
    // The copy's command line: two quoted paths, the switch, a process id,
    // and the options: "/S" and a quoted log file.
    FINISH_COMMAND_SIZE = WIDE_COMMAND_SIZE,
    // "/uninstall /elevated", a process id and "/S".
    ELEVATED_PARAMETERS_SIZE = 40,
    // Names tried for the copy's folder before giving up.
    FOLDER_NAME_ATTEMPTS = 100,
};

typedef BOOL(WINAPI *OpenProcessTokenProc)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI *GetTokenInformationProc)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                              PDWORD);
typedef HANDLE(WINAPI *SnapshotProc)(DWORD, DWORD);
typedef BOOL(WINAPI *ProcessWalkProc)(HANDLE, LPPROCESSENTRY32);
typedef BOOL(WINAPI *ProcessImageProc)(HANDLE, DWORD, LPWSTR, PDWORD);
typedef BOOLEAN(WINAPI *RandomProc)(PVOID, ULONG);

static_assert(LOG_FILE_SIZE <= MAX_PATH, "the finishing command has room for the log's name");

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

// The program's path in UTF-16, which the copy is made from, and in ANSI,
// as the question, the raised start and the copy's command line name it.
WCHAR module_path_wide[WIDE_PATH_SIZE];
char module_path[MAX_PATH];
char installation[MAX_PATH];
char question[QUESTION_SIZE];
// This program's file, opened once before the question, others allowed
// only to read it: the copy is made from it, so a file swapped in at
// the installation's path afterwards is never copied.
HANDLE own_program = INVALID_HANDLE_VALUE;

enum InstallationFound {
    INSTALLATION_FOUND,
    INSTALLATION_NAME_TOO_LONG,
    INSTALLATION_NAME_NOT_ANSI,
};

// The installation is the folder this program runs from; the question names
// it. Setup took the folder as typed in ANSI, and the copy compares it with
// ANSI records: a folder without an exact ANSI form is none of setup's.
InstallationFound find_installation(void)
{
    if (!get_module_path_wide(module_path_wide, WIDE_PATH_SIZE))
        return INSTALLATION_NAME_TOO_LONG;
    if (!narrow_path(module_path_wide, module_path, sizeof module_path))
        return WideCharToMultiByte(CP_ACP, 0, module_path_wide, -1, NULL, 0, NULL, NULL) >
                       MAX_PATH
                   ? INSTALLATION_NAME_TOO_LONG
                   : INSTALLATION_NAME_NOT_ANSI;
    char *cursor = question;
    char *end = question + sizeof question;
    // The folder on a line of its own: a message box would break a long path anywhere.
    bool fits = program_folder(installation, sizeof installation, module_path) &&
                append_text(&cursor, end,
                            "Remove Brimwave and all of its components?\r\n\r\nFolder: ") &&
                append_text(&cursor, end, installation);
    return fits ? INSTALLATION_FOUND : INSTALLATION_NAME_TOO_LONG;
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

// The id of the process that started this one. Looked up: NT 4 has no
// tool help.
bool find_parent_process(uint32_t *parent_id)
{
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    SnapshotProc take_snapshot =
        find_entry_point<SnapshotProc>(kernel32, "CreateToolhelp32Snapshot");
    ProcessWalkProc first_process = find_entry_point<ProcessWalkProc>(kernel32, "Process32First");
    ProcessWalkProc next_process = find_entry_point<ProcessWalkProc>(kernel32, "Process32Next");
    if (!take_snapshot || !first_process || !next_process)
        return false;
    HANDLE snapshot = take_snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    const DWORD own_id = GetCurrentProcessId();
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL listed = first_process(snapshot, &entry); listed && !found;
         listed = !found && next_process(snapshot, &entry)) {
        if (entry.th32ProcessID == own_id) {
            *parent_id = entry.th32ParentProcessID;
            found = true;
        }
    }
    CloseHandle(snapshot);
    return found;
}

// Whether this is the raised start its parent asked for: raised, marked by
// its parent, and the parent runs this very program file. Anyone can start
// a program marked with their own id; only an administrator can raise it.
bool is_raised_start_of_this_program(const UninstallStart &start)
{
    if (!start.elevated || !is_marked_by_parent(start))
        return false;
    // Looked up: Vista brought it, and only Vista raises.
    ProcessImageProc process_image = wide_call<ProcessImageProc>("QueryFullProcessImageNameW");
    HANDLE parent = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, start.parent_id);
    WCHAR parent_program[WIDE_PATH_SIZE];
    WCHAR own_path[WIDE_PATH_SIZE];
    DWORD size = WIDE_PATH_SIZE;
    bool same = parent && process_image && process_image(parent, 0, parent_program, &size) &&
                get_module_path_wide(own_path, WIDE_PATH_SIZE) &&
                is_same_wide_folder(parent_program, own_path);
    if (parent)
        CloseHandle(parent);
    return same;
}

// A number for the copy's folder name from the system's random source
// (RtlGenRandom, looked up: Windows 9x and NT 4 lack it; there the clock
// and the process id serve, and an unused name is all that counts).
uint32_t folder_number(uint32_t attempt)
{
    RandomProc random = find_entry_point<RandomProc>(GetModuleHandleA("ADVAPI32.DLL"),
                                                     "SystemFunction036");
    uint32_t number = 0;
    if (random && random(&number, sizeof number))
        return number;
    return (GetTickCount() ^ (GetCurrentProcessId() << 16)) + attempt;
}

// Waits for process, the next in the uninstall's chain, and closes it: its
// exit code is the removal's result (1 when it cannot be read).
int wait_for_result(HANDLE process)
{
    DWORD exit_code = UNINSTALL_FAILED;
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process, &exit_code))
        exit_code = UNINSTALL_FAILED;
    CloseHandle(process);
    return (int)exit_code;
}

// Starts this program again with raised rights (Windows asks the user),
// waits for it and gives its exit code. The raised start carries the marker
// and this process's id, so it neither asks again nor loses track of it, and
// "/S" when quiet; never the log, which only this process writes.
int run_elevated(bool quiet)
{
    char parameters[ELEVATED_PARAMETERS_SIZE];
    SHELLEXECUTEINFOA start = {};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | (quiet ? SEE_MASK_FLAG_NO_UI : 0);
    start.lpVerb = "runas";
    start.lpFile = module_path;
    start.lpParameters = parameters;
    start.nShow = quiet ? SW_HIDE : SW_SHOWNORMAL;
    log_line("Asking for administrator rights");
    // Declined (ERROR_CANCELLED) or not started at all: nothing has changed.
    if (!build_elevated_parameters(parameters, sizeof parameters, GetCurrentProcessId(), quiet) ||
        !ShellExecuteExA(&start)) {
        show_message("Brimwave was not removed.", MB_OK | MB_ICONINFORMATION, NULL);
        return 1;
    }
    // Without a process to wait for, nothing tells whether anything was removed.
    if (!start.hProcess)
        return UNINSTALL_FAILED;
    return wait_for_result(start.hProcess);
}

// A new folder, under a name no one else holds (creating a folder fails
// when the name exists), in the temporary folder; for a raised run in the
// Windows folder's, with an access list that keeps out every program
// without raised rights: the user's temporary folder lets any of them swap
// the copy or plant a DLL beside it before it runs as administrator.
// Both in UTF-16: the user's temporary folder is named after the account.
bool create_private_folder(WCHAR *folder, size_t size, bool raised)
{
    WCHAR temporary_folder[WIDE_PATH_SIZE];
    char name[4 + DECIMAL_SIZE];
    char digits[DECIMAL_SIZE];
    bool found = raised ? get_windows_temporary_folder(temporary_folder, WIDE_PATH_SIZE)
                        : get_temporary_folder_wide(temporary_folder, WIDE_PATH_SIZE);
    if (!found)
        return false;
    for (uint32_t attempt = 0; attempt < FOLDER_NAME_ATTEMPTS; attempt++) {
        char *cursor = name;
        if (!append_text(&cursor, name + sizeof name, finishing_folder_prefix) ||
            !append_text(&cursor, name + sizeof name,
                         format_decimal(folder_number(attempt), digits)) ||
            !join_wide_path(folder, size, temporary_folder, name))
            return false;
        if (raised) {
            NewFolder made = create_protected_folder(folder);
            if (made != NEW_FOLDER_NAME_TAKEN)
                return made == NEW_FOLDER_MADE;
        } else {
            if (create_folder_wide(folder, NULL))
                return true;
            if (GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return false;
}

// Copies this program into a folder of its own (see create_private_folder)
// and starts it to finish the removal; *copy_process is its process. Where
// the copy has to wait for the process waiting_process_id to end (Windows
// 9x), that process's id tells it which. The copy gets this process's
// options: it runs with this process's rights, so the log it may write is
// one that this process could write too. The copy inherits the uninstall's
// mutex, the only handle made inheritable, and so holds it until the
// removal is over.
//
// The copy's path comes in UTF-16 and its command line goes so; the copy
// reads that command line in ANSI all the same (GetCommandLineA): all it
// reads there, the switch, the process id, the installation folder and the
// options, are ANSI texts, and the readers skip the program name, the one part that may
// hold letters the code page lacks.
bool start_finishing_copy(uint32_t waiting_process_id, bool raised,
                          const UninstallOptions &options, HANDLE *copy_process)
{
    static WCHAR copy_folder[WIDE_PATH_SIZE];
    static WCHAR copy_path[WIDE_PATH_SIZE];
    static WCHAR working_folder[WIDE_PATH_SIZE];
    static char finish_arguments[FINISH_COMMAND_SIZE];
    static WCHAR finish_command[FINISH_COMMAND_SIZE];
    if (!create_private_folder(copy_folder, WIDE_PATH_SIZE, raised))
        return false;
    PROCESS_INFORMATION started = {};
    HANDLE held_copy = INVALID_HANDLE_VALUE;
    // The copy is held, others allowed only to read it, from the copying
    // until its process has started. It works in a folder that no one
    // without raised rights can write when raised (a DLL looked up in the
    // current folder is then none of theirs), else in the temporary folder:
    // a current folder inside the installation would keep it from going.
    bool ok = join_wide_path(copy_path, WIDE_PATH_SIZE, copy_folder, PROGRAM_FILE_NAME) &&
              (held_copy = copy_open_file_wide(own_program, copy_path)) != INVALID_HANDLE_VALUE &&
              build_finish_arguments(finish_arguments, sizeof finish_arguments,
                                     waiting_process_id, installation, &options) &&
              build_wide_command(finish_command, FINISH_COMMAND_SIZE, copy_path,
                                 finish_arguments) &&
              (raised || wide_path_folder(working_folder, WIDE_PATH_SIZE, copy_folder));
    // The copy moves this program out of its folder: nothing may hold it now.
    CloseHandle(own_program);
    own_program = INVALID_HANDLE_VALUE;
    ok = ok && start_process_wide(copy_path, finish_command, raised ? copy_folder : working_folder,
                                  &started);
    if (held_copy != INVALID_HANDLE_VALUE)
        CloseHandle(held_copy);
    if (!ok) {
        delete_file_wide(copy_path);
        remove_folder_wide(copy_folder);
        return false;
    }
    CloseHandle(started.hThread);
    *copy_process = started.hProcess;
    // Named in ANSI; a letter the code page lacks shows as '?'.
    static char shown[2 * WIDE_PATH_SIZE];
    if (WideCharToMultiByte(CP_ACP, 0, copy_path, -1, shown, sizeof shown, NULL, NULL))
        log_line("Started the removal's copy: ", shown);
    return true;
}

// The log's last line, written by the process the caller started (the
// raised start has no log), and the exit code.
int result(int exit_code)
{
    log_result(exit_code);
    return exit_code;
}

} // namespace

int start_uninstall(const char *command_line, const UninstallOptions &options)
{
    // Made before setup's is looked for: a setup starting at this moment
    // looks for this one after making its own, so one of the two sees the
    // other. The raised start opens the one its parent made. Inheritable
    // for the finishing copy; never closed, it goes with the process.
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE mutex = CreateMutexA(&inheritable, FALSE, UNINSTALL_MUTEX_NAME);
    bool mutex_existed = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    log_line("Uninstall: ", command_line);
    // This process waits until the folder is gone: it must not hold it as
    // its current folder, as a shortcut's start would.
    char windows_folder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows_folder, sizeof windows_folder);
    if (length > 0 && length < sizeof windows_folder)
        SetCurrentDirectoryA(windows_folder);
    UninstallStart start = {};
    start.nt6_or_later = is_nt6_or_later();
    start.elevated = is_elevated();
    start.marked = read_elevated_command(command_line, &start.marked_id);
    start.parent_known = start.marked && find_parent_process(&start.parent_id);
    const bool quiet = options.quiet;
    if (is_mutex_held(SETUP_MUTEX_NAME)) {
        show_message("Brimwave Setup is running. Finish it, then uninstall Brimwave again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        return result(quiet ? UNINSTALL_ANOTHER_RUNNING : UNINSTALL_FAILED);
    }
    // Only the raised start may find the mutex made already: its parent's.
    // A marked start that the system did not raise got no rights to go on.
    if (mutex_existed && !is_raised_start_of_this_program(start)) {
        if (is_marked_by_parent(start) && !start.elevated) {
            show_message("Brimwave was not removed.", MB_OK | MB_ICONINFORMATION, NULL);
            return result(UNINSTALL_FAILED);
        }
        show_message("Another removal of Brimwave is running. Wait until it has finished, then "
                     "uninstall Brimwave again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        return result(quiet ? UNINSTALL_ANOTHER_RUNNING : UNINSTALL_FAILED);
    }
    // In this mode Brimwave makes no window of its own: any window of the
    // class belongs to a Brimwave that is running.
    if (FindWindowA(MAIN_WINDOW_CLASS, NULL)) {
        show_message("Brimwave is running. Close Brimwave, then uninstall it again.",
                     MB_OK | MB_ICONEXCLAMATION, NULL);
        return result(UNINSTALL_FAILED);
    }
    switch (find_installation()) {
    case INSTALLATION_FOUND:
        break;
    case INSTALLATION_NAME_TOO_LONG:
        show_message("Brimwave cannot be removed: the name of its folder is too long.",
                     MB_OK | MB_ICONERROR, NULL);
        return result(UNINSTALL_FAILED);
    case INSTALLATION_NAME_NOT_ANSI:
        show_message("Brimwave cannot be removed: the name of its folder holds letters that "
                     "Windows' language for non-Unicode programs lacks. Nothing has been "
                     "changed.",
                     MB_OK | MB_ICONERROR, NULL);
        return result(UNINSTALL_FAILED);
    }
    UninstallRoute route = choose_uninstall_route(start);
    if (route != UNINSTALL_ASK_AND_ELEVATE)
        own_program = open_file_wide(module_path_wide, GENERIC_READ, FILE_SHARE_READ);
    // On Windows 9x the copy waits for the process that asked to end.
    uint32_t asking_process_id =
        is_marked_by_parent(start) ? start.marked_id : GetCurrentProcessId();
    if (route != UNINSTALL_REMOVE) {
        if (quiet) {
            log_line("Removing without asking: ", installation);
        } else if (show_message(question, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES) {
            log_line("Answered No: nothing has been changed.");
            return result(UNINSTALL_DECLINED);
        }
    }
    if (route == UNINSTALL_ASK_AND_ELEVATE)
        return result(run_elevated(quiet));
    HANDLE copy_process = NULL;
    if (!start_finishing_copy(asking_process_id, start.elevated, options, &copy_process)) {
        show_message("Brimwave cannot be removed: it could not prepare its removal in the "
                     "temporary folder. Nothing has been changed.",
                     MB_OK | MB_ICONERROR, NULL);
        return result(UNINSTALL_FAILED);
    }
    // Windows 9x: the copy deletes this program once this process has
    // ended, and writes the result itself.
    if (!has_wide_paths()) {
        CloseHandle(copy_process);
        log_line("The removal goes on once this process has ended.");
        return UNINSTALL_REMOVED;
    }
    return result(wait_for_result(copy_process));
}
