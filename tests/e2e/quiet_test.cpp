// Installations without a window (/S), as deployment tools run them: the exit
// code, the log and the Apps & features values are the whole result.
#include <shlobj.h>
#include "tests/e2e/setup_run.h"

namespace {
const char log_file[] = "C:\\quiet.log";
const char companion_log[] = "C:\\bladeenc.log";

class Quiet : public SetupRun {
protected:
    void SetUp() override
    {
        SetupRun::SetUp();
        DeleteFileA(log_file);
        DeleteFileA(companion_log);
        SetEnvironmentVariableA("BLADEENC_LOG", companion_log);
        for (const char *folder : {"C:\\A", "C:\\Program Files\\My Brimwave"})
            remove_tree(folder);
        delete_shortcuts();
    }
    // Shortcuts for all users would be another installation's to later tests.
    void TearDown() override
    {
        SetupRun::TearDown();
        delete_shortcuts();
    }
    static void delete_shortcuts()
    {
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS,
                          CSIDL_COMMON_DESKTOPDIRECTORY})
            DeleteFileA(shortcut_path(csidl).c_str());
    }
    // Runs SETUP.EXE with options from the medium; its exit code, after
    // watching that it never shows a window.
    DWORD run(const std::string &options)
    {
        start("D:\\SETUP.EXE " + options);
        for (int i = 0; i < 3000 && WaitForSingleObject(setup_.handle, 20) == WAIT_TIMEOUT; i++)
            EXPECT_EQ(visible_window(setup_.id), "") << options;
        return wait_for_exit();
    }
    static BOOL CALLBACK find_visible(HWND window, LPARAM found)
    {
        auto *search = reinterpret_cast<std::pair<DWORD, std::string> *>(found);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->first && IsWindowVisible(window))
            search->second = "\"" + window_text(window) + "\"";
        return search->second.empty();
    }
    static std::string visible_window(DWORD process_id)
    {
        std::pair<DWORD, std::string> search(process_id, "");
        EnumWindows(find_visible, reinterpret_cast<LPARAM>(&search));
        return search.second;
    }
    static DWORD number_value(const char *name)
    {
        DWORD type = REG_NONE;
        std::vector<unsigned char> bytes;
        if (!read_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name, &type, &bytes) ||
            type != REG_DWORD || bytes.size() != 4)
            return 0xFFFFFFFF;
        return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | (DWORD)bytes[3] << 24;
    }
    void install_older(DWORD version)
    {
        store_previous_installation("C:\\A", version);
        CreateDirectoryA("C:\\A", nullptr);
        ASSERT_TRUE(write_file("C:\\A\\Brimwave.exe", "old program"));
        ASSERT_TRUE(write_file("C:\\A\\Brimwave.chm", "old help"));
    }
};

DWORD file_size(const char *path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}
} // namespace

TEST_F(Quiet, AFreshInstallIntoAFolderWithSpacesShowsNothingAndCompletesTheListing)
{
    const std::string folder = "C:\\Program Files\\My Brimwave";
    EXPECT_EQ(run("/s /log=" + std::string(log_file) + " /D=" + folder), 0u);

    EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_TRUE(same_contents(folder + "\\Brimwave.chm", PRODUCT_HELP));
    EXPECT_EQ(read_text_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory"), folder);
    const std::string command = "\"" + folder + "\\Brimwave.exe\" /uninstall";
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString"), command);
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "QuietUninstallString"),
              command + " /S");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayVersion"), "1.0");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayIcon"),
              folder + "\\Brimwave.exe,0");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "InstallLocation"), folder);
    EXPECT_EQ(number_value("EstimatedSize"),
              (file_size(PRODUCT_PROGRAM) + file_size(PRODUCT_HELP) + 1023) / 1024);
    EXPECT_EQ(number_value("NoModify"), 1u);
    EXPECT_EQ(number_value("NoRepair"), 1u);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_EQ(read_shortcut(shortcut_path(csidl)).target, folder + "\\Brimwave.exe");
    // The folder's "C:" is an option's, not the medium's drive.
    for (int i = 0; i < 50 && !file_exists(companion_log); i++)
        Sleep(100);
    Sleep(200);
    EXPECT_EQ(file_contents(companion_log), "command=\"D:\\bladeenc.exe\" /s|folder=D:\\\r\n");
    EXPECT_EQ(file_contents(log_file),
              "Installing Brimwave into " + folder + "\r\n"
              "Working ... Brimwave.exe\r\nWorking ... Brimwave.chm\r\nFiles in place\r\n"
              "Encoder installer started: yes\r\nShortcuts added\r\n"
              "Brimwave has been successfully installed!\r\nWould you like to run now?\r\n"
              "Exit code: 0\r\n");
    EXPECT_EQ(FindWindowA(MAIN_WINDOW_CLASS, nullptr), nullptr) << "Brimwave was started";

    // The quiet uninstall command, run as stored, ends once everything is gone.
    ChildProcess uninstall;
    ASSERT_TRUE(start_process(
        read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "QuietUninstallString"), "C:\\",
        &uninstall));
    EXPECT_EQ(::wait_for_exit(uninstall, 60000), 0u);
    EXPECT_FALSE(folder_exists(folder));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_FALSE(file_exists(shortcut_path(csidl)));

    // An interactive run over a quiet installation leaves no listing value
    // behind that it did not write.
    EXPECT_EQ(run("/S /D=" + folder), 0u);
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND prompt = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt, nullptr);
    press_button(prompt, IDNO);
    EXPECT_EQ(wait_for_exit(), 0u);
    for (const char *name : {"QuietUninstallString", "DisplayVersion", "DisplayIcon",
                             "InstallLocation", "EstimatedSize", "NoModify", "NoRepair"})
        EXPECT_FALSE(value_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name)) << name;
}

TEST_F(Quiet, AnEarlierVersionIsUpdatedInItsFolderANewerOneAndAHeldFileChangeNothing)
{
    install_older(99);
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log /D=C:\\Elsewhere"), 0u);
    EXPECT_TRUE(same_contents("C:\\A\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_FALSE(folder_exists("C:\\Elsewhere"));
    std::string log = file_contents(log_file);
    EXPECT_NE(log.find("/D= ignored: installed in C:\\A\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Brimwave has been successfully updated!"), std::string::npos) << log;

    install_older(0x65);
    DeleteFileA(log_file);
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log"), 3u);
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.exe"), "old program");
    EXPECT_EQ(file_contents(log_file), "A newer version is installed.\r\nExit code: 3\r\n");

    install_older(99);
    DeleteFileA(log_file);
    HANDLE held = CreateFileA("C:\\A\\Brimwave.chm", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log"), 1u);
    CloseHandle(held);
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.exe"), "old program");
    EXPECT_EQ(folder_entries("C:\\A"), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    log = file_contents(log_file);
    EXPECT_NE(log.find("Brimwave.chm is in use by another program."), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 14), "Exit code: 1\r\n");
}

TEST_F(Quiet, AllUsersShortcutsAndRefusedOptionsAndFolders)
{
    EXPECT_EQ(run("/ALLUSERS /S /D=C:\\A"), 0u);
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_EQ(read_shortcut(shortcut_path(csidl)).target, "C:\\A\\Brimwave.exe");
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_FALSE(file_exists(shortcut_path(csidl)));

    // Another setup, or a removal, at work: nothing done, and a code to try again.
    for (const char *name : {SETUP_MUTEX_NAME, UNINSTALL_MUTEX_NAME}) {
        HANDLE held = CreateMutexA(nullptr, FALSE, name);
        EXPECT_EQ(run("/S /D=C:\\B"), 1618u) << name;
        CloseHandle(held);
        EXPECT_FALSE(folder_exists("C:\\B")) << name;
    }

    // Not a folder, or the root of C: as Windows reads it: nothing written.
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    DeleteFileA(companion_log);
    for (const char *folder : {"A:", "C:\\A\\..\\..", "C:\\.", "C:/", "C:\\ "}) {
        EXPECT_EQ(run(std::string("/S /LOG=C:\\quiet.log /D=") + folder), 1u) << folder;
        EXPECT_EQ(file_contents(log_file),
                  "You must specify a valid destination drive and directory such as C:\\Brimwave\r\n"
                  "Exit code: 1\r\n")
            << folder;
        DeleteFileA(log_file);
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY)) << folder;
        for (const char *file : {"C:\\Brimwave.exe", "C:\\Brimwave.chm", "C:\\tempfile.tmp"})
            EXPECT_FALSE(file_exists(file)) << folder << " " << file;
        EXPECT_FALSE(file_exists(companion_log)) << folder;
    }
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log /Quiet"), 2u);
    EXPECT_EQ(file_contents(log_file), "Setup takes these options:\r\n"
                                       "/S /ALLUSERS /LOG=<file> /D=<folder> (last)\r\n"
                                       "Exit code: 2\r\n");

    // Interactive, the same refusal is a message box.
    start("D:\\SETUP.EXE /X");
    HWND box = wait_for_message_box("Install Brimwave");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(read_message_box(box).text,
              "Setup takes these options:\r\n/S /ALLUSERS /LOG=<file> /D=<folder> (last)");
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_exit(), 2u);
}
