// Start-up checks of the real SETUP.EXE: the platform check, the single
// running copy and the check of its own payload.
#include <shlobj.h>
#include "tests/e2e/setup_run.h"

namespace {
const char app_defaults[] = "Software\\Wine\\AppDefaults\\SETUP.EXE";

class Startup : public SetupRun {
protected:
    void TearDown() override
    {
        SetupRun::TearDown();
        delete_key_tree(HKEY_CURRENT_USER, app_defaults);
        if (marker_)
            DestroyWindow(marker_);
    }
    void report_windows_as(const char *version)
    {
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, app_defaults, "Version", REG_SZ, version,
                                static_cast<DWORD>(strlen(version) + 1)));
    }
    // A window of the setup program's class, as another running copy has.
    void create_setup_window()
    {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = DefWindowProcA;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = SETUP_WINDOW_CLASS;
        RegisterClassA(&window_class);
        marker_ = CreateWindowExA(0, SETUP_WINDOW_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(marker_, nullptr);
    }
    HWND marker_ = nullptr;
};
} // namespace

TEST_F(Startup, Win32sIsRefusedWithItsMessageAndExitCodeOne)
{
    report_windows_as("win31"); // Wine then reports platform id 0
    // Checked before the libraries are loaded: one that cannot be changes nothing.
    ASSERT_TRUE(write_value(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE\\DllOverrides",
                            "comctl32", REG_SZ, "", 1));
    start();
    HWND box = wait_for_message_box("Installation Error");
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.text, "ERROR: Brimwave requires Windows 9x/ME/2000/NT/XP.");
    EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(info.icon, "error");
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_exit(), 1u);
}

TEST_F(Startup, AMissingSystemLibraryIsFatal)
{
    const char *cases[][2] = {{"lz32", "ERROR: Could not load LZ32.DLL."},
                              {"comctl32", "ERROR: Could not load COMCTL32.DLL."}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c[0]);
        // An empty override: Wine loads no such library for SETUP.EXE.
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE\\DllOverrides",
                                c[0], REG_SZ, "", 1));
        start();
        HWND box = wait_for_message_box("Installation Error");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(read_message_box(box).text, c[1]);
        press_button(box, IDOK);
        EXPECT_EQ(wait_for_exit(), 1u);
        delete_key_tree(HKEY_CURRENT_USER, app_defaults);
        kill_process(setup_);
    }
}

TEST_F(Startup, Windows9xPasses)
{
    report_windows_as("win95"); // platform id 1
    start();
    HWND licence = wait_for_licence();
    ASSERT_NE(licence, nullptr);
    press_button(licence, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
}

TEST_F(Startup, AnotherSetupsWindowOrMutexMakesItLeaveSilently)
{
    for (bool window : {true, false}) {
        SCOPED_TRACE(window ? "window" : "mutex");
        HANDLE mutex = nullptr;
        if (window)
            create_setup_window();
        else
            ASSERT_NE(mutex = CreateMutexA(nullptr, TRUE, "Brimwave Setup"), nullptr);
        start();
        // It ends without showing anything.
        DWORD code = STILL_ACTIVE;
        for (int i = 0; i < 100 && code == STILL_ACTIVE; i++) {
            EXPECT_EQ(describe_windows(setup_.id), "(no visible windows)");
            code = wait_for_exit(50);
        }
        EXPECT_EQ(code, 0u);
        if (marker_)
            DestroyWindow(marker_);
        marker_ = nullptr;
        if (mutex)
            CloseHandle(mutex);
        kill_process(setup_);
    }
}

TEST_F(Startup, OfTwoCopiesStartedTogetherOneShowsTheLicence)
{
    for (int round = 0; round < 3; round++) {
        SCOPED_TRACE(round);
        ChildProcess copies[2];
        for (ChildProcess &copy : copies) {
            ASSERT_TRUE(start_process("D:\\SETUP.EXE", "D:\\", &copy, nullptr, true));
            expect_shipped_image(copy);
        }
        for (ChildProcess &copy : copies)
            resume_process(&copy);
        // One leaves silently; the other, and only it, shows the licence.
        int left = -1;
        for (int i = 0; i < 300 && left < 0; i++)
            for (int c = 0; c < 2 && left < 0; c++)
                if (::wait_for_exit(copies[c], 50) == 0)
                    left = c;
        EXPECT_GE(left, 0) << "neither copy left";
        HWND licence = left < 0 ? nullptr : wait_for_window(copies[1 - left].id, caption, 15000);
        if (licence) {
            press_button(licence, IDCANCEL);
            EXPECT_EQ(::wait_for_exit(copies[1 - left], 15000), 0u);
        } else if (left >= 0) {
            ADD_FAILURE() << "the other copy shows no licence";
        }
        for (ChildProcess &copy : copies)
            kill_process(copy);
    }
}

TEST_F(Startup, ASecondCopyLeavesWhileTheFirstShowsItsDialogsOrMessages)
{
    start();
    HWND destination = pass_licence();
    ASSERT_NE(destination, nullptr);

    ChildProcess second;
    ASSERT_TRUE(start_process("D:\\SETUP.EXE", "D:\\", &second));
    EXPECT_EQ(::wait_for_exit(second, 10000), 0u);

    confirm_destination(destination, "C:\\");
    HWND box = wait_for_message_box("Install Brimwave");
    ASSERT_NE(box, nullptr);
    ChildProcess third;
    ASSERT_TRUE(start_process("D:\\SETUP.EXE", "D:\\", &third));
    EXPECT_EQ(::wait_for_exit(third, 10000), 0u);
    EXPECT_EQ(describe_windows(third.id), "(no visible windows)");
}

TEST_F(Startup, ACopyWithOneBitFlippedInAPayloadIsRefusedAndChangesNothing)
{
    const char damaged[] = "ERROR: This setup program is damaged. Copy or download it again.";
    const std::string log = std::string(derived_folder) + "setup.log";
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
        DeleteFileA(shortcut_path(csidl).c_str());
    // In the SZDD magic, in the expanded size, inside the packed stream, in
    // its last byte.
    for (const char *payload : {"5000", "5001"}) {
        for (const char *place : {"^0", "^11", "^2000", "^-1"}) {
            SCOPED_TRACE(std::string(payload) + place);
            std::string copy = derive_copy(payload + std::string(place));
            start(copy, derived_folder);
            HWND box = wait_for_message_box("Installation Error");
            ASSERT_NE(box, nullptr);
            MessageBoxInfo info = read_message_box(box);
            EXPECT_EQ(info.text, damaged);
            EXPECT_EQ(info.icon, "error");
            press_button(box, IDOK);
            EXPECT_EQ(wait_for_exit(), 1u);
            kill_process(setup_);

            start(copy + " /S /LOG=" + log, derived_folder);
            EXPECT_EQ(wait_for_exit(30000), 1u);
            EXPECT_NE(file_contents(log).find(damaged), std::string::npos) << file_contents(log);
            EXPECT_EQ(folder_entries(derived_folder),
                      (std::vector<std::string>{"SETUP.EXE", "setup.log"}));
            EXPECT_FALSE(folder_exists(default_destination()));
            EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
            EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, UNINSTALL_KEY));
            for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY})
                EXPECT_FALSE(file_exists(shortcut_path(csidl))) << csidl;
            kill_process(setup_);
        }
    }
}
