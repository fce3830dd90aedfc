// Whole installations by the real SETUP.EXE, checked from outside: files,
// registry values with their types and bytes, shortcuts read back through
// IShellLinkA, the companion stand-in's log, and the final prompt.
#include <shlobj.h>
#include "tests/e2e/setup_run.h"

namespace {
const std::string default_folder = default_destination();
const char companion_log[] = "C:\\bladeenc.log";
const char installed_prompt[] = "Brimwave has been successfully installed!\r\nWould you like to run now?";
const char updated_prompt[] = "Brimwave has been successfully updated!\r\nWould you like to run now?";

// A REG_SZ value that holds text and exactly one terminating zero.
void expect_text_value(HKEY root, const char *key, const char *name, const std::string &text)
{
    DWORD type = REG_NONE;
    size_t stored = 0;
    EXPECT_EQ(read_text_value(root, key, name, &type, &stored), text) << name;
    EXPECT_EQ(type, (DWORD)REG_SZ) << name;
    EXPECT_EQ(stored, text.size() + 1) << name << ": the text and one zero";
}

class Install : public SetupRun {
protected:
    void SetUp() override
    {
        SetupRun::SetUp();
        DeleteFileA(companion_log);
        SetEnvironmentVariableA("BLADEENC_LOG", companion_log);
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}) {
            DeleteFileA(shortcut_path(csidl).c_str());
            RemoveDirectoryA(shortcut_path(csidl).c_str());
        }
        for (const char *folder : {"C:\\A", "C:\\blocker", "C:\\Downloads", "C:\\Old"})
            remove_tree(folder);
        DeleteFileA("C:\\blocker");
    }
    void TearDown() override
    {
        SetupRun::TearDown();
        close_product_windows();
    }
    // Goes through licence and destination (typing folder unless empty) and
    // waits for the final prompt; its text.
    std::string install(const std::string &folder = "")
    {
        HWND dialog = pass_licence();
        if (!dialog)
            return "<no destination dialog>";
        if (folder.empty())
            press_button(dialog, IDOK);
        else
            confirm_destination(dialog, folder);
        return install_prompt();
    }
    // Waits for the final prompt; its text.
    std::string install_prompt()
    {
        prompt_ = wait_for_message_box("Install Brimwave", 60000);
        if (!prompt_)
            return "<no final prompt>";
        MessageBoxInfo info = read_message_box(prompt_);
        EXPECT_EQ(info.icon, "question");
        EXPECT_EQ(info.buttons, (std::vector<int>{IDYES, IDNO}));
        return info.text;
    }
    void answer(int button)
    {
        ASSERT_NE(prompt_, nullptr);
        press_button(prompt_, button);
        EXPECT_EQ(wait_for_exit(), 0u);
    }
    std::string companion_lines()
    {
        // The companion runs beside setup: give it a moment to write.
        for (int i = 0; i < 50 && !file_exists(companion_log); i++)
            Sleep(100);
        Sleep(200);
        std::string log = file_contents(companion_log);
        return log == "<missing>" ? "" : log;
    }
    void expect_installed_in(const std::string &folder, const std::string &typed)
    {
        EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
        EXPECT_TRUE(same_contents(folder + "\\Brimwave.chm", PRODUCT_HELP));
        EXPECT_FALSE(file_exists(folder + "\\tempfile.tmp"));
        expect_text_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory", typed);
        DWORD type = REG_NONE;
        std::vector<unsigned char> version;
        read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion", &type, &version);
        EXPECT_EQ(version, (std::vector<unsigned char>{0x64, 0, 0, 0}));
        EXPECT_EQ(type, (DWORD)REG_BINARY);
        EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "MonitorDevice"));
        expect_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName", "Brimwave v1.0");
    }

    HWND prompt_ = nullptr;
};
} // namespace

TEST_F(Install, FreshInstallWithTheDefaults)
{
    const char monitor[] = "old device";
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "MonitorDevice", REG_SZ, monitor,
                            sizeof monitor));
    start();
    EXPECT_EQ(install(), installed_prompt);
    screenshot("final-prompt");
    expect_installed_in(default_folder, default_folder);
    expect_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString",
                      "\"" + default_folder + "\\Brimwave.exe\" /uninstall");
    // On 64-bit Windows a 32-bit installer's entry lives in the 32-bit view only.
    HKEY native_view = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ | KEY_WOW64_64KEY,
                            &native_view) == ERROR_SUCCESS,
              !running_wow64());
    if (native_view)
        RegCloseKey(native_view);

    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}) {
        Shortcut shortcut = read_shortcut(shortcut_path(csidl));
        ASSERT_TRUE(shortcut.loaded) << shortcut_path(csidl);
        EXPECT_EQ(shortcut.target, default_folder + "\\Brimwave.exe");
        EXPECT_EQ(shortcut.folder, default_folder);
        EXPECT_EQ(shortcut.description, "Brimwave");
    }
    EXPECT_EQ(companion_lines(), "command=\"D:\\bladeenc.exe\" /s|folder=D:\\\r\n");

    answer(IDYES);
    HWND product = nullptr;
    for (int i = 0; i < 100 && !product; i++, Sleep(100))
        product = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    ASSERT_NE(product, nullptr) << "Yes starts Brimwave";
    DWORD product_id = 0;
    GetWindowThreadProcessId(product, &product_id);
    EXPECT_EQ(process_current_folder(product_id), widen(default_folder + "\\"));
}

TEST_F(Install, NoAtTheFinalPromptStartsNothing)
{
    start();
    EXPECT_EQ(install(), installed_prompt);
    answer(IDNO);
    Sleep(1000);
    EXPECT_EQ(FindWindowA(MAIN_WINDOW_CLASS, nullptr), nullptr);
}

TEST_F(Install, FoldersAreCreatedLevelByLevelAndOneBackslashIsKept)
{
    start();
    EXPECT_EQ(install("C:\\A\\B\\C"), installed_prompt);
    answer(IDNO);
    expect_installed_in("C:\\A\\B\\C", "C:\\A\\B\\C");

    remove_tree("C:\\A");
    delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
    start();
    EXPECT_EQ(install("C:\\A\\"), installed_prompt);
    answer(IDNO);
    expect_installed_in("C:\\A", "C:\\A\\");
    expect_text_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString",
                      "C:\\A\\Brimwave.exe /uninstall");
    Shortcut shortcut = read_shortcut(shortcut_path(CSIDL_PROGRAMS));
    EXPECT_EQ(shortcut.target, "C:\\A\\Brimwave.exe");
    EXPECT_EQ(shortcut.folder, "C:\\A\\");
}

TEST_F(Install, TheLongestAcceptedFolderInstalls)
{
    // 114 characters: "Brimwave.exe" in it makes a 127-character path.
    std::string folder = "C:\\A\\" + std::string(109, 'l');
    ASSERT_EQ(folder.size(), 114u);
    start();
    EXPECT_EQ(install(folder), installed_prompt);
    answer(IDNO);
    expect_installed_in(folder, folder);
}

TEST_F(Install, ReinstallRewritesFilesAndValues)
{
    start();
    EXPECT_EQ(install("C:\\A"), installed_prompt);
    answer(IDNO);
    // Damage what the first run left.
    HANDLE file = CreateFileA("C:\\A\\Brimwave.chm", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
    CloseHandle(file);
    ASSERT_TRUE(write_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayName", REG_SZ, "x", 2));
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, "MonitorDevice", REG_SZ, "m", 2));

    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(control_text(dialog, 1003), "C:\\A") << "reinstall proposes the previous folder";
    press_button(dialog, IDOK);
    prompt_ = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt_, nullptr);
    EXPECT_EQ(read_message_box(prompt_).text, installed_prompt);
    answer(IDNO);
    expect_installed_in("C:\\A", "C:\\A");
}

TEST_F(Install, UpdateAndNewerModesUseTheirWording)
{
    struct Mode {
        DWORD version;
        const char *prompt;
    } modes[] = {{99, updated_prompt}, {101, installed_prompt}};
    for (const Mode &mode : modes) {
        SCOPED_TRACE(mode.version);
        store_previous_installation("C:\\Old", mode.version);
        start();
        EXPECT_EQ(install(), mode.prompt);
        answer(IDNO);
        expect_installed_in("C:\\Old", "C:\\Old");
    }
}

TEST_F(Install, TheCompanionStartsOnlyFromTheMediumRoot)
{
    // A bare name: the command line holds no drive letter.
    start("SETUP.EXE", "D:\\", "D:\\SETUP.EXE");
    EXPECT_EQ(install(), installed_prompt);
    answer(IDNO);
    EXPECT_EQ(companion_lines(), "");
    expect_installed_in(default_folder, default_folder);

    // A copy elsewhere would start whatever that drive's root holds.
    CreateDirectoryA("C:\\Downloads", nullptr);
    ASSERT_TRUE(CopyFileA("D:\\SETUP.EXE", "C:\\Downloads\\SETUP.EXE", FALSE));
    ASSERT_TRUE(CopyFileA("D:\\bladeenc.exe", "C:\\bladeenc.exe", FALSE));
    start("C:\\Downloads\\SETUP.EXE", "C:\\Downloads");
    EXPECT_EQ(install(), installed_prompt);
    answer(IDNO);
    DeleteFileA("C:\\bladeenc.exe");
    EXPECT_EQ(companion_lines(), "");
}

TEST_F(Install, AMediumWithoutTheCompanionInstallsAllTheSame)
{
    start("E:\\SETUP.EXE", "E:\\"); // the large test medium carries no bladeenc.exe
    EXPECT_EQ(install(), installed_prompt);
    answer(IDNO);
    EXPECT_EQ(companion_lines(), "");
    EXPECT_TRUE(file_exists(default_folder + "\\Brimwave.exe"));
    EXPECT_TRUE(value_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "UninstallString"));
}

TEST_F(Install, AFailingDesktopFolderGivesTheNoteOnceAndKeepsTheStartMenuShortcut)
{
    // A folder where the shortcut file should go makes its save fail.
    ASSERT_TRUE(CreateDirectoryA(shortcut_path(CSIDL_DESKTOPDIRECTORY).c_str(), nullptr));
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND note = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(note, nullptr);
    MessageBoxInfo info = read_message_box(note);
    EXPECT_EQ(info.text, "NOTE: Could not add shortcut to start menu/desktop.");
    EXPECT_EQ(info.icon, "information");
    press_button(note, IDOK);
    for (int i = 0; i < 100 && IsWindow(note); i++)
        Sleep(20);
    prompt_ = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt_, nullptr);
    EXPECT_EQ(read_message_box(prompt_).text, installed_prompt) << "the note comes only once";
    answer(IDNO);
    EXPECT_TRUE(read_shortcut(shortcut_path(CSIDL_PROGRAMS)).loaded);
    RemoveDirectoryA(shortcut_path(CSIDL_DESKTOPDIRECTORY).c_str());
}

TEST_F(Install, AFolderThatCannotBeCreatedIsFatal)
{
    HANDLE file = CreateFileA("C:\\blocker", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    confirm_destination(dialog, "C:\\blocker\\Brimwave");
    HWND box = wait_for_message_box("Installation Error", 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(read_message_box(box).text, "ERROR: Could not create folder.");
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_exit(), 1u);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
}

namespace {
const char progress_caption[] = "Installing Brimwave  ---  Working ... ";

class Abort : public Install {
protected:
    // Starts the large medium's setup, presses Install and asks to cancel as
    // soon as the progress window appears, so that the first or second pump,
    // before the first file is done, takes it; the abort question.
    HWND ask_to_abort()
    {
        start("E:\\SETUP.EXE", "E:\\");
        HWND dialog = pass_licence();
        if (!dialog)
            return nullptr;
        press_button(dialog, IDOK);
        // FindWindowA sends no message, which would wait for the next pump.
        HWND progress = nullptr;
        for (int i = 0; i < 3000 && !(progress = FindWindowA("#32770", progress_caption)); i++)
            Sleep(10);
        if (!progress) {
            ADD_FAILURE() << "no progress window: " << describe_windows(setup_.id);
            return nullptr;
        }
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        screenshot("progress");
        HWND question = wait_for_window(setup_.id, "Install Brimwave", 30000);
        if (!question) {
            ADD_FAILURE() << "\"Abort?\" never appeared: " << describe_windows(setup_.id);
            return nullptr;
        }
        MessageBoxInfo info = read_message_box(question);
        EXPECT_EQ(info.text, "Abort?");
        EXPECT_EQ(info.buttons, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(info.icon, "question");
        EXPECT_EQ(GetWindow(question, GW_OWNER), progress);
        return question;
    }
};
} // namespace

TEST_F(Abort, YesStopsBeforeAnythingIsRecorded)
{
    HWND question = ask_to_abort();
    ASSERT_NE(question, nullptr);
    press_button(question, IDYES);
    EXPECT_EQ(wait_for_exit(60000), 0u);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
    EXPECT_FALSE(file_exists(shortcut_path(CSIDL_PROGRAMS)));
    EXPECT_FALSE(file_exists(shortcut_path(CSIDL_DESKTOPDIRECTORY)));
    EXPECT_EQ(companion_lines(), "");
}

TEST_F(Abort, NoLetsTheInstallationFinish)
{
    HWND question = ask_to_abort();
    ASSERT_NE(question, nullptr);
    // "Abort?" holds SETUP.EXE in a pump of the progress window, where its
    // status (3001) and bar (3002) show the step just done. Asked again after
    // each No until the bar is full: posted behind the No, the box takes the
    // No and the next pump the question.
    HWND progress = GetWindow(question, GW_OWNER);
    std::vector<std::string> steps;
    for (LRESULT position = 0; position < 2 && read_message_box(question).text == "Abort?";) {
        position = SendDlgItemMessageA(progress, 3002, PBM_GETPOS, 0, 0);
        steps.push_back(control_text(progress, 3001) + " at " + std::to_string(position));
        press_button(question, IDNO);
        if (position < 2)
            PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 100 && IsWindow(question); i++)
            Sleep(20);
        question = position < 2 ? wait_for_message_box("Install Brimwave", 60000) : nullptr;
    }
    if (!steps.empty() && steps[0] == "Working ...  at 0") // asked before the first file
        steps.erase(steps.begin());
    EXPECT_EQ(steps, (std::vector<std::string>{"Working ... Brimwave.exe at 1",
                                               "Working ... Brimwave.chm at 2"}));
    prompt_ = question ? question : wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(prompt_, nullptr);
    EXPECT_EQ(read_message_box(prompt_).text, installed_prompt);
    answer(IDNO);
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion"));
    EXPECT_TRUE(file_exists(shortcut_path(CSIDL_PROGRAMS)));
}

TEST_F(Install, DllsPlantedBesideItAreNotLoaded)
{
    // A download folder that also holds DLLs named as LZ32 and the common
    // controls, and Wine told to prefer such native DLLs for both programs, as
    // Windows does (Wine reads a changed WINEDLLOVERRIDES only at its start).
    CreateDirectoryA("C:\\Downloads", nullptr);
    for (std::string name : {"lz32.dll", "comctl32.dll", "static_importer.exe"})
        ASSERT_TRUE(CopyFileA((PLANTED_DIR "\\" + name).c_str(), ("C:\\Downloads\\" + name).c_str(),
                              FALSE)) << name;
    ASSERT_TRUE(CopyFileA("D:\\SETUP.EXE", "C:\\Downloads\\SETUP.EXE", FALSE));
    const char *override_keys[] = {"Software\\Wine\\AppDefaults\\static_importer.exe\\DllOverrides",
                                   "Software\\Wine\\AppDefaults\\SETUP.EXE\\DllOverrides"};
    struct Restore {
        const char **keys;
        ~Restore()
        {
            for (int i = 0; i < 2; i++)
                delete_key_tree(HKEY_CURRENT_USER, keys[i]);
        }
    } restore = {override_keys};
    for (const char *key : override_keys)
        for (const char *dll : {"lz32", "comctl32"})
            ASSERT_TRUE(write_value(HKEY_CURRENT_USER, key, dll, REG_SZ, "native,builtin", 15));
    const char *markers[] = {"C:\\planted-lz32.txt", "C:\\planted-comctl32.txt"};

    // The plants work: a program that imports both statically loads them.
    for (const char *marker : markers)
        DeleteFileA(marker);
    ChildProcess importer;
    ASSERT_TRUE(start_process("C:\\Downloads\\static_importer.exe", "C:\\Downloads", &importer));
    EXPECT_EQ(::wait_for_exit(importer, 30000), 0u);
    for (const char *marker : markers) {
        EXPECT_TRUE(file_exists(marker)) << marker << ": the plant was not loaded";
        DeleteFileA(marker);
    }

    start("C:\\Downloads\\SETUP.EXE", "C:\\Downloads");
    EXPECT_EQ(install(), installed_prompt);
    answer(IDNO);
    for (const char *marker : markers)
        EXPECT_FALSE(file_exists(marker)) << marker;
    expect_installed_in(default_folder, default_folder);
}

TEST_F(Install, AFailedReinstallLeavesTheInstalledFilesAsTheyWere)
{
    start();
    EXPECT_EQ(install("C:\\A"), installed_prompt);
    answer(IDNO);
    const std::string program = file_contents("C:\\A\\Brimwave.exe");
    const std::string help = file_contents("C:\\A\\Brimwave.chm");
    // F:\SETUP.EXE's Brimwave.exe payload is another file, which claims one
    // byte more than it holds. In the derived copy the first byte Brimwave.exe
    // expands to, a literal 'M' in the packed stream, has one bit flipped and
    // the digest of the packed bytes follows: the expansion has the right
    // size, but other bytes.
    for (std::string medium : {std::string("F:\\SETUP.EXE"), derive_copy("5000^15 5000!")}) {
        SCOPED_TRACE(medium);
        start(medium, medium.substr(0, medium.size() - 9).c_str());
        HWND destination = pass_licence();
        ASSERT_NE(destination, nullptr);
        press_button(destination, IDOK);
        HWND box = wait_for_message_box("Installation Error", 60000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(read_message_box(box).text, "ERROR: Could not write to file.");
        press_button(box, IDOK);
        EXPECT_EQ(wait_for_exit(), 1u);
        EXPECT_TRUE(file_contents("C:\\A\\Brimwave.exe") == program) << "Brimwave.exe changed";
        EXPECT_TRUE(file_contents("C:\\A\\Brimwave.chm") == help) << "Brimwave.chm changed";
        expect_installed_in("C:\\A", "C:\\A");
        for (const char *left : {"tempfile.tmp", "~BW5000.NEW", "~BW5001.NEW", "~BW5000.OLD",
                                 "~BW5001.OLD"})
            EXPECT_FALSE(file_exists(std::string("C:\\A\\") + left)) << left;
        kill_process(setup_);
    }
}

TEST_F(Install, AReadOnlyProgramNeverBlocksAReinstall)
{
    start();
    EXPECT_EQ(install("C:\\A"), installed_prompt);
    answer(IDNO);
    ASSERT_TRUE(SetFileAttributesA("C:\\A\\Brimwave.exe", FILE_ATTRIBUTE_READONLY));
    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE(run);
        start();
        EXPECT_EQ(install(), installed_prompt);
        answer(IDNO);
        EXPECT_EQ(folder_entries("C:\\A"),
                  (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
        EXPECT_TRUE(same_contents("C:\\A\\Brimwave.exe", PRODUCT_PROGRAM));
    }
}

TEST_F(Install, AFileInUseIsNamedAnAbortDuringItsWaitUndoesAndAShortLockIsWaitedOut)
{
    start();
    EXPECT_EQ(install("C:\\A"), installed_prompt);
    answer(IDNO);
    // An older version, whose files differ from the new ones.
    store_previous_installation("C:\\A", 99);
    ASSERT_TRUE(write_file("C:\\A\\Brimwave.exe", "old program"));
    ASSERT_TRUE(write_file("C:\\A\\Brimwave.chm", "old help"));
    auto hold_help = [] {
        return CreateFileA("C:\\A\\Brimwave.chm", GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    };
    auto start_update = [this] {
        start();
        HWND dialog = pass_licence();
        if (dialog)
            press_button(dialog, IDOK);
    };

    // Held all along: the question names the file, and Cancel changes nothing.
    HANDLE held = hold_help();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    start_update();
    HWND box = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.text, "Brimwave.chm is in use by another program. Close it, then click Retry.");
    EXPECT_EQ(info.buttons, (std::vector<int>{IDRETRY, IDCANCEL}));
    EXPECT_EQ(info.icon, "warning");
    press_button(box, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 1u);
    CloseHandle(held);
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.exe"), "old program");
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.chm"), "old help");
    EXPECT_EQ(folder_entries("C:\\A"), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    auto stored_version = [] {
        DWORD type = REG_NONE;
        std::vector<unsigned char> bytes;
        read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion", &type, &bytes);
        return bytes;
    };
    EXPECT_EQ(stored_version(), (std::vector<unsigned char>{99, 0, 0, 0}));

    // A lock on a staged name is named as the file it becomes, in a box that
    // the progress window owns; an abort confirmed while that lock is waited
    // for, and then released, undoes the replacement.
    auto next_box = [this](HWND previous) {
        for (int i = 0; i < 250 && IsWindow(previous); i++)
            Sleep(20);
        return wait_for_message_box("Install Brimwave", 60000);
    };
    held = hold_help();
    start_update();
    box = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(box, nullptr);
    HWND progress = GetWindow(box, GW_OWNER);
    EXPECT_EQ(window_text(progress).rfind("Installing Brimwave", 0), 0u) << window_text(progress);
    CloseHandle(held);
    held = CreateFileA("C:\\A\\~BW5000.NEW", GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "the staged program was not kept for the retry";
    press_button(box, IDRETRY);
    box = next_box(box);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(read_message_box(box).text,
              "Brimwave.exe is in use by another program. Close it, then click Retry.");
    press_button(box, IDRETRY);
    PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    HWND question = next_box(box);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(read_message_box(question).text, "Abort?");
    CloseHandle(held);
    press_button(question, IDYES);
    EXPECT_EQ(wait_for_exit(), 0u);
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.exe"), "old program");
    EXPECT_EQ(file_contents("C:\\A\\Brimwave.chm"), "old help");
    EXPECT_EQ(folder_entries("C:\\A"), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    EXPECT_EQ(stored_version(), (std::vector<unsigned char>{99, 0, 0, 0}));

    // Held for a second once the program has been moved aside: the update
    // waits it out and goes through without a question.
    held = hold_help();
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    start_update();
    for (int i = 0; i < 3000 && !file_exists("C:\\A\\~BW5000.OLD"); i++)
        Sleep(10);
    EXPECT_TRUE(file_exists("C:\\A\\~BW5000.OLD")) << "the program was not moved aside";
    Sleep(1000);
    CloseHandle(held);
    EXPECT_EQ(install_prompt(), updated_prompt);
    answer(IDNO);
    EXPECT_TRUE(same_contents("C:\\A\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_TRUE(same_contents("C:\\A\\Brimwave.chm", PRODUCT_HELP));
    EXPECT_EQ(folder_entries("C:\\A"), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    EXPECT_EQ(stored_version(), (std::vector<unsigned char>{100, 0, 0, 0}));
}

TEST_F(Install, AFailedUndoSaysWhereTheEarlierFileIsKeptAndTheNextRunKeepsIt)
{
    start();
    EXPECT_EQ(install("C:\\A"), installed_prompt);
    answer(IDNO);
    store_previous_installation("C:\\A", 99);
    ASSERT_TRUE(write_file("C:\\A\\Brimwave.exe", "old program"));
    auto hold = [](const char *path) {
        return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    // The help file held until the first question, its staged file after it:
    // the new program is in place when the help file's rename gives up, and
    // held then, it cannot be moved back.
    HANDLE help = hold("C:\\A\\Brimwave.chm");
    ASSERT_NE(help, INVALID_HANDLE_VALUE);
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND box = wait_for_message_box("Install Brimwave", 60000);
    ASSERT_NE(box, nullptr);
    CloseHandle(help);
    HANDLE staged_help = hold("C:\\A\\~BW5001.NEW");
    ASSERT_NE(staged_help, INVALID_HANDLE_VALUE);
    press_button(box, IDRETRY);
    for (int i = 0; i < 500 && file_exists("C:\\A\\~BW5000.NEW"); i++)
        Sleep(10);
    HANDLE program = hold("C:\\A\\Brimwave.exe");
    ASSERT_NE(program, INVALID_HANDLE_VALUE);
    box = wait_for_message_box("Installation Error", 60000);
    CloseHandle(program);
    CloseHandle(staged_help);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(read_message_box(box).text,
              "ERROR: Could not create file.\r\nThe earlier Brimwave.exe could not be put back; "
              "it is kept as C:\\A\\~BW5000.OLD");
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_exit(), 1u);
    EXPECT_EQ(file_contents("C:\\A\\~BW5000.OLD"), "old program");

    // The next run installs beside it and never deletes it.
    start();
    EXPECT_EQ(install(), updated_prompt);
    answer(IDNO);
    EXPECT_TRUE(same_contents("C:\\A\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_EQ(file_contents("C:\\A\\~BW5000.OLD"), "old program");
}
