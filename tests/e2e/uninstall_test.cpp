// Uninstalling: the real SETUP.EXE installs, then the installed Brimwave.exe
// is started with the registered uninstall command, as Windows starts it
// (CreateProcess with the command line alone), and driven from outside. What
// it left is checked with independent means: file and folder attributes,
// registry reads, shortcuts loaded through IShellLinkA, and the pending
// delete that a restart carries out.
#include <shlobj.h>
#include <tlhelp32.h>
#include <atomic>
#include <set>
#include <thread>
#include "tests/e2e/setup_run.h"

namespace {
const std::string default_folder = default_destination();
const char apps_folder[] = "C:\\Apps\\Brimwave";
const char other_folder[] = "C:\\Other\\Brimwave";
const char install_text[] =
    "This will install Brimwave onto your computer into the specified folder.";
const char removed_text[] = "Brimwave has been removed.";
const char running_text[] = "Brimwave is running. Close Brimwave, then uninstall it again.";
const char stranger_text[] = "Brimwave was started to finish a removal that it did not prepare. "
                             "Nothing has been changed.";
const char setup_running_text[] =
    "Brimwave Setup is running. Finish it, then uninstall Brimwave again.";
const char pending_key[] = "System\\CurrentControlSet\\Control\\Session Manager";

std::string question_for(const std::string &folder)
{
    return "Remove Brimwave and all of its components?\r\n\r\nFolder: " + folder;
}

const int shortcut_folders[] = {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY};

// The target a shortcut file holds, or "<unreadable>".
std::string shortcut_target(const std::wstring &path)
{
    Shortcut shortcut = read_shortcut(path);
    return shortcut.loaded ? shortcut.target : "<unreadable>";
}

// The sources of the pending renames with an empty target: the files a
// restart deletes, as MoveFileEx(..., MOVEFILE_DELAY_UNTIL_REBOOT) records
// them ("\??\" and the path).
std::vector<std::wstring> pending_deletes()
{
    std::vector<std::wstring> deletes;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, pending_key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return deletes;
    DWORD size = 0;
    std::vector<WCHAR> data;
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.assign(size / sizeof(WCHAR) + 2, 0); // room for terminators the value may lack
        RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE *>(data.data()), &size);
    }
    RegCloseKey(key);
    // Pairs of texts, source then target; an empty source ends the list.
    for (size_t at = 0; at < data.size() && data[at];) {
        std::wstring source(&data[at]);
        at += source.size() + 1;
        std::wstring target(at < data.size() ? &data[at] : L"");
        at += target.size() + 1;
        if (target.empty())
            deletes.push_back(source);
    }
    return deletes;
}

bool is_pending_delete(const std::wstring &path)
{
    for (const std::wstring &source : pending_deletes())
        if (lstrcmpiW(source.c_str(), (L"\\??\\" + path).c_str()) == 0)
            return true;
    return false;
}

bool is_pending_delete(const std::string &path)
{
    return is_pending_delete(widen(path));
}

// The limited token linked to this process's full one, as a primary token:
// Windows starts programs with it for an administrator under UAC.
HANDLE limited_token()
{
    HANDLE own = nullptr, primary = nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
        GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size)) {
        DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                         TokenPrimary, &primary);
        CloseHandle(linked.LinkedToken);
    }
    if (own)
        CloseHandle(own);
    return primary;
}

// Whether token (this process's when nullptr) is elevated; every Wine
// process's own is, its linked limited one is not.
bool is_elevated_token(HANDLE token)
{
    HANDLE own = nullptr;
    if (!token && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own))
        token = own;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool elevated = token && GetTokenInformation(token, TokenElevation, &elevation,
                                                 sizeof elevation, &size) &&
                    elevation.TokenIsElevated;
    if (own)
        CloseHandle(own);
    return elevated;
}

// Where a finishing copy's folder belongs: the Windows folder's Temp for
// an uninstall with raised rights, the user's temporary folder otherwise.
// In UTF-16: the user's may be named in letters outside the ANSI code page.
std::wstring finishing_place(bool raised)
{
    WCHAR folder[MAX_PATH] = L"";
    if (!raised) {
        GetTempPathW(MAX_PATH, folder);
        return folder;
    }
    GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\Temp\\";
}

bool mutex_exists(const char *name)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

// The command lines Brimwave.exe runs with while it lives, as Wine shows
// them: a Windows process's command line is its Unix one.
class CommandLineWatch {
public:
    CommandLineWatch() : thread_([this] { watch(); }) {}
    ~CommandLineWatch() { stop(); }
    std::vector<std::string> stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return std::vector<std::string>(lines_.begin(), lines_.end());
    }

private:
    void watch()
    {
        while (!stop_) {
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
            if (search == INVALID_HANDLE_VALUE)
                return;
            do {
                if (found.cFileName[0] >= '1' && found.cFileName[0] <= '9')
                    record(std::string("Z:\\proc\\") + found.cFileName);
            } while (FindNextFileA(search, &found));
            FindClose(search);
            Sleep(5);
        }
    }
    void record(const std::string &process)
    {
        // Only this prefix's: other Wine sessions may run on the machine.
        if (file_contents(process + "\\environ").find(prefix_) == std::string::npos)
            return;
        std::string line = file_contents(process + "\\cmdline");
        for (char &c : line)
            c = c == 0 ? ' ' : c;
        // One process shows as Wine's loader running it while it starts, then as
        // itself with blanks after: both become the Windows command line and
        // one blank, so that a number at its end is matched whole.
        size_t drive = line.find(":\\");
        if (drive != std::string::npos && drive > 0)
            line.erase(0, drive - 1);
        line.erase(line.find_last_not_of(' ') + 1);
        line += ' ';
        std::string lower = line;
        CharLowerA(&lower[0]);
        // Distinct command lines: Wine may show one process under two Unix ones.
        if (lower.find("brimwave.exe /") != std::string::npos)
            lines_.insert(line);
    }
    std::string prefix_ = std::string("WINEPREFIX=") + (getenv("WINEPREFIX") ? getenv("WINEPREFIX") : "?") + '\0';
    std::atomic<bool> stop_{false};
    std::set<std::string> lines_;
    std::thread thread_;
};

bool running_under_wine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The finishing copy: a process of its own, started by the uninstaller.
struct FinishingCopy {
    HWND box = nullptr;
    DWORD id = 0;
    HANDLE process = nullptr;
    std::wstring path;
};

struct BoxSearch {
    HWND found;
    DWORD other_than = 0; // a process whose boxes do not count
};

BOOL CALLBACK find_brimwave_box(HWND window, LPARAM parameter)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    BoxSearch *search = reinterpret_cast<BoxSearch *>(parameter);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0 &&
        window_text(window) == "Brimwave" && process_id != search->other_than) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Every visible top-level window that was not there when the watch began,
// of any process but this one, as seen every few milliseconds.
class WindowWatch {
public:
    WindowWatch()
    {
        EnumWindows(collect, reinterpret_cast<LPARAM>(&before_));
        thread_ = std::thread([this] {
            while (!stop_) {
                std::set<HWND> now;
                EnumWindows(collect, reinterpret_cast<LPARAM>(&now));
                for (HWND window : now)
                    if (!before_.count(window))
                        seen_.insert(describe(window));
                Sleep(10);
            }
        });
    }
    ~WindowWatch() { stop(); }
    std::set<std::string> stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return seen_;
    }

private:
    static BOOL CALLBACK collect(HWND window, LPARAM parameter)
    {
        DWORD process_id = 0;
        GetWindowThreadProcessId(window, &process_id);
        if (IsWindowVisible(window) && process_id != GetCurrentProcessId())
            reinterpret_cast<std::set<HWND> *>(parameter)->insert(window);
        return TRUE;
    }
    static std::string describe(HWND window)
    {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        return std::string(name) + " \"" + window_text(window) + "\"";
    }
    std::set<HWND> before_;
    std::set<std::string> seen_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The lines of a log file, without their CR LF.
std::vector<std::string> log_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string text = file_contents(path);
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

// The first line of lines that starts with start, or "<none>".
std::string line_starting(const std::vector<std::string> &lines, const std::string &start)
{
    for (const std::string &line : lines)
        if (line.compare(0, start.size(), start) == 0)
            return line;
    return "<none>";
}

class Uninstall : public SetupRun {
protected:
    void SetUp() override
    {
        SetupRun::SetUp();
        close_product_windows();
        for (int csidl : shortcut_folders)
            DeleteFileW(wide_shortcut_path(csidl).c_str());
        for (const char *folder : {"C:\\Apps", "C:\\Other"})
            remove_tree(folder);
    }
    void TearDown() override
    {
        SetupRun::TearDown();
        kill_process(uninstaller_);
        kill_process(product_);
        if (copy_.process) {
            if (WaitForSingleObject(copy_.process, 0) != WAIT_OBJECT_0)
                TerminateProcess(copy_.process, 99);
            CloseHandle(copy_.process);
        }
        close_product_windows();
    }
    // A whole installation by SETUP.EXE into folder (the proposed one when
    // empty), leaving the final prompt with No.
    void install(const std::string &folder = "")
    {
        start();
        HWND dialog = pass_licence();
        ASSERT_NE(dialog, nullptr);
        if (folder.empty())
            press_button(dialog, IDOK);
        else
            confirm_destination(dialog, folder);
        HWND prompt = wait_for_message_box("Install Brimwave", 60000);
        ASSERT_NE(prompt, nullptr);
        press_button(prompt, IDNO);
        ASSERT_EQ(wait_for_exit(), 0u);
    }

    std::string registered_command()
    {
        return read_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString");
    }

    // Starts command as Windows starts an uninstall command: the command
    // line alone, no program name, and returns the box it shows first.
    HWND start_uninstaller(const std::string &command, HANDLE token = nullptr)
    {
        if (!start_process(command, nullptr, &uninstaller_, nullptr, false, token)) {
            ADD_FAILURE() << "cannot start " << command << ": error " << GetLastError();
            return nullptr;
        }
        HWND box = wait_for_window(uninstaller_.id, "Brimwave", 15000);
        if (!box)
            ADD_FAILURE() << "no box from " << command
                          << "; windows: " << describe_windows(uninstaller_.id);
        return box;
    }

    // Starts command, expects the question naming folder, and answers it.
    void answer_question(const std::string &command, const std::string &folder, int button,
                         HANDLE token = nullptr)
    {
        HWND question = start_uninstaller(command, token);
        ASSERT_NE(question, nullptr);
        MessageBoxInfo info = read_message_box(question);
        EXPECT_EQ(info.text, question_for(folder));
        EXPECT_EQ(info.icon, "question");
        EXPECT_EQ(info.buttons, (std::vector<int>{IDYES, IDNO}));
        screenshot("uninstall-question");
        press_button(question, button);
        // After No it ends at once; after Yes only with the removal (close_copy_report).
        if (button == IDNO) {
            EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 3u);
        }
    }

    // A box titled "Brimwave" of a process other than the uninstaller, or
    // nullptr after timeout_ms.
    HWND wait_for_other_box(DWORD timeout_ms)
    {
        DWORD start = GetTickCount();
        BoxSearch search = {nullptr, uninstaller_.id};
        while (!search.found && GetTickCount() - start < timeout_ms) {
            EnumWindows(find_brimwave_box, reinterpret_cast<LPARAM>(&search));
            if (!search.found)
                Sleep(50);
        }
        return search.found;
    }

    // The finishing copy's box (its report), once it shows; it belongs to a
    // process that is neither the test nor the uninstaller.
    bool wait_for_copy(DWORD timeout_ms = 60000)
    {
        copy_.box = wait_for_other_box(timeout_ms);
        if (!copy_.box) {
            ADD_FAILURE() << "the finishing copy showed no box";
            return false;
        }
        GetWindowThreadProcessId(copy_.box, &copy_.id);
        EXPECT_NE(copy_.id, uninstaller_.id) << "the report comes from the copy";
        copy_.process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE |
                                        SYNCHRONIZE, FALSE, copy_.id);
        WCHAR image[MAX_PATH] = L"";
        DWORD size = MAX_PATH;
        if (copy_.process && QueryFullProcessImageNameW(copy_.process, 0, image, &size))
            copy_.path = image;
        EXPECT_FALSE(copy_.path.empty()) << "cannot name the copy's program file";
        return true;
    }

    DWORD close_copy_report()
    {
        press_button(copy_.box, IDOK);
        if (WaitForSingleObject(copy_.process, 15000) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(copy_.process, &code);
        // The process the caller started ends with the copy's result.
        EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), code);
        return code;
    }

    void expect_installation_in_place(const std::string &folder)
    {
        EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
        EXPECT_TRUE(same_contents(folder + "\\Brimwave.chm", PRODUCT_HELP));
        EXPECT_EQ(read_text_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory"), folder);
        EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion"));
        EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
        for (int csidl : shortcut_folders)
            EXPECT_EQ(shortcut_target(wide_shortcut_path(csidl)), folder + "\\Brimwave.exe")
                << csidl;
    }

    void expect_keys_and_shortcuts_gone()
    {
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
        EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
        for (int csidl : shortcut_folders) {
            EXPECT_FALSE(file_exists(wide_shortcut_path(csidl))) << wide_shortcut_path(csidl);
            EXPECT_FALSE(folder_exists(wide_shortcut_path(csidl))) << wide_shortcut_path(csidl);
        }
    }

    void expect_everything_gone(const std::string &folder)
    {
        expect_keys_and_shortcuts_gone();
        EXPECT_FALSE(file_exists(folder + "\\Brimwave.exe"));
        EXPECT_FALSE(file_exists(folder + "\\Brimwave.chm"));
        EXPECT_FALSE(folder_exists(folder)) << folder;
    }

    // Uninstalls the installation in folder with the registered command and
    // checks everything is gone while the copy shows its report.
    void uninstall_completely(const std::string &folder)
    {
        answer_question(registered_command(), folder, IDYES);
        expect_removed_by_copy(folder, finishing_place(is_elevated_token(nullptr)));
    }

    // Once the uninstaller has ended: the copy running from a folder of its
    // own in place removed everything, and holds the uninstall's mutex
    // until it ends.
    void expect_removed_by_copy(const std::string &folder, const std::wstring &place)
    {
        ASSERT_TRUE(wait_for_copy());
        MessageBoxInfo report = read_message_box(copy_.box);
        EXPECT_EQ(report.text, removed_text);
        EXPECT_EQ(report.icon, "information");
        EXPECT_EQ(report.buttons, std::vector<int>{IDOK});
        screenshot("uninstall-removed");
        expect_everything_gone(folder);
        // The copy is Brimwave.exe itself, in a folder "bwu<number>" directly
        // in place, and both are marked for deletion at the next restart.
        const std::wstring copy_folder = copy_.path.substr(0, copy_.path.rfind(L'\\'));
        EXPECT_EQ(lstrcmpiW(copy_folder.substr(0, copy_folder.rfind(L'\\') + 1).c_str(),
                            place.c_str()), 0)
            << copy_.path << " is not in a folder of " << place;
        EXPECT_EQ(copy_folder.substr(place.size(), 3), L"bwu") << copy_.path;
        EXPECT_TRUE(same_contents(copy_.path, PRODUCT_PROGRAM));
        EXPECT_TRUE(is_pending_delete(copy_.path)) << copy_.path;
        EXPECT_TRUE(is_pending_delete(copy_folder)) << copy_folder;
        // Raised, it works in its own folder, which only administrators may
        // write; else in the temporary folder.
        const bool raised = lstrcmpiW(place.c_str(), finishing_place(true).c_str()) == 0;
        const std::wstring working = process_current_folder(copy_.id);
        EXPECT_EQ(lstrcmpiW(working.c_str(), (raised ? copy_folder + L"\\" : place).c_str()), 0)
            << working;
        // The installed program, still running in the process the caller
        // started, left the folder for the copy's, and goes at the restart.
        const std::wstring moved = copy_folder + L"\\Installed.exe";
        EXPECT_TRUE(same_contents(moved, PRODUCT_PROGRAM));
        EXPECT_TRUE(is_pending_delete(moved)) << moved;
        // That process waits for the copy, which holds the mutex it inherited.
        EXPECT_EQ(::wait_for_exit(uninstaller_, 0), static_cast<DWORD>(STILL_ACTIVE));
        EXPECT_TRUE(mutex_exists(UNINSTALL_MUTEX_NAME));
        EXPECT_EQ(close_copy_report(), 0u);
        EXPECT_FALSE(mutex_exists(UNINSTALL_MUTEX_NAME));
    }

    // Uninstalls the installation in folder with the registered command and
    // the limited token, on Windows XP (as Wine reports it to Brimwave.exe
    // when asked), which raises nothing: it asks, and its copy runs from the
    // user's temporary folder.
    void uninstall_with_limited_rights(const std::string &folder)
    {
        const char app_key[] = "Software\\Wine\\AppDefaults\\Brimwave.exe";
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, app_key, "Version", REG_SZ, "winxp", 6));
        HANDLE limited = limited_token();
        ASSERT_NE(limited, nullptr);
        HWND question = start_uninstaller(registered_command(), limited);
        CloseHandle(limited);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(read_message_box(question).text, question_for(folder));
        press_button(question, IDYES);
        expect_removed_by_copy(folder, finishing_place(false));
        delete_key_tree(HKEY_CURRENT_USER, app_key);
    }

    // Runs the registered command with /S and a log (a name with a blank,
    // quoted), checks that no window appeared meanwhile, and gives its exit
    // code and the log's lines.
    DWORD uninstall_quietly(std::vector<std::string> *log, HANDLE token = nullptr)
    {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        const std::string log_file = std::string(temp) + "quiet uninstall.log";
        DeleteFileA(log_file.c_str());
        WindowWatch watch;
        const std::string command = registered_command() + " /S /LOG=\"" + log_file + "\"";
        if (!start_process(command, nullptr, &uninstaller_, nullptr, false, token)) {
            ADD_FAILURE() << "cannot start " << command;
            return STILL_ACTIVE;
        }
        DWORD code = ::wait_for_exit(uninstaller_, 60000);
        std::set<std::string> windows = watch.stop();
        std::string shown;
        for (const std::string &window : windows)
            shown += window + "\n";
        EXPECT_TRUE(windows.empty()) << "windows shown:\n" << shown;
        *log = log_lines(log_file);
        std::string all;
        for (const std::string &line : *log)
            all += line + "\n";
        EXPECT_EQ(line_starting(*log, "Uninstall: "), "Uninstall: " + command) << all;
        // The result comes last, written once the removal has ended.
        EXPECT_EQ(log->empty() ? "<empty>" : log->back(),
                  line_starting(*log, "Result: " + std::to_string(code) + " "))
            << all;
        return code;
    }

    ChildProcess uninstaller_, product_;
    FinishingCopy copy_;
};

const int common_shortcut_folders[] = {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY};
} // namespace

TEST_F(Uninstall, YesRemovesEverythingAndTheNextSetupRunsFresh)
{
    install();
    std::string command = registered_command();
    // The default folder has a space: Windows must be given a quoted path.
    ASSERT_EQ(command, "\"" + default_folder + "\\Brimwave.exe\" /uninstall");
    expect_installation_in_place(default_folder);

    uninstall_completely(default_folder);
    // Only what Brimwave installed went: the parent folder stays.
    EXPECT_TRUE(folder_exists(default_folder.substr(0, default_folder.rfind('\\'))));

    // A restart carries out the pending delete of the copy.
    ASSERT_TRUE(file_exists(copy_.path)) << copy_.path;
    if (running_under_wine()) {
        ChildProcess boot;
        ASSERT_TRUE(start_process("wineboot.exe -r", nullptr, &boot));
        EXPECT_EQ(::wait_for_exit(boot, 60000), 0u);
        EXPECT_FALSE(file_exists(copy_.path)) << copy_.path;
        EXPECT_FALSE(is_pending_delete(copy_.path)) << copy_.path;
        const std::wstring copy_folder = copy_.path.substr(0, copy_.path.rfind(L'\\'));
        EXPECT_FALSE(folder_exists(copy_folder)) << copy_folder;
    }

    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(control_text(dialog, 1002), install_text);
    EXPECT_EQ(control_text(dialog, 1003), default_folder);
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
}

TEST_F(Uninstall, AnUnquotedCommandWorksToo)
{
    install(apps_folder);
    std::string command = registered_command();
    ASSERT_EQ(command, "C:\\Apps\\Brimwave\\Brimwave.exe /uninstall");
    expect_installation_in_place(apps_folder);
    // What a setup that was cut short leaves goes too, read-only or not.
    const std::string backup = std::string(apps_folder) + "\\~BW5000.OLD";
    ASSERT_TRUE(write_file(backup, "old program"));
    ASSERT_TRUE(write_file(std::string(apps_folder) + "\\~BW5001.NEW", "new help"));
    SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_READONLY);
    uninstall_completely(apps_folder);
    EXPECT_TRUE(folder_exists("C:\\Apps"));
}

TEST_F(Uninstall, NoChangesNothing)
{
    install();
    answer_question(registered_command(), default_folder, IDNO);
    Sleep(1000);
    BoxSearch search = {nullptr};
    EnumWindows(find_brimwave_box, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(search.found, nullptr) << "nothing goes on after No";
    expect_installation_in_place(default_folder);
    EXPECT_EQ(registered_command(), "\"" + default_folder + "\\Brimwave.exe\" /uninstall");
}

TEST_F(Uninstall, TheUsersOwnFilesAndTheirFolderAreKept)
{
    install(apps_folder);
    const std::string own_file = std::string(apps_folder) + "\\My song.wav";
    const std::string own_folder = std::string(apps_folder) + "\\Recordings";
    const char content[] = "RIFF of the user's own";
    HANDLE file = CreateFileA(own_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content, sizeof content - 1, &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(CreateDirectoryA(own_folder.c_str(), nullptr));

    answer_question(registered_command(), apps_folder, IDYES);
    ASSERT_TRUE(wait_for_copy());
    MessageBoxInfo report = read_message_box(copy_.box);
    EXPECT_EQ(report.text, std::string(removed_text) + "\r\n\r\nThe folder " + apps_folder +
                               " was kept: it holds files that Brimwave did not install.");
    EXPECT_EQ(report.icon, "information");
    EXPECT_EQ(close_copy_report(), 0u);

    EXPECT_FALSE(file_exists(std::string(apps_folder) + "\\Brimwave.exe"));
    EXPECT_FALSE(file_exists(std::string(apps_folder) + "\\Brimwave.chm"));
    expect_keys_and_shortcuts_gone();
    EXPECT_EQ(file_contents(own_file), content);
    EXPECT_TRUE(folder_exists(own_folder));
}

TEST_F(Uninstall, ARunningBrimwaveStopsIt)
{
    install();
    const std::string program = default_folder + "\\Brimwave.exe";
    ASSERT_TRUE(start_process("\"" + program + "\"", default_folder.c_str(), &product_));
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; i++, Sleep(100))
        window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    ASSERT_NE(window, nullptr) << "Brimwave did not start";

    HWND box = start_uninstaller(registered_command());
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.text, running_text) << "said before any question";
    EXPECT_EQ(info.icon, "warning");
    EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
    press_button(box, IDOK);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u);
    EXPECT_TRUE(IsWindow(window));
    expect_installation_in_place(default_folder);
}

TEST_F(Uninstall, AFileInUseIsReportedAndTheNextTryFinishes)
{
    install(apps_folder);
    // Opened without sharing: deleting it fails until it is closed.
    const std::string help = std::string(apps_folder) + "\\Brimwave.chm";
    HANDLE held = CreateFileA(help.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    answer_question(registered_command(), apps_folder, IDYES);
    ASSERT_TRUE(wait_for_copy());
    MessageBoxInfo report = read_message_box(copy_.box);
    EXPECT_EQ(report.text, "Brimwave could not be removed completely.\r\n\r\nThe file " + help +
                               " could not be deleted. Close any program that is using it, then "
                               "uninstall Brimwave again.");
    EXPECT_EQ(report.icon, "error");
    EXPECT_EQ(close_copy_report(), 1u);
    CloseHandle(held);
    // It stopped at that file: the program, its entry and shortcuts remain
    // for the next try.
    expect_installation_in_place(apps_folder);

    CloseHandle(copy_.process);
    copy_ = FinishingCopy();
    uninstall_completely(apps_folder);
}

TEST_F(Uninstall, AKeyThatCannotBeRemovedIsReported)
{
    install(apps_folder);
    // Sub-keys whose full path does not fit the key-tree delete's 256-byte
    // buffer: it refuses them and reports the tree as not deleted. Created a
    // level at a time: Wine refuses such long paths in one call.
    const std::string first = std::string(PRODUCT_KEY) + "\\" + std::string(130, 'a');
    HKEY parent, child;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, first.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(parent, std::string(130, 'b').c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);

    answer_question(registered_command(), apps_folder, IDYES);
    ASSERT_TRUE(wait_for_copy());
    MessageBoxInfo report = read_message_box(copy_.box);
    EXPECT_EQ(report.text, "Brimwave could not be removed completely.\r\n\r\nThe registry key "
                           "HKEY_CURRENT_USER\\Software\\Brimwave could not be removed.");
    EXPECT_EQ(report.icon, "error");
    EXPECT_EQ(close_copy_report(), 1u);
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    // Everything else went.
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
    EXPECT_FALSE(folder_exists(apps_folder));
    for (int csidl : shortcut_folders)
        EXPECT_FALSE(file_exists(shortcut_path(csidl))) << shortcut_path(csidl);

    RegDeleteKeyA(parent, std::string(130, 'b').c_str());
    RegCloseKey(parent);
}

TEST_F(Uninstall, AnotherInstallationsEntriesAndShortcutsAreKept)
{
    install(apps_folder);
    install(other_folder); // the keys and shortcuts now describe this one
    expect_installation_in_place(other_folder);

    // Started by hand from the first installation's folder.
    answer_question(std::string(apps_folder) + "\\Brimwave.exe /uninstall", apps_folder, IDYES);
    ASSERT_TRUE(wait_for_copy());
    const std::string program = std::string(other_folder) + "\\Brimwave.exe";
    std::string text = removed_text;
    for (int csidl : shortcut_folders)
        text += "\r\n\r\nThe shortcut " + shortcut_path(csidl) + " was kept: it starts " + program + ".";
    text += "\r\n\r\nThe registry key HKEY_CURRENT_USER\\Software\\Brimwave was kept: it belongs to "
            "the installation in C:\\Other\\Brimwave.\r\n\r\nThe registry key HKEY_LOCAL_MACHINE\\" +
            std::string(UNINSTALL_KEY) + " was kept: it uninstalls " + program + ".";
    EXPECT_EQ(read_message_box(copy_.box).text, text);
    EXPECT_EQ(close_copy_report(), 0u);
    EXPECT_FALSE(folder_exists(apps_folder));
    expect_installation_in_place(other_folder);
    EXPECT_EQ(registered_command(), "C:\\Other\\Brimwave\\Brimwave.exe /uninstall");
}

TEST_F(Uninstall, AFolderRecordedAsTypedIsRemovedWhole)
{
    // Setup records the folder as typed; the uninstaller sees it normalised.
    const std::string spaced = std::string(apps_folder) + " Audio";
    char short_name[MAX_PATH] = "";
    ASSERT_TRUE(CreateDirectoryA("C:\\Apps", nullptr) && CreateDirectoryA(spaced.c_str(), nullptr) &&
                GetShortPathNameA(spaced.c_str(), short_name, MAX_PATH));
    const std::string typings[][2] = {{"C:\\Apps\\\\Brimwave", apps_folder}, {short_name, spaced}};
    for (const auto &typed : typings) {
        SCOPED_TRACE(typed[0]);
        install(typed[0]);
        uninstall_completely(typed[1]);
        CloseHandle(copy_.process);
        copy_ = FinishingCopy();
    }
}

TEST_F(Uninstall, OnlyItsOwnCopyInATemporaryFolderFinishesTheRemoval)
{
    install(apps_folder);
    install(other_folder);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string own_folder = std::string(temp) + "bwu-by-hand";
    const std::string in_temp = own_folder + ".exe", in_own_folder = own_folder + "\\Brimwave.exe";
    CreateDirectoryA(own_folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(PRODUCT_PROGRAM, in_temp.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(PRODUCT_PROGRAM, in_own_folder.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA("D:\\bladeenc.exe", "C:\\Other\\Brimwave\\Brimwave.exe", FALSE));
    // The same bytes in the Windows folder's Temp, in a folder of its own
    // that is not named as the copy's.
    char windows[MAX_PATH] = "";
    ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string misplaced_folder = std::string(windows) + "\\Temp\\by-hand";
    const std::string misplaced = misplaced_folder + "\\Brimwave.exe";
    CreateDirectoryA(misplaced_folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(PRODUCT_PROGRAM, misplaced.c_str(), FALSE));
    // An installed Brimwave.exe: the same bytes, not in the temporary folder;
    // a copy with the same bytes straight in it, not in a folder of its own;
    // one in a folder of its own, for an installation whose program differs.
    const std::string cases[][2] = {{std::string(apps_folder) + "\\Brimwave.exe", other_folder},
                                    {in_temp, apps_folder},
                                    {in_own_folder, other_folder},
                                    {misplaced, apps_folder}};
    for (const auto &c : cases) {
        HWND box = start_uninstaller("\"" + c[0] + "\" /finish-uninstall 0 \"" + c[1] + "\"");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(read_message_box(box).text, stranger_text) << c[0];
        press_button(box, IDOK);
        EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u) << c[0];
        // The removal begins with the help file.
        EXPECT_TRUE(file_exists(c[1] + "\\Brimwave.chm")) << c[0];
    }
    DeleteFileA(in_temp.c_str());
    remove_tree(own_folder);
    remove_tree(misplaced_folder);
}

TEST_F(Uninstall, AProgramRunningDuringAReinstallIsReplacedAndItsOldFileGoesLater)
{
    install(apps_folder);
    // Brimwave.exe showing that a removal command is incomplete runs without
    // a window of its class, and without the uninstall's mutex.
    HWND box = start_uninstaller("\"" + std::string(apps_folder) +
                                 "\\Brimwave.exe\" /finish-uninstall");
    ASSERT_NE(box, nullptr);
    install(apps_folder);
    // A running program can be renamed but not deleted: its old file goes at
    // the next restart.
    EXPECT_TRUE(is_pending_delete(std::string(apps_folder) + "\\~BW5000.OLD"));
    EXPECT_TRUE(same_contents(std::string(apps_folder) + "\\Brimwave.exe", PRODUCT_PROGRAM));
    press_button(box, IDOK);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u);
    // The uninstall knows the backup name: it goes, and the folder with it.
    uninstall_completely(apps_folder);
}

// The process running program (compared by its full path), or nullptr.
HANDLE open_running(const std::string &program)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE found = nullptr;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE |
                                         SYNCHRONIZE, FALSE, entry.th32ProcessID);
        char image[MAX_PATH] = "";
        DWORD size = sizeof image;
        if (process && QueryFullProcessImageNameA(process, 0, image, &size) &&
            lstrcmpiA(image, program.c_str()) == 0)
            found = process;
        else if (process)
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

TEST_F(Uninstall, BrimwaveRunningInAnotherSessionGoesThroughTwoUpdates)
{
    install(apps_folder);
    // A desktop of its own stands in for another session: setup's window
    // check cannot see Brimwave there, yet its file is the running image.
    const std::string folder = apps_folder;
    ChildProcess desktop;
    ASSERT_TRUE(start_process("explorer /desktop=other,640x480 " + folder + "\\Brimwave.exe",
                              nullptr, &desktop));
    HANDLE running = nullptr;
    for (int i = 0; i < 300 && !(running = open_running(folder + "\\Brimwave.exe")); i++)
        Sleep(50);
    ASSERT_NE(running, nullptr) << "Brimwave did not start on the other desktop";
    struct End {
        HANDLE process;
        ~End()
        {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    } end = {running};
    // The running image keeps the backup name of the first update until the
    // restart; the second takes another name and deletes its backup at once.
    // (Earlier tests may have left names of this folder pending at restart.)
    std::vector<std::string> running_backup;
    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE(run);
        store_previous_installation(apps_folder, 99);
        install(); // exit code 0 after the final prompt: the update succeeded
        EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
        std::vector<std::string> left = folder_entries(folder);
        left.erase(left.begin(), left.begin() + 2); // Brimwave.chm, Brimwave.exe
        if (run == 1)
            running_backup = left;
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left, running_backup);
        EXPECT_TRUE(is_pending_delete(folder + "\\" + left[0])) << left[0];
    }
    EXPECT_EQ(WaitForSingleObject(running, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateProcess(running, 99);
    WaitForSingleObject(running, 5000);
    uninstall_completely(apps_folder);
}

TEST_F(Uninstall, SetupRefusesWhileTheUninstallAsks)
{
    install(apps_folder);
    HWND question = start_uninstaller(registered_command());
    ASSERT_NE(question, nullptr);
    start();
    HWND refusal = wait_for_message_box("Install Brimwave");
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(read_message_box(refusal).text, "Brimwave is being removed. Wait until the "
                                              "removal has finished, then run Setup again.");
    press_button(refusal, IDOK);
    EXPECT_EQ(wait_for_exit(), 1u);
    press_button(question, IDNO);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 3u);
    expect_installation_in_place(apps_folder);
}

TEST_F(Uninstall, WithLimitedRightsItAsksThenRaisesThemOnce)
{
    install(apps_folder);
    CommandLineWatch watch;
    HANDLE limited = limited_token();
    ASSERT_NE(limited, nullptr);
    HWND question = start_uninstaller(registered_command(), limited);
    CloseHandle(limited);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(read_message_box(question).text, question_for(apps_folder));
    press_button(question, IDYES);
    // Wine's "runas" does not raise: the marked start, unraised, removes
    // nothing beside the removal that asked for it.
    HWND refusal = wait_for_other_box(15000);
    ASSERT_NE(refusal, nullptr) << "the marked start said nothing";
    EXPECT_EQ(read_message_box(refusal).text, "Brimwave was not removed.");
    press_button(refusal, IDOK);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u);
    expect_installation_in_place(apps_folder);
    std::vector<std::string> lines = watch.stop();
    // One raised start, carrying the marker and the id of the process that
    // asked (a second would carry its own id), and one copy, which waits for
    // the process that asked.
    const std::string asking_id = std::to_string(uninstaller_.id);
    std::string all;
    for (const std::string &line : lines)
        all += line + "\n";
    auto runs = [&lines](const std::string &part) {
        return std::count_if(lines.begin(), lines.end(), [&part](const std::string &line) {
            return line.find(part) != std::string::npos;
        });
    };
    EXPECT_EQ(runs(" /uninstall /elevated "), 1) << all;
    EXPECT_EQ(runs(" /uninstall /elevated " + asking_id + " "), 1) << all;
    EXPECT_EQ(runs(" /finish-uninstall "), 0) << all;
}

TEST_F(Uninstall, TheProgramCannotBeSwappedBetweenTheQuestionAndTheCopy)
{
    install(apps_folder);
    HWND question = start_uninstaller(registered_command());
    ASSERT_NE(question, nullptr);
    // A running program can be renamed and another put in its place, but
    // not while the uninstaller holds it for its copy.
    const std::string program = std::string(apps_folder) + "\\Brimwave.exe";
    EXPECT_FALSE(MoveFileA(program.c_str(), (program + ".swapped").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
    HANDLE writer = CreateFileA(program.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    press_button(question, IDYES);
    expect_removed_by_copy(apps_folder, finishing_place(true));
}

TEST_F(Uninstall, AMarkerTypedByHandIsAPlainUninstall)
{
    install(apps_folder);
    // Raised (as every Wine process is by default), but process 4 did not
    // start it: it asks.
    answer_question(std::string(apps_folder) + "\\Brimwave.exe /uninstall /elevated 4",
                    apps_folder, IDNO);
    expect_installation_in_place(apps_folder);
}

TEST_F(Uninstall, ItRefusesWhileASetupWaitsAtRetryAndTheSetupThenCompletes)
{
    install(apps_folder);
    const std::string help = std::string(apps_folder) + "\\Brimwave.chm";
    HANDLE held = CreateFileA(help.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND retry = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(retry, nullptr);
    HWND box = start_uninstaller(registered_command());
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.text, setup_running_text) << "said before any question";
    EXPECT_EQ(info.icon, "warning");
    EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
    press_button(box, IDOK);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u);
    EXPECT_EQ(wait_for_other_box(1000), nullptr) << "no copy was started";
    CloseHandle(held);
    press_button(retry, IDRETRY);
    for (int i = 0; i < 250 && IsWindow(retry); i++)
        Sleep(20);
    HWND prompt = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(read_message_box(prompt).text,
              "Brimwave has been successfully installed!\r\nWould you like to run now?");
    press_button(prompt, IDNO);
    EXPECT_EQ(wait_for_exit(), 0u);
    expect_installation_in_place(apps_folder);
}

// Run by its own ctest entry, e2e_code_page_932, under ja_JP.UTF-8.
TEST_F(Uninstall, DISABLED_InAFolderNamedInCodePage932)
{
    ASSERT_EQ(GetACP(), 932u) << "Wine takes the code page from the locale";
    // 表 is 95 5C in code page 932: its second byte is a backslash's.
    const std::string folder = "C:\\\x95\x5C";
    remove_tree(folder);
    install(folder);
    expect_installation_in_place(folder);
    EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    EXPECT_EQ(registered_command(), folder + "\\Brimwave.exe /uninstall");
    uninstall_completely(folder);
}

// Run by its own ctest entry, e2e_foreign_profile (tests/e2e/foreign_profile.sh),
// with the user's folders under C:\users\Дмитрий, which code page 1252
// cannot write: the ANSI calls name them C:\users\???????\...
TEST_F(Uninstall, DISABLED_InstallAndUninstallUnderAForeignProfile)
{
    const std::wstring profile = L"C:\\users\\\x0414\x043c\x0438\x0442\x0440\x0438\x0439";
    WCHAR desktop[MAX_PATH] = L"";
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    ASSERT_TRUE(std::wstring(desktop) == profile + L"\\Desktop") << "the profile was not moved";
    ASSERT_TRUE(finishing_place(false) == profile + L"\\Temp\\") << finishing_place(false);
    install(apps_folder); // a note that a shortcut failed would come before the final prompt
    for (int csidl : shortcut_folders) {
        Shortcut link = read_shortcut(wide_shortcut_path(csidl));
        ASSERT_TRUE(link.loaded) << csidl;
        EXPECT_EQ(link.target, std::string(apps_folder) + "\\Brimwave.exe");
        EXPECT_EQ(link.folder, apps_folder);
        EXPECT_EQ(link.description, "Brimwave");
    }
    // Raised, as Wine starts every process: the copy runs from the Windows
    // folder's Temp.
    uninstall_completely(apps_folder);
    CloseHandle(copy_.process);
    copy_ = FinishingCopy();
    // With the limited token: the copy runs from the user's temporary
    // folder, the one named in Cyrillic letters.
    install(apps_folder);
    expect_installation_in_place(apps_folder);
    uninstall_with_limited_rights(apps_folder);
}

TEST_F(Uninstall, QuietlyItShowsNothingAndEndsWhenEverythingIsGone)
{
    install(apps_folder);
    // As an installation for all users leaves them: the same shortcuts in
    // the common folders.
    for (int i = 0; i < 2; i++) {
        const std::wstring common = wide_shortcut_path(common_shortcut_folders[i]);
        ASSERT_TRUE(CopyFileW(wide_shortcut_path(shortcut_folders[i]).c_str(), common.c_str(), FALSE))
            << common_shortcut_folders[i];
    }
    std::vector<std::string> log;
    EXPECT_EQ(uninstall_quietly(&log), 0u);
    // Gone by the time the caller's process ended.
    expect_everything_gone(apps_folder);
    for (int csidl : common_shortcut_folders)
        EXPECT_FALSE(file_exists(wide_shortcut_path(csidl))) << csidl;
    EXPECT_FALSE(mutex_exists(UNINSTALL_MUTEX_NAME));
    const std::string folder = apps_folder;
    for (const std::string &line :
         {"Removing without asking: " + folder, "Removing the installation in " + folder,
          "Deleted " + folder + "\\Brimwave.chm",
          std::string("Removed the registry key HKEY_CURRENT_USER\\Software\\Brimwave"),
          "Removed the registry key HKEY_LOCAL_MACHINE\\" + std::string(UNINSTALL_KEY),
          "Removed the folder " + folder, std::string(removed_text),
          std::string("Result: 0 Brimwave has been removed")})
        EXPECT_EQ(line_starting(log, line), line);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS,
                      CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_EQ(line_starting(log, "Deleted the shortcut " + shortcut_path(csidl)),
                  "Deleted the shortcut " + shortcut_path(csidl));
    // The running program went into the copy's folder, for the restart.
    const std::string moved_line = "Moved the running program out of the folder: ";
    const std::string moved = line_starting(log, moved_line).substr(moved_line.size() - 1);
    ASSERT_EQ(moved.substr(0, 1), " ") << "no move logged";
    EXPECT_TRUE(same_contents(moved.substr(1), PRODUCT_PROGRAM));
    EXPECT_TRUE(is_pending_delete(moved.substr(1))) << moved;
}

TEST_F(Uninstall, QuietlyAProgramHeldOpenGoesAtTheNextRestartWithItsFolder)
{
    install(apps_folder);
    // Held without sharing its deletion: it can neither move nor go now.
    const std::string folder = apps_folder;
    const std::string program = folder + "\\Brimwave.exe";
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::vector<std::string> log;
    EXPECT_EQ(uninstall_quietly(&log), 3010u);
    CloseHandle(held);
    EXPECT_TRUE(is_pending_delete(program));
    EXPECT_TRUE(is_pending_delete(folder));
    EXPECT_FALSE(file_exists(folder + "\\Brimwave.chm"));
    expect_keys_and_shortcuts_gone();
    for (const std::string &line :
         {"In use, deleted at the next restart: " + program,
          "Removed at the next restart: the folder " + folder, std::string(removed_text),
          std::string("Result: 3010 Brimwave has been removed; some of its files go at the next restart")})
        EXPECT_EQ(line_starting(log, line), line);
    if (running_under_wine()) {
        ChildProcess boot;
        ASSERT_TRUE(start_process("wineboot.exe -r", nullptr, &boot));
        EXPECT_EQ(::wait_for_exit(boot, 60000), 0u);
        EXPECT_FALSE(folder_exists(folder)) << "the program went first, then its folder";
    }
}

TEST_F(Uninstall, QuietlyWithLimitedRightsItRaisesThemWithoutAsking)
{
    install(apps_folder);
    HANDLE limited = limited_token();
    ASSERT_NE(limited, nullptr);
    CommandLineWatch watch;
    std::vector<std::string> log;
    // Wine's "runas" does not raise: the marked start, unraised, removes nothing.
    EXPECT_EQ(uninstall_quietly(&log, limited), 1u);
    CloseHandle(limited);
    std::vector<std::string> lines = watch.stop();
    expect_installation_in_place(apps_folder);
    EXPECT_EQ(line_starting(log, "Asking for administrator rights"), "Asking for administrator rights");
    // The raised start is quiet too, and gets no log: only the process the
    // caller started writes it.
    const std::string raised = " /uninstall /elevated " + std::to_string(uninstaller_.id) + " /S";
    std::string all;
    for (const std::string &line : lines)
        all += line + "\n";
    EXPECT_NE(all.find(raised), std::string::npos) << all;
    EXPECT_EQ(all.find("/elevated " + std::to_string(uninstaller_.id) + " /S /LOG"), std::string::npos)
        << all;
    EXPECT_EQ(line_starting(log, "Removing the installation in "), "<none>") << "the copy logged";
}

TEST_F(Uninstall, QuietlyItRefusesWhileSetupOrAnotherRemovalRuns)
{
    install(apps_folder);
    for (const char *name : {SETUP_MUTEX_NAME, UNINSTALL_MUTEX_NAME}) {
        SCOPED_TRACE(name);
        HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
        ASSERT_NE(mutex, nullptr);
        std::vector<std::string> log;
        EXPECT_EQ(uninstall_quietly(&log), 1618u);
        CloseHandle(mutex);
        expect_installation_in_place(apps_folder);
    }
    // A start marked with the id of a process that is not this program
    // (here the test's) is no raised start of its own: refused, quiet or not.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, UNINSTALL_MUTEX_NAME);
    const std::string marked =
        registered_command() + " /elevated " + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(start_process(marked + " /S", nullptr, &uninstaller_));
    EXPECT_EQ(::wait_for_exit(uninstaller_, 30000), 1618u);
    HWND refusal = start_uninstaller(marked);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(read_message_box(refusal).text, "Another removal of Brimwave is running. Wait until "
                                              "it has finished, then uninstall Brimwave again.");
    press_button(refusal, IDOK);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 15000), 1u);
    CloseHandle(mutex);
    expect_installation_in_place(apps_folder);
}

// Windows 9x can neither rename nor delete a running program: the process
// the caller started ends once the copy runs, and the copy waits for it,
// then removes everything and writes the result. Wine reports Windows 95
// for the program when asked to.
TEST_F(Uninstall, QuietlyOnWindows9xTheCopyFinishesAndLogsTheResult)
{
    install(apps_folder);
    const char app_key[] = "Software\\Wine\\AppDefaults\\Brimwave.exe";
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, app_key, "Version", REG_SZ, "win95", 6));
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string log_file = std::string(temp) + "9x.log";
    DeleteFileA(log_file.c_str());
    // Windows 9x has no tokens, so nothing counts as raised there; Wine's
    // own token would, with the limited one nothing does.
    HANDLE limited = limited_token();
    ASSERT_NE(limited, nullptr);
    ASSERT_TRUE(start_process(registered_command() + " /S /LOG=" + log_file, nullptr, &uninstaller_,
                              nullptr, false, limited));
    CloseHandle(limited);
    EXPECT_EQ(::wait_for_exit(uninstaller_, 30000), 0u);
    std::vector<std::string> log;
    for (int i = 0; i < 300 && line_starting(log, "Result: ") == "<none>"; i++, Sleep(100))
        log = log_lines(log_file);
    delete_key_tree(HKEY_CURRENT_USER, app_key);
    std::string all;
    for (const std::string &line : log)
        all += line + "\n";
    EXPECT_EQ(line_starting(log, "The removal goes on once this process has ended."),
              "The removal goes on once this process has ended.") << all;
    EXPECT_EQ(log.empty() ? "<empty>" : log.back(), "Result: 0 Brimwave has been removed") << all;
    EXPECT_EQ(line_starting(log, "Moved the running program"), "<none>") << all;
    expect_everything_gone(apps_folder);
}
