// Brimwave.exe and bladeenc.exe started under Wine and checked from outside:
// the window the setup program looks for, the Help button, and the line the
// encoder stand-in leaves in its log. Each test works in a scratch folder of
// its own under the temporary folder, emptied first.
#include <gtest/gtest.h>
#include "tests/support/win32_test_support.h"
#include <tlhelp32.h> // after windows.h, which it needs

namespace {

// CMake gives Unix paths; Wine's drive Z: is the Unix root.
std::string windows_path(const char *unix_path)
{
    std::string path = "Z:";
    for (const char *c = unix_path; *c; c++)
        path += *c == '/' ? '\\' : *c;
    return path;
}

const std::string program_file = windows_path(BRIMWAVE_EXE);
const std::string help_file = windows_path(BRIMWAVE_CHM);
const std::string encoder_file = windows_path(BLADEENC_EXE);

const int label_id = 1001;
const int help_button_id = 1002;

std::string temp_folder()
{
    char temp[MAX_PATH] = "";
    DWORD length = GetTempPathA(MAX_PATH, temp);
    return length > 0 && length < MAX_PATH ? temp : "C:\\";
}

// TEMP\product-tests\name, holding no files.
std::string scratch_folder(const std::string &name)
{
    std::string folder = temp_folder() + "product-tests";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folder;
}

// The whole file, or "<missing>".
std::string read_file(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    CloseHandle(file);
    return content;
}

std::string class_name(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct BoxSearch {
    DWORD process_id;
    HWND found;
};

BOOL CALLBACK find_message_box(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<BoxSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process_id && IsWindowVisible(window) && class_name(window) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible message box (dialog class) of the process, or nullptr after timeout_ms.
HWND wait_for_message_box(DWORD process_id, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        BoxSearch search = {process_id, nullptr};
        EnumWindows(find_message_box, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > timeout_ms)
            return search.found;
        Sleep(20);
    }
}

// Id of the first process named file_name whose parent is parent_id, waiting
// up to timeout_ms; id 0 when none appears. Other children are passed over:
// the first window of a session also starts Wine's desktop, explorer.exe.
DWORD wait_for_child_process(DWORD parent_id, DWORD timeout_ms, const char *file_name)
{
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32 entry = {};
            entry.dwSize = sizeof entry;
            for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
                // A process still starting is listed without its file name.
                if (entry.th32ParentProcessID == parent_id &&
                    lstrcmpiA(entry.szExeFile, file_name) == 0) {
                    CloseHandle(snapshot);
                    return entry.th32ProcessID;
                }
            }
            CloseHandle(snapshot);
        }
        if (GetTickCount() - start > timeout_ms)
            return 0;
        Sleep(50);
    }
}

void end_process(DWORD process_id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process_id);
    if (process) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

class BrimwaveWindow : public ::testing::Test {
protected:
    ChildProcess app;
    HWND window = nullptr;
    std::string folder;

    // Installs Brimwave.exe (and its help file when asked) into a scratch
    // folder, starts it there and waits for its window.
    void start(const char *name, bool with_help)
    {
        folder = scratch_folder(name);
        ASSERT_TRUE(CopyFileA(program_file.c_str(), (folder + "\\Brimwave.exe").c_str(), FALSE))
            << program_file;
        if (with_help) {
            ASSERT_TRUE(CopyFileA(help_file.c_str(), (folder + "\\Brimwave.chm").c_str(), FALSE))
                << help_file;
        }
        ASSERT_TRUE(start_process("\"" + folder + "\\Brimwave.exe\"", folder.c_str(), &app));
        window = wait_for_window(app.id, "Brimwave", 10000);
        ASSERT_NE(window, nullptr) << "windows: " << describe_windows(app.id);
    }

    // Closes the window as its close box does; the exit code, or
    // STILL_ACTIVE when Brimwave did not end.
    DWORD close_window()
    {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return wait_for_exit(app, 10000);
    }

    void TearDown() override { kill_process(app); }
};

TEST_F(BrimwaveWindow, ShowsTheWindowTheSetupProgramLooksForAndClosesCleanly)
{
    ASSERT_NO_FATAL_FAILURE(start("window", false));
    EXPECT_EQ(FindWindowA("Brimwave", nullptr), window);
    EXPECT_EQ(class_name(window), "Brimwave");
    EXPECT_EQ(control_text(window, label_id), "Brimwave v1.0 - sample product")
        << describe_children(window);
    EXPECT_EQ(control_text(window, help_button_id), "&Help") << describe_children(window);

    EXPECT_EQ(close_window(), 0u);
    EXPECT_EQ(FindWindowA("Brimwave", nullptr), nullptr);
}

TEST_F(BrimwaveWindow, ExplainsAMissingHelpFile)
{
    ASSERT_NO_FATAL_FAILURE(start("no-help", false));
    press_button(window, help_button_id);
    HWND box = wait_for_message_box(app.id, 10000);
    ASSERT_NE(box, nullptr) << "windows: " << describe_windows(app.id);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.title, "Brimwave");
    EXPECT_EQ(info.text, "The help file Brimwave.chm is missing from Brimwave's folder.");
    EXPECT_EQ(info.buttons, std::vector<int>{IDOK});

    press_button(box, IDOK);
    EXPECT_EQ(close_window(), 0u);
}

TEST_F(BrimwaveWindow, OpensTheHelpFileBesideIt)
{
    ASSERT_NO_FATAL_FAILURE(start("help", true));
    press_button(window, help_button_id);
    DWORD viewer_id = wait_for_child_process(app.id, 10000, "hh.exe");
    EXPECT_NE(viewer_id, 0u) << "the help viewer was not started";
    EXPECT_EQ(wait_for_message_box(app.id, 500), nullptr) << "windows: " << describe_windows(app.id);
    if (viewer_id)
        end_process(viewer_id);
    EXPECT_EQ(close_window(), 0u);
}

TEST(BrimwaveResources, CarryTheProductIconAndVersion)
{
    HMODULE image = LoadLibraryExA(program_file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << program_file;
    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(100), MAKEINTRESOURCEA(14)), nullptr) // RT_GROUP_ICON
        << "icon group 100";
    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)), nullptr) // RT_VERSION
        << "version record";
    FreeLibrary(image);
}

class Bladeenc : public ::testing::Test {
protected:
    std::string folder;
    std::string log;

    void SetUp() override
    {
        folder = scratch_folder("bladeenc");
        log = folder + "\\bladeenc.log";
        SetEnvironmentVariableA("BLADEENC_LOG", log.c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("BLADEENC_LOG", nullptr); }

    // Runs command_line in working_folder; the exit code.
    static DWORD run(const std::string &command_line, const std::string &working_folder)
    {
        ChildProcess child;
        if (!start_process(command_line, working_folder.c_str(), &child))
            return 0xDEAD;
        DWORD code = wait_for_exit(child, 10000);
        kill_process(child);
        return code;
    }
};

TEST_F(Bladeenc, AppendsOneLineForEachStart)
{
    std::string spaced = folder + "\\a folder with spaces";
    CreateDirectoryA(spaced.c_str(), nullptr);
    struct Start {
        std::string command_line;
        std::string working_folder;
    };
    // A drive root keeps its backslash in GetCurrentDirectoryA; other folders have none.
    const Start starts[] = {
        {"\"" + encoder_file + "\" /s", "C:\\"},
        {"\"" + encoder_file + "\" /s", folder},
        {"\"" + encoder_file + "\"", spaced},
        {"\"" + encoder_file + "\"  /s  \"quoted argument\" ", folder},
    };
    std::string expected;
    for (const Start &start : starts) {
        EXPECT_EQ(run(start.command_line, start.working_folder), 0u) << start.command_line;
        expected += "command=" + start.command_line + "|folder=" + start.working_folder + "\r\n";
        EXPECT_EQ(read_file(log), expected);
    }
}

TEST_F(Bladeenc, CutsALongCommandLineAndKeepsTheFolder)
{
    std::string command_line = "\"" + encoder_file + "\" /s ";
    for (char c = 'a'; command_line.size() < 5000; c = c == 'z' ? 'a' : c + 1)
        command_line += c;
    ASSERT_EQ(run(command_line, folder), 0u);
    // The stand-in keeps the first 2048 characters of its command line.
    EXPECT_EQ(read_file(log), "command=" + command_line.substr(0, 2048) + "|folder=" + folder + "\r\n");
}

TEST_F(Bladeenc, LaunchedAsTheSetupProgramLaunchesIt)
{
    // As the setup program starts it: ShellExecute, no verb, "/s", the
    // medium's root folder (here the scratch folder) as working folder.
    SHELLEXECUTEINFOA launch = {};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS;
    launch.lpFile = encoder_file.c_str();
    launch.lpParameters = "/s";
    launch.lpDirectory = folder.c_str();
    launch.nShow = SW_SHOW;
    ASSERT_TRUE(ShellExecuteExA(&launch));
    ASSERT_NE(launch.hProcess, nullptr);
    ASSERT_EQ(WaitForSingleObject(launch.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(launch.hProcess, &code);
    CloseHandle(launch.hProcess);
    EXPECT_EQ(code, 0u);

    // How the shell quotes the program is the shell's business; the
    // argument and the folder must come through.
    std::string line = read_file(log);
    std::string tail = " /s|folder=" + folder + "\r\n";
    ASSERT_GT(line.size(), tail.size()) << line;
    EXPECT_EQ(line.compare(0, 8, "command="), 0) << line;
    EXPECT_NE(line.find("bladeenc.exe"), std::string::npos) << line;
    EXPECT_EQ(line.compare(line.size() - tail.size(), tail.size(), tail), 0) << line;
}

TEST_F(Bladeenc, WritesToTheTemporaryFolderWithoutBladeencLog)
{
    SetEnvironmentVariableA("BLADEENC_LOG", nullptr);
    std::string default_log = temp_folder() + "bladeenc.log";
    DeleteFileA(default_log.c_str());
    std::string command_line = "\"" + encoder_file + "\" /s";
    EXPECT_EQ(run(command_line, folder), 0u);
    EXPECT_EQ(read_file(default_log), "command=" + command_line + "|folder=" + folder + "\r\n");
    EXPECT_EQ(read_file(log), "<missing>");
    DeleteFileA(default_log.c_str());
}

TEST_F(Bladeenc, ReportsALogItCannotWrite)
{
    // A folder where the log should be makes the create fail.
    SetEnvironmentVariableA("BLADEENC_LOG", folder.c_str());
    EXPECT_EQ(run("\"" + encoder_file + "\" /s", folder), 1u);
}

} // namespace
