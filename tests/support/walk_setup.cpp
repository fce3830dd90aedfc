// Walks one default installation by the real SETUP.EXE from drive D: as a
// person would: Agree, Install, Yes at the final prompt. Saves a screenshot
// of every window it meets and prints what was installed where.
//   walk_setup.exe SCREENSHOT_FOLDER
#include <shlobj.h>
#include <stdio.h>
#include <string>
#include "tests/support/win32_test_support.h"

namespace {
std::string shots;
int shot_number = 0;

void shoot(const char *what)
{
    Sleep(400);
    char name[64];
    snprintf(name, sizeof name, "%02d-%s.bmp", ++shot_number, what);
    std::string path = shots + "\\" + name;
    printf("screenshot: %s %s\n", name, save_screenshot(path) ? "" : "(failed)");
}

HWND wait_for(const ChildProcess &setup, const char *title, int control)
{
    for (int i = 0; i < 600; i++) {
        HWND window = wait_for_window(setup.id, title, 50);
        if (window && (!control || GetDlgItem(window, control)))
            return window;
    }
    printf("walk: no window '%s' (windows: %s)\n", title, describe_windows(setup.id).c_str());
    return nullptr;
}

void print_file(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        printf("  %-50s %lu bytes\n", path.c_str(), (unsigned long)data.nFileSizeLow);
    else
        printf("  %-50s missing\n", path.c_str());
}

void print_values(HKEY root, const char *root_name, const char *key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        printf("  %s\\%s: missing\n", root_name, key);
        return;
    }
    for (DWORD i = 0;; i++) {
        char name[256];
        BYTE data[512];
        DWORD name_size = sizeof name, data_size = sizeof data - 1, type;
        if (RegEnumValueA(handle, i, name, &name_size, nullptr, &type, data, &data_size) !=
            ERROR_SUCCESS)
            break;
        printf("  %s\\%s\\%s = ", root_name, key, name);
        if (type == REG_SZ) {
            data[data_size] = 0;
            printf("REG_SZ \"%s\"\n", reinterpret_cast<char *>(data));
        } else {
            printf("type %lu:", (unsigned long)type);
            for (DWORD b = 0; b < data_size; b++)
                printf(" %02x", data[b]);
            printf("\n");
        }
    }
    RegCloseKey(handle);
}

void print_shortcut(int csidl)
{
    std::string path = shortcut_path(csidl);
    Shortcut shortcut = read_shortcut(path);
    if (shortcut.loaded)
        printf("  %s -> %s (in %s)\n", path.c_str(), shortcut.target.c_str(),
               shortcut.folder.c_str());
    else
        printf("  %s: missing\n", path.c_str());
}
} // namespace

int main(int argc, char **argv)
{
    shots = argc > 1 ? argv[1] : ".";
    SetEnvironmentVariableA("BLADEENC_LOG", "C:\\bladeenc.log");
    DeleteFileA("C:\\bladeenc.log");
    ChildProcess setup;
    DWORD started = GetTickCount();
    if (!start_process("D:\\SETUP.EXE", "D:\\", &setup)) {
        printf("walk: cannot start D:\\SETUP.EXE\n");
        return 1;
    }
    HWND licence = wait_for(setup, "Install Brimwave v1.0", 2001);
    if (!licence)
        return 1;
    printf("walk: licence dialog after %lu ms\n", (unsigned long)(GetTickCount() - started));
    shoot("licence");
    press_button(licence, IDOK);
    HWND destination = wait_for(setup, "Install Brimwave v1.0", 1003);
    if (!destination)
        return 1;
    shoot("destination");
    printf("walk: installing into %s\n", control_text(destination, 1003).c_str());
    press_button(destination, IDOK);
    DWORD install_pressed = GetTickCount();
    HWND prompt = wait_for(setup, "Install Brimwave", 0);
    if (!prompt)
        return 1;
    printf("walk: final prompt %lu ms after Install\n",
           (unsigned long)(GetTickCount() - install_pressed));
    shoot("final-prompt");
    printf("walk: final prompt: %s\n", read_message_box(prompt).text.c_str());
    press_button(prompt, IDYES);
    DWORD code = wait_for_exit(setup, 30000);
    printf("walk: SETUP.EXE exited with %lu\n", (unsigned long)code);
    HWND product = nullptr;
    for (int i = 0; i < 100 && !product; i++, Sleep(100))
        product = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    if (product) {
        shoot("brimwave");
        printf("walk: Brimwave started: '%s'\n", window_text(product).c_str());
        PostMessageA(product, WM_CLOSE, 0, 0);
    }

    printf("\nFiles:\n");
    const std::string folder = default_destination();
    for (const char *name : {PROGRAM_FILE_NAME, HELP_FILE_NAME})
        print_file((folder + "\\" + name).c_str());
    // Anything else (tempfile.tmp, a staging or backup file) was left behind.
    int left = 0;
    for (const std::string &name : folder_entries(folder))
        if (name != PROGRAM_FILE_NAME && name != HELP_FILE_NAME && ++left)
            printf("  left behind: %s\\%s\n", folder.c_str(), name.c_str());
    if (!left)
        printf("  nothing else was left behind in the folder\n");
    printf("Registry:\n");
    print_values(HKEY_CURRENT_USER, "HKCU", PRODUCT_KEY);
    print_values(HKEY_LOCAL_MACHINE, "HKLM", UNINSTALL_KEY);
    printf("Shortcuts:\n");
    print_shortcut(CSIDL_PROGRAMS);
    print_shortcut(CSIDL_DESKTOPDIRECTORY);
    printf("Companion (bladeenc.exe) log:\n");
    FILE *log = fopen("C:\\bladeenc.log", "r");
    char line[512];
    if (!log)
        printf("  not started\n");
    while (log && fgets(line, sizeof line, log))
        printf("  %s", line);
    if (log)
        fclose(log);
    return code == 0 ? 0 : 1;
}
