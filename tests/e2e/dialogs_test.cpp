// The licence and destination dialogs of the real SETUP.EXE, driven from
// outside: texts, modes, the validation loop, the running-product check and
// the folder browser.
#include "tests/e2e/setup_run.h"

namespace {
const char install_text[] =
    "This will install Brimwave onto your computer into the specified folder.";
const char update_text[] = "This will update your current version of Brimwave.";
const char newer_text[] =
    "A newer version of Brimwave is already installed. If you do not wish to replace your "
    "newer version with this older one, click Cancel.";
const char invalid_text[] =
    "You must specify a valid destination drive and directory such as C:\\Brimwave";

bool is_read_only(HWND edit)
{
    return (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
}

HWND focused_control(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

using Dialogs = SetupRun;
} // namespace

TEST_F(Dialogs, LicenceShowsTheAgreementInAFixedFont)
{
    start();
    HWND licence = wait_for_licence();
    ASSERT_NE(licence, nullptr);
    screenshot("licence");
    std::string text = control_text(licence, 2001);
    EXPECT_EQ(text.size(), 2171u);
    size_t breaks = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        breaks++;
    EXPECT_EQ(breaks, 22u);
    EXPECT_TRUE(is_read_only(GetDlgItem(licence, 2001)));
    // Fixed pitch: "BRIMWAVE" puts 'I' and 'M' on cells of one width.
    ASSERT_EQ(text.substr(0, 8), "BRIMWAVE");
    auto x = [&](int i) { return LOWORD(SendDlgItemMessageA(licence, 2001, EM_POSFROMCHAR, i, 0)); };
    EXPECT_EQ(x(3) - x(2), x(4) - x(3)) << "'I' and 'M' differ in width";
    EXPECT_EQ(control_text(licence, IDOK), "&A g r e e");
    EXPECT_EQ(control_text(licence, IDCANCEL), "&D i s a g r e e");
    EXPECT_EQ(focused_control(licence), GetDlgItem(licence, IDOK));
}

TEST_F(Dialogs, DecliningTheLicenceEndsWithoutWritingAnything)
{
    struct Way {
        const char *name;
        void (*decline)(HWND);
    } ways[] = {
        {"Disagree", [](HWND d) { press_button(d, IDCANCEL); }},
        {"Escape", [](HWND d) {
             HWND focus = GetDlgItem(d, IDOK);
             PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
         }},
        {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Way &way : ways) {
        SCOPED_TRACE(way.name);
        start();
        HWND licence = wait_for_licence();
        ASSERT_NE(licence, nullptr);
        way.decline(licence);
        EXPECT_EQ(wait_for_exit(), 0u);
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
        EXPECT_FALSE(folder_exists(default_destination()));
    }
}

TEST_F(Dialogs, EachModeHasItsWordingAndEditability)
{
    struct Mode {
        const char *name;
        bool installed;
        DWORD version;
        const char *description, *button;
        bool locked;
        std::string folder;
    } modes[] = {
        {"fresh", false, 0, install_text, "&I n s t a l l", false, default_destination()},
        {"reinstall", true, 100, install_text, "&I n s t a l l", false, "C:\\Old\\"},
        {"update", true, 99, update_text, "&U p d a t e", true, "C:\\Old\\"},
        {"newer", true, 101, newer_text, "&I n s t a l l", true, "C:\\Old\\"},
        {"newest", true, 0xFFFFFFFF, newer_text, "&I n s t a l l", true, "C:\\Old\\"},
    };
    for (const Mode &mode : modes) {
        SCOPED_TRACE(mode.name);
        delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
        if (mode.installed)
            store_previous_installation("C:\\Old\\", mode.version);
        start();
        HWND dialog = pass_licence();
        ASSERT_NE(dialog, nullptr);
        screenshot(std::string("destination-") + mode.name);
        EXPECT_EQ(window_text(dialog), caption);
        EXPECT_EQ(control_text(dialog, 1001), caption);
        EXPECT_EQ(control_text(dialog, 1002), mode.description);
        EXPECT_EQ(control_text(dialog, IDOK), mode.button);
        EXPECT_EQ(control_text(dialog, IDCANCEL), "&C a n c e l");
        EXPECT_EQ(control_text(dialog, 1003), mode.folder);
        EXPECT_EQ(is_read_only(GetDlgItem(dialog, 1003)), mode.locked);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, 1004)) != 0, !mode.locked);
        for (int id = 1005; id <= 1007; id++)
            EXPECT_EQ(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0), BST_CHECKED) << id;
        EXPECT_EQ(GetDlgItem(dialog, 1008), nullptr);
        // The banner was scaled into its frame.
        EXPECT_NE(SendDlgItemMessageA(dialog, 1010, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        press_button(dialog, IDCANCEL);
        EXPECT_EQ(wait_for_exit(), 0u);
        EXPECT_FALSE(folder_exists("C:\\Old"));
    }
}

TEST_F(Dialogs, AnInvalidDestinationIsExplainedAndOfferedAgain)
{
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    const std::string too_long = "C:\\" + std::string(112, 'd'); // 115 characters
    for (const std::string &typed : {std::string("C:\\"), std::string(""),
                                     std::string("\\\\server\\share"), too_long}) {
        SCOPED_TRACE(typed);
        confirm_destination(dialog, typed);
        HWND box = wait_for_message_box("Install Brimwave");
        ASSERT_NE(box, nullptr);
        if (typed == "C:\\")
            screenshot("invalid-destination");
        MessageBoxInfo info = read_message_box(box);
        EXPECT_EQ(info.text, invalid_text);
        EXPECT_EQ(info.buttons, std::vector<int>{IDOK});
        EXPECT_EQ(info.icon, "information") << describe_children(box);
        press_button(box, IDOK);
        dialog = wait_for_destination();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(control_text(dialog, 1003), typed) << "the typed text comes back";
    }
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
}

TEST_F(Dialogs, AStoredFolderThatFailsValidationCannotBeCorrected)
{
    store_previous_installation("Old", 99); // update mode: the folder is imposed
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    for (int round = 0; round < 2; round++) {
        press_button(dialog, IDOK);
        HWND box = wait_for_message_box("Install Brimwave");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(read_message_box(box).text, invalid_text);
        press_button(box, IDOK);
        dialog = wait_for_destination();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(control_text(dialog, 1003), "Old");
    }
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
}

TEST_F(Dialogs, ARunningBrimwaveStopsTheInstallUntilItCloses)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = MAIN_WINDOW_CLASS;
    RegisterClassA(&window_class);
    HWND product = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Brimwave", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(product, nullptr);

    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    press_button(dialog, IDOK);
    HWND box = wait_for_message_box("Install Brimwave");
    ASSERT_NE(box, nullptr);
    MessageBoxInfo info = read_message_box(box);
    EXPECT_EQ(info.text, "Installation has detected that Brimwave is currently running. Please "
                         "close before installing.");
    EXPECT_EQ(info.icon, "error");
    // No owner: the dialog stays usable behind the message.
    EXPECT_NE(IsWindowEnabled(dialog), 0);
    press_button(box, IDOK);
    EXPECT_EQ(wait_for_dialog(caption, 1003), dialog) << "the same dialog stays open";

    DestroyWindow(product);
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
}

TEST_F(Dialogs, BrowsingAppendsTheProductFolderWithOneBackslash)
{
    start();
    HWND dialog = pass_licence();
    ASSERT_NE(dialog, nullptr);
    struct Pick {
        std::vector<std::string> path;
        const char *expected;
    } picks[] = {
        {{"Desktop", "My Computer", "C:"}, "C:\\Brimwave"},
        {{"Desktop", "My Computer", "C:", "windows"}, "C:\\windows\\Brimwave"},
    };
    for (const Pick &pick : picks) {
        SCOPED_TRACE(pick.expected);
        press_button(dialog, 1004);
        HWND browser = nullptr;
        for (int i = 0; i < 300 && !browser; i++) {
            HWND window = wait_for_window(setup_.id, nullptr, 50);
            if (window && window != dialog && FindWindowExA(window, nullptr, "SysTreeView32", nullptr))
                browser = window;
        }
        ASSERT_NE(browser, nullptr) << describe_windows(setup_.id);
        HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
        ASSERT_TRUE(select_tree_path(tree, setup_.id, pick.path))
            << describe_tree(tree, setup_.id);
        if (pick.path.size() == 4)
            screenshot("browse");
        press_button(browser, IDOK);
        for (int i = 0; i < 100 && IsWindow(browser); i++)
            Sleep(50);
        EXPECT_EQ(control_text(dialog, 1003), pick.expected);
    }
    press_button(dialog, IDCANCEL);
    EXPECT_EQ(wait_for_exit(), 0u);
}
