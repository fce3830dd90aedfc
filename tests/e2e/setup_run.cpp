#include "tests/e2e/setup_run.h"
#include <string.h>
#include <vector>

const char caption[] = "Install Brimwave v1.0";
const char derived_folder[] = "C:\\derived\\";

std::string derive_copy(const std::string &changes)
{
    std::string copy = std::string(derived_folder) + "SETUP.EXE";
    remove_tree(derived_folder);
    CreateDirectoryA(derived_folder, nullptr);
    ChildProcess tool;
    std::string command = std::string("\"") + DERIVE_MEDIUM + "\" D:\\SETUP.EXE " + copy + " " + changes;
    bool made = start_process(command, derived_folder, &tool) && wait_for_exit(tool, 60000) == 0;
    kill_process(tool);
    EXPECT_TRUE(made) << command;
    return copy;
}

void SetupRun::SetUp()
{
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    delete_key_tree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    remove_tree(default_destination());
}

void SetupRun::TearDown()
{
    kill_process(setup_);
}

void SetupRun::start(const std::string &command_line, const char *folder, const char *program)
{
    ASSERT_TRUE(start_process(command_line, folder, &setup_, program, true))
        << "cannot start " << command_line << ": error " << GetLastError();
    expect_shipped_image(setup_);
    resume_process(&setup_);
}

void expect_shipped_image(const ChildProcess &process)
{
    char image[MAX_PATH];
    DWORD size = sizeof image;
    ASSERT_TRUE(QueryFullProcessImageNameA(process.handle, 0, image, &size));
    // Drives E: and F: hold test media made from the shipped SETUP.EXE with
    // other payload resources (a large payload, a broken one), and so does
    // derived_folder (derive_copy); every other SETUP.EXE is the shipped one
    // or a copy of it.
    // A signed copy of the medium, named by SHIPPED_SETUP, is shipped too.
    char shipped[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("SHIPPED_SETUP", shipped, sizeof shipped);
    if (length == 0 || length >= sizeof shipped)
        lstrcpynA(shipped, SHIPPED_SETUP, sizeof shipped);
    char drive = static_cast<char>(toupper(static_cast<unsigned char>(image[0])));
    bool derived = _strnicmp(image, derived_folder, strlen(derived_folder)) == 0;
    if (drive != 'E' && drive != 'F' && !derived) {
        EXPECT_TRUE(same_contents(image, shipped));
    }
    // The test programs are 32-bit too: in a 64-bit prefix both run under
    // WoW64, in a 32-bit one neither does.
    BOOL program_wow64 = FALSE, own_wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(process.handle, &program_wow64));
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &own_wow64));
    if (const char *prefix = getenv("WINEARCH")) {
        EXPECT_EQ(own_wow64 != FALSE, strcmp(prefix, "win64") == 0) << "WINEARCH=" << prefix;
    }
    EXPECT_EQ(program_wow64 != FALSE, own_wow64 != FALSE) << image;
}

HWND SetupRun::wait_for_dialog(const char *title, int control_id, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        HWND window = wait_for_window(setup_.id, title, 100);
        if (window && GetDlgItem(window, control_id))
            return window;
    }
    ADD_FAILURE() << "no window '" << title << "' with control " << control_id
                  << "; windows: " << describe_windows(setup_.id);
    return nullptr;
}

HWND SetupRun::wait_for_licence()
{
    return wait_for_dialog(caption, 2001);
}

HWND SetupRun::wait_for_destination()
{
    return wait_for_dialog(caption, 1003);
}

HWND SetupRun::pass_licence()
{
    HWND licence = wait_for_licence();
    if (!licence)
        return nullptr;
    press_button(licence, IDOK);
    return wait_for_destination();
}

HWND SetupRun::wait_for_message_box(const char *title, DWORD timeout_ms)
{
    HWND box = wait_for_window(setup_.id, title, timeout_ms);
    if (!box)
        ADD_FAILURE() << "no message box '" << title
                      << "'; windows: " << describe_windows(setup_.id);
    return box;
}

void SetupRun::confirm_destination(HWND dialog, const std::string &text)
{
    SendMessageA(GetDlgItem(dialog, 1003), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
    press_button(dialog, IDOK);
}

DWORD SetupRun::wait_for_exit(DWORD timeout_ms)
{
    return ::wait_for_exit(setup_, timeout_ms);
}

void SetupRun::screenshot(const std::string &name)
{
    char folder[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("SCREENSHOT_DIR", folder, sizeof folder);
    if (n == 0 || n >= sizeof folder)
        return;
    Sleep(300); // let the window finish painting
    EXPECT_TRUE(save_screenshot(std::string(folder) + "\\" + name + ".bmp")) << name;
}

void SetupRun::store_previous_installation(const char *directory, DWORD version)
{
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory", REG_SZ, directory,
                            static_cast<DWORD>(strlen(directory) + 1)));
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion", REG_BINARY,
                            &version, 4));
}

void close_product_windows()
{
    for (HWND window; (window = FindWindowA(MAIN_WINDOW_CLASS, nullptr));) {
        DWORD process_id = 0;
        GetWindowThreadProcessId(window, &process_id);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process_id);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0)
                TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
}
