// Installations without a window (/S), as deployment tools run them: the exit
// code, the log and the Apps & features values are the whole result.
#include <shlobj.h>
#include <algorithm>
#include "tests/e2e/setup_run.h"

namespace {
const char log_file[] = "C:\\quiet.log";
const char companion_log[] = "C:\\bladeenc.log";
const char machine_setup_mutex[] = MACHINE_NAMESPACE SETUP_MUTEX_NAME;
const char machine_uninstall_mutex[] = MACHINE_NAMESPACE UNINSTALL_MUTEX_NAME;
const char exit_installed[] = "Exit code: 0 (installed)\r\n";

// A log without its header (date and time, program, command line, user)
// and the mode line, which the tests of the header check on their own.
std::string log_body(const std::string &path)
{
    std::vector<std::string> lines = log_lines(path);
    std::string body;
    for (size_t i = 3; i < lines.size(); i++)
        body += lines[i].compare(0, 6, "Mode: ") ? lines[i] + "\r\n" : "";
    return body;
}

class Quiet : public SetupRun {
protected:
    void SetUp() override
    {
        SetupRun::SetUp();
        DeleteFileA(log_file);
        DeleteFileA(companion_log);
        SetEnvironmentVariableA("BLADEENC_LOG", companion_log);
        for (const char *folder : {"C:\\A", "C:\\Program Files\\My Brimwave", "C:\\Apps", "C:\\work",
                                   "C:\\cache"})
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
    DWORD run(const std::string &options, const char *folder = "D:\\",
              const std::string &program = "D:\\SETUP.EXE")
    {
        start(program + " " + options, folder);
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
    // The current user's record alone; the machine's entry stays.
    static void store_user_record(const char *directory, DWORD version)
    {
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory", REG_SZ,
                                directory, static_cast<DWORD>(strlen(directory) + 1)));
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion", REG_BINARY,
                                &version, 4));
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
    // Relative log names, from a working folder: every line lands there,
    // although setup works in the installation's folder meanwhile.
    CreateDirectoryA("C:\\work", nullptr);
    const std::string folder = "C:\\Program Files\\My Brimwave";
    EXPECT_EQ(run("/s /log=bw.log /D=" + folder, "C:\\work"), 0u);

    EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_TRUE(same_contents(folder + "\\Brimwave.chm", PRODUCT_HELP));
    EXPECT_EQ(read_text_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory"), folder);
    const std::string command = "\"" + folder + "\\Brimwave.exe\" /uninstall";
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString"), command);
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "QuietUninstallString"),
              command + " /S");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayVersion"), "1.00");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "Publisher"), "Brimwave");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName"), "Brimwave v1.0");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayIcon"),
              folder + "\\Brimwave.exe,0");
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "InstallLocation"), folder);
    EXPECT_EQ(number_value("EstimatedSize"),
              (file_size(PRODUCT_PROGRAM) + file_size(PRODUCT_HELP) + 1023) / 1024);
    EXPECT_EQ(number_value("NoModify"), 1u);
    EXPECT_EQ(number_value("NoRepair"), 1u);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_EQ(read_shortcut(shortcut_path(csidl)).target, folder + "\\Brimwave.exe");
    // The folder's "C:" is an option's, not the medium's drive. Waited for:
    // its line is there when setup has ended.
    EXPECT_EQ(file_contents(companion_log), "command=\"D:\\bladeenc.exe\" /s|folder=D:\\\r\n");
    const std::string log = "C:\\work\\bw.log";
    std::vector<std::string> header = log_lines(log);
    ASSERT_GE(header.size(), 4u);
    char user[257] = "";
    DWORD size = sizeof user;
    GetUserNameA(user, &size);
    EXPECT_EQ(header[0].substr(19), " Brimwave Setup 1.00") << header[0];
    EXPECT_EQ(header[1], "Command line: D:\\SETUP.EXE /s /log=bw.log /D=" + folder);
    EXPECT_EQ(header[2], std::string("User: ") + user);
    EXPECT_EQ(header[3], "Mode: fresh");
    EXPECT_EQ(log_body(log),
              "Installing Brimwave into " + folder + "\r\n"
              "Working ... Brimwave.exe\r\nWorking ... Brimwave.chm\r\nFiles in place\r\n"
              "Encoder installer started: D:\\bladeenc.exe\r\nEncoder installer exit code: 0\r\n"
              "Shortcuts added\r\n"
              "Brimwave has been successfully installed!\r\nWould you like to run now?\r\n" +
                  std::string(exit_installed));
    EXPECT_FALSE(file_exists(folder + "\\bw.log"));
    EXPECT_EQ(FindWindowA(MAIN_WINDOW_CLASS, nullptr), nullptr) << "Brimwave was started";

    // The quiet uninstall command, run as stored with a relative log, ends
    // once everything is gone, and its copy's lines are in that one log.
    ChildProcess uninstall;
    ASSERT_TRUE(start_process(
        read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "QuietUninstallString") + " /LOG=u.log",
        "C:\\work", &uninstall));
    EXPECT_EQ(::wait_for_exit(uninstall, 60000), 0u);
    EXPECT_FALSE(folder_exists(folder));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_FALSE(file_exists(shortcut_path(csidl)));
    std::vector<std::string> lines = log_lines("C:\\work\\u.log");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(19), " Brimwave uninstall 1.00");
    EXPECT_EQ(lines[3], "Mode: quiet removal");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Removing the installation in " + folder), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Removed the folder " + folder), 1);
    EXPECT_EQ(lines.back(), "Exit code: 0 (Brimwave has been removed)");

    // An interactive run writes the complete listing too.
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND prompt = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt, nullptr);
    press_button(prompt, IDNO);
    EXPECT_EQ(wait_for_exit(), 0u);
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayVersion"), "1.00");
    for (const char *name : {"QuietUninstallString", "Publisher", "DisplayIcon", "EstimatedSize",
                             "NoModify", "NoRepair", "ProgramVersion"})
        EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, name)) << name;
}

// A deployment as SYSTEM: the machine's entry is every user's record. A user
// whose own hive knows nothing, or names another folder, meets that
// installation, in its folder, and a newer one as newer.
TEST_F(Quiet, AnInstallationForAllUsersIsFoundByEveryUser)
{
    const std::string apps = "C:\\Apps\\Brimwave";
    EXPECT_EQ(run("/S /ALLUSERS /D=" + apps), 0u);
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(control_text(dialog, 1003), apps);
    press_button(dialog, IDOK);
    HWND prompt = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt, nullptr);
    press_button(prompt, IDNO);
    EXPECT_EQ(wait_for_exit(), 0u);
    EXPECT_FALSE(folder_exists(default_destination()));
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "InstallLocation"), apps);
    EXPECT_EQ(read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayVersion"), "1.00");

    // The user's hive names another folder and an older version: the
    // machine's record holds, quiet or not.
    store_user_record("C:\\A", 99);
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log"), 0u);
    EXPECT_FALSE(folder_exists("C:\\A"));
    EXPECT_EQ(read_text_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory"), apps);
    EXPECT_EQ(log_lines(log_file).at(3), "Mode: reinstall");

    // Another account installed a newer version.
    const DWORD newer = 101;
    ASSERT_TRUE(write_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "ProgramVersion", REG_BINARY,
                            &newer, 4));
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    EXPECT_EQ(run("/S"), 3u);
    start();
    dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(control_text(dialog, 1002),
              "A newer version of Brimwave is already installed. If you do not wish to replace "
              "your newer version with this older one, click Cancel.");
    EXPECT_EQ(control_text(dialog, 1003), apps);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1004)));
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);

    // A folder named by the machine but emptied: nothing is taken from the
    // user's hive, which any program of the user may have rewritten.
    remove_tree("C:\\Apps");
    store_user_record("C:\\A", 99);
    EXPECT_EQ(run("/S"), 0u);
    EXPECT_FALSE(folder_exists("C:\\A"));
    EXPECT_TRUE(file_exists(default_destination() + "\\Brimwave.exe"));
}

// A deployment tool runs setup from its cache: the encoder installer
// beside it is started, and waited for.
TEST_F(Quiet, TheEncoderInstallerBesideSetupInACacheFolder)
{
    CreateDirectoryA("C:\\cache", nullptr);
    for (const char *name : {"SETUP.EXE", "bladeenc.exe"})
        ASSERT_TRUE(CopyFileA((std::string("D:\\") + name).c_str(),
                              (std::string("C:\\cache\\") + name).c_str(), FALSE));
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log", "C:\\cache", "C:\\cache\\SETUP.EXE"), 0u);
    EXPECT_EQ(file_contents(companion_log),
              "command=\"C:\\cache\\bladeenc.exe\" /s|folder=C:\\cache\r\n");
    std::string log = log_body(log_file);
    EXPECT_NE(log.find("Encoder installer exit code: 0\r\n"), std::string::npos) << log;
    DeleteFileA("C:\\cache\\bladeenc.exe");
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log", "C:\\cache", "C:\\cache\\SETUP.EXE"), 0u);
    log = log_body(log_file);
    EXPECT_NE(log.find("Encoder installer: not found\r\n"), std::string::npos) << log;
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
    EXPECT_EQ(log_body(log_file), "A newer version is installed.\r\n"
                                  "Exit code: 3 (a newer version is installed; nothing changed)\r\n");

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
    const std::string last = "Exit code: 1 (not installed, or not completely)\r\n";
    EXPECT_EQ(log.substr(log.size() - last.size()), last);
}

TEST_F(Quiet, AllUsersShortcutsAndRefusedOptionsAndFolders)
{
    EXPECT_EQ(run("/ALLUSERS /S /D=C:\\A"), 0u);
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_EQ(read_shortcut(shortcut_path(csidl)).target, "C:\\A\\Brimwave.exe");
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        EXPECT_FALSE(file_exists(shortcut_path(csidl)));

    // Another setup, or a removal, at work: nothing done, and a code to try
    // again. A name another program took first counts as one of them.
    for (const char *name : {machine_setup_mutex, machine_uninstall_mutex}) {
        for (bool event : {false, true}) {
            SCOPED_TRACE(std::string(name) + (event ? " event" : " mutex"));
            HANDLE held = event ? CreateEventA(nullptr, TRUE, FALSE, name)
                                : CreateMutexA(nullptr, FALSE, name);
            ASSERT_NE(held, nullptr);
            EXPECT_EQ(run("/S /D=C:\\B"), 1618u);
            CloseHandle(held);
            EXPECT_FALSE(folder_exists("C:\\B"));
        }
    }
    // Interactive, with both names taken so: it says so and goes no further.
    HANDLE events[2] = {CreateEventA(nullptr, TRUE, FALSE, machine_setup_mutex),
                        CreateEventA(nullptr, TRUE, FALSE, machine_uninstall_mutex)};
    start();
    HWND busy = wait_for_message_box("Install Brimwave");
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(read_message_box(busy).text, "Another Brimwave Setup or a removal is running. Wait "
                                           "until it has finished, then run Setup again.");
    press_button(busy, IDOK);
    EXPECT_EQ(wait_for_exit(), 1u);
    for (HANDLE event : events)
        CloseHandle(event);

    // Not a folder, or the root of C: as Windows reads it: nothing written.
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    DeleteFileA(companion_log);
    for (const char *folder : {"A:", "C:\\A\\..\\..", "C:\\.", "C:/", "C:\\ "}) {
        EXPECT_EQ(run(std::string("/S /LOG=C:\\quiet.log /D=") + folder), 1u) << folder;
        EXPECT_EQ(log_body(log_file),
                  "You must specify a valid destination drive and directory such as C:\\Brimwave\r\n"
                  "Exit code: 1 (not installed, or not completely)\r\n")
            << folder;
        DeleteFileA(log_file);
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY)) << folder;
        for (const char *file : {"C:\\Brimwave.exe", "C:\\Brimwave.chm", "C:\\tempfile.tmp"})
            EXPECT_FALSE(file_exists(file)) << folder << " " << file;
        EXPECT_FALSE(file_exists(companion_log)) << folder;
    }
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log /Quiet"), 2u);
    EXPECT_EQ(log_body(log_file), "Setup takes these options:\r\n"
                                  "/S /ALLUSERS /LOG=<file> /D=<folder> (last)\r\n"
                                  "Exit code: 2 (command line refused; nothing changed)\r\n");
    // A log that cannot be written (a folder holds its name) refuses the
    // run before anything changes.
    DeleteFileA(log_file);
    CreateDirectoryA("C:\\quiet.log", nullptr);
    EXPECT_EQ(run("/S /LOG=C:\\quiet.log /D=C:\\B"), 2u);
    RemoveDirectoryA("C:\\quiet.log");
    EXPECT_FALSE(folder_exists("C:\\B"));

    // Interactive, the same refusal is a message box.
    start("D:\\SETUP.EXE /X");
    HWND box = wait_for_message_box("Install Brimwave");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(read_message_box(box).text,
              "Setup takes these options:\r\n/S /ALLUSERS /LOG=<file> /D=<folder> (last)");
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_exit(), 2u);
}
