#include "uninstall.h"
#include <windows.h>
#include "command_line.h"
#include "main_window.h"
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
};

char module_path[MAX_PATH];
char installation[MAX_PATH];
char question[QUESTION_SIZE];
char temporary_folder[MAX_PATH];
char copy_path[MAX_PATH];
char finish_command[FINISH_COMMAND_SIZE];

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

// Copies this program to a new file of the temporary folder and starts it
// to finish the removal once this process has ended.
bool start_finishing_copy(void)
{
    if (!get_temporary_folder(temporary_folder, sizeof temporary_folder))
        return false;
    // GetTempFileNameA creates the file under a name no one else holds.
    if (GetTempFileNameA(temporary_folder, "bwu", 0, copy_path) == 0)
        return false;
    if (!CopyFileA(module_path, copy_path, FALSE) ||
        !build_finish_command(finish_command, sizeof finish_command, copy_path,
                              GetCurrentProcessId(), installation)) {
        DeleteFileA(copy_path);
        return false;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    // The copy works in the temporary folder: a current folder inside the
    // installation would keep that folder from being removed.
    if (!CreateProcessA(copy_path, finish_command, NULL, NULL, FALSE, 0, NULL, temporary_folder,
                        &startup, &started)) {
        DeleteFileA(copy_path);
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace

int start_uninstall(void)
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
    if (show_message(question, MB_YESNO | MB_ICONQUESTION, NULL) != IDYES)
        return 0;
    if (!start_finishing_copy()) {
        show_message("Brimwave cannot be removed: it could not prepare its removal in the "
                     "temporary folder. Nothing has been changed.",
                     MB_OK | MB_ICONERROR, NULL);
        return 1;
    }
    return 0;
}
