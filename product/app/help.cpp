#include "help.h"
#include <shellapi.h>
#include "file_beside.h"
#include "services/product.h"
#include "services/system_paths.h"

namespace {

const char MESSAGE_TITLE[] = "Brimwave";

char module_path[MAX_PATH];
char help_path[MAX_PATH];
char help_folder[MAX_PATH];

} // namespace

void open_help(HWND owner)
{
    if (!get_module_path(module_path, sizeof module_path) ||
        !file_beside(help_path, MAX_PATH, module_path, HELP_FILE_NAME) ||
        !file_beside(help_folder, MAX_PATH, module_path, "")) {
        MessageBoxA(owner, "The help file cannot be located: Brimwave's folder name is too long.",
                    MESSAGE_TITLE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    DWORD attributes = GetFileAttributesA(help_path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        MessageBoxA(owner, "The help file Brimwave.chm is missing from Brimwave's folder.",
                    MESSAGE_TITLE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Values up to 32 are errors.
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, NULL, help_path, NULL, help_folder, SW_SHOWNORMAL));
    if (result <= 32)
        MessageBoxA(owner, "The help file Brimwave.chm could not be opened.",
                    MESSAGE_TITLE, MB_OK | MB_ICONEXCLAMATION);
}
