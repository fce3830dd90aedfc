// Shortcuts made in the scratch prefix's shell folders and read back with
// the shell's own IShellLinkA. Notes are answered from a helper thread.
// Targets are created first: Wine's IShellLinkA::SetPath gives S_FALSE for
// a path that does not exist, which counts as a failure here.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string.h>
#include <string>
#include <thread>
#include <vector>
#include "driver/setup_state.h"
#include "services/shortcuts.h"
#include "services/text.h"
#include "tests/support/win32_test_support.h"
#include "tests/win32/message_box_answerer.h"

namespace {
// An ASCII path as the shortcut routines take it.
std::wstring wide(const std::string &path)
{
    return std::wstring(path.begin(), path.end());
}

const char note[] = "NOTE: Could not add shortcut to start menu/desktop.";
const char scratch[] = "C:\\brimwave-shortcut-test";
const char shell_folders_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What a test creates, removed again in reverse order; things that were
// there before (another test's installation, say) are left alone.
class Scratch {
public:
    ~Scratch()
    {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it)
            if (!DeleteFileA(it->c_str()))
                RemoveDirectoryA(it->c_str());
    }
    void folder(const std::string &path)
    {
        for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
            std::string level = path.substr(0, at);
            if (!level.empty() && level.back() != ':' && !exists(level) &&
                CreateDirectoryA(level.c_str(), nullptr))
                made_.push_back(level);
            if (at == std::string::npos)
                break;
        }
    }
    // A file the code under test makes.
    void remove_later(const std::string &path) { made_.push_back(path); }
    void file(const std::string &path)
    {
        folder(path.substr(0, path.rfind('\\')));
        if (exists(path))
            return;
        HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            made_.push_back(path);
        }
    }

private:
    std::vector<std::string> made_;
};

void set_destination(const std::string &folder)
{
    ASSERT_TRUE(copy_text(destination, sizeof destination, folder.c_str())) << folder;
}

// add_shortcut with every message box answered; the boxes it showed.
std::vector<AnsweredBox> add_shortcut_answering(int csidl)
{
    MessageBoxAnswerer answerer(IDOK);
    add_shortcut(csidl, destination, "Brimwave.exe");
    return answerer.finish();
}

void expect_one_note(const std::vector<AnsweredBox> &boxes)
{
    ASSERT_EQ(boxes.size(), 1u) << describe(boxes);
    EXPECT_EQ(boxes[0].info.title, "Install Brimwave");
    EXPECT_EQ(boxes[0].info.text, note);
    EXPECT_EQ(boxes[0].info.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(boxes[0].info.icon, "information");
    EXPECT_EQ(boxes[0].owner, nullptr);
}

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override { remove_shortcuts(); }
    void TearDown() override
    {
        remove_shortcuts();
        destination[0] = 0;
    }
    static void remove_shortcuts()
    {
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}) {
            DeleteFileA(shortcut_path(csidl).c_str());
            RemoveDirectoryA(shortcut_path(csidl).c_str());
        }
    }
    Scratch scratch_files;
};
} // namespace

TEST_F(Shortcuts, CreateShellLinkSavesTargetWorkingFolderAndDescription)
{
    std::string target = std::string(scratch) + "\\bin\\program.exe";
    std::string file = std::string(scratch) + "\\made.lnk";
    scratch_files.file(target);
    scratch_files.remove_later(file);
    ASSERT_TRUE(create_shell_link(target.c_str(), wide(file).c_str(), "A description", "D:\\work\\"));
    Shortcut link = read_shortcut(file);
    ASSERT_TRUE(link.loaded) << file;
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.folder, "D:\\work\\");
    EXPECT_EQ(link.description, "A description");
}

TEST_F(Shortcuts, CreateShellLinkFailsWhenAStepIsNotExactlyS_OK)
{
    std::string target = std::string(scratch) + "\\program.exe";
    scratch_files.file(target);
    // Save fails (access denied) when a folder stands where the file should go.
    std::string blocked = std::string(scratch) + "\\blocked.lnk";
    scratch_files.folder(blocked);
    EXPECT_FALSE(create_shell_link(target.c_str(), wide(blocked).c_str(), "Brimwave", scratch));
    EXPECT_TRUE(folder_exists(blocked));

    // SetPath gives S_FALSE for a target that does not exist.
    std::string file = std::string(scratch) + "\\missing-target.lnk";
    scratch_files.remove_later(file);
    EXPECT_FALSE(create_shell_link((std::string(scratch) + "\\absent.exe").c_str(), wide(file).c_str(),
                                   "Brimwave", scratch));
    EXPECT_FALSE(exists(file));
}

// COM is uninitialised exactly when this call's CoInitialize counted (S_OK or
// S_FALSE): a thread the caller put in the multithreaded apartment keeps it.
TEST_F(Shortcuts, CreateShellLinkLeavesTheThreadsApartmentAsItFoundIt)
{
    enum Apartment { NONE, SINGLE, MULTI };
    // Probing enters and leaves the apartment once, which changes nothing.
    auto apartment = [] {
        HRESULT probe = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (probe == RPC_E_CHANGED_MODE)
            return MULTI;
        CoUninitialize();
        return probe == S_OK ? NONE : SINGLE;
    };
    std::string target = std::string(scratch) + "\\program.exe";
    std::string file = std::string(scratch) + "\\apartment.lnk";
    scratch_files.file(target);
    scratch_files.remove_later(file);
    for (Apartment before : {NONE, SINGLE, MULTI}) {
        Apartment during = NONE, after = NONE;
        bool saved = false;
        // A fresh thread for each case, so the test's own thread keeps no state.
        std::thread([&] {
            if (before != NONE)
                CoInitializeEx(nullptr, before == SINGLE ? COINIT_APARTMENTTHREADED
                                                         : COINIT_MULTITHREADED);
            saved = create_shell_link(target.c_str(), wide(file).c_str(), "Brimwave", scratch);
            during = apartment();
            if (before != NONE)
                CoUninitialize();
            after = apartment();
        }).join();
        EXPECT_TRUE(saved) << "apartment " << before;
        EXPECT_EQ(during, before) << "apartment " << before;
        EXPECT_EQ(after, NONE) << "apartment " << before;
    }
}

TEST_F(Shortcuts, AddShortcutPointsAtTheInstalledProgram)
{
    struct Case {
        const char *destination, *target;
    } cases[] = {
        {"C:\\Program Files\\Brimwave", "C:\\Program Files\\Brimwave\\Brimwave.exe"},
        {"C:\\A\\", "C:\\A\\Brimwave.exe"}, // the working folder stays as typed
    };
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.destination) + " in folder " + std::to_string(csidl));
            scratch_files.file(c.target);
            set_destination(c.destination);
            std::vector<AnsweredBox> boxes = add_shortcut_answering(csidl);
            EXPECT_TRUE(boxes.empty()) << describe(boxes);
            Shortcut link = read_shortcut(shortcut_path(csidl));
            ASSERT_TRUE(link.loaded) << shortcut_path(csidl);
            EXPECT_EQ(link.target, c.target);
            EXPECT_EQ(link.folder, c.destination);
            EXPECT_EQ(link.description, "Brimwave");
            DeleteFileA(shortcut_path(csidl).c_str());
        }
    }
}

TEST_F(Shortcuts, RunningTwiceReplacesTheShortcutWithoutANote)
{
    scratch_files.file("C:\\Program Files\\Brimwave\\Brimwave.exe");
    scratch_files.file("C:\\A\\Brimwave.exe");
    set_destination("C:\\Program Files\\Brimwave");
    std::vector<AnsweredBox> first = add_shortcut_answering(CSIDL_PROGRAMS);
    set_destination("C:\\A");
    std::vector<AnsweredBox> second = add_shortcut_answering(CSIDL_PROGRAMS);
    EXPECT_TRUE(first.empty()) << describe(first);
    EXPECT_TRUE(second.empty()) << describe(second);
    Shortcut link = read_shortcut(shortcut_path(CSIDL_PROGRAMS));
    EXPECT_EQ(link.target, "C:\\A\\Brimwave.exe");
    EXPECT_EQ(link.folder, "C:\\A");
}

TEST_F(Shortcuts, AFolderInTheWayGivesTheNoteOnceAndTheOtherShortcutStays)
{
    scratch_files.file("C:\\A\\Brimwave.exe");
    set_destination("C:\\A");
    ASSERT_TRUE(CreateDirectoryA(shortcut_path(CSIDL_DESKTOPDIRECTORY).c_str(), nullptr));
    std::vector<AnsweredBox> programs = add_shortcut_answering(CSIDL_PROGRAMS);
    std::vector<AnsweredBox> desktop = add_shortcut_answering(CSIDL_DESKTOPDIRECTORY);
    EXPECT_TRUE(programs.empty()) << describe(programs);
    expect_one_note(desktop);
    EXPECT_TRUE(folder_exists(shortcut_path(CSIDL_DESKTOPDIRECTORY)));
    EXPECT_EQ(read_shortcut(shortcut_path(CSIDL_PROGRAMS)).target, "C:\\A\\Brimwave.exe");
}

TEST_F(Shortcuts, AShellFolderWithoutAPathGivesTheNote)
{
    scratch_files.file("C:\\A\\Brimwave.exe");
    set_destination("C:\\A");
    // My Computer has an item list but no file-system path; 0x7F is no folder.
    for (int csidl : {CSIDL_DRIVES, 0x7F}) {
        SCOPED_TRACE(csidl);
        expect_one_note(add_shortcut_answering(csidl));
    }
}

// The target is the destination, a backslash unless it ends with one, and
// "Brimwave.exe", in 260 characters. A doubled backslash cannot be seen in
// the saved shortcut (the shell link normalises the target), only here, where
// one character more does not fit.
TEST_F(Shortcuts, ADestinationTooLongForTheTargetGivesTheNoteAndNoShortcut)
{
    const std::string longest = "C:\\" + std::string(243, 'd');
    const std::string with_backslash = "C:\\" + std::string(243, 'e') + "\\";
    struct Case {
        std::string destination, target; // empty target: it does not fit
    } cases[] = {
        {longest, longest + "\\Brimwave.exe"},             // 246 + 13 characters
        {with_backslash, with_backslash + "Brimwave.exe"}, // 247 + 12
        {longest + "d", ""},
        {longest + std::string(9, 'd'), ""}, // 255, the longest destination there is
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.destination.size());
        if (!c.target.empty())
            scratch_files.file(c.target);
        set_destination(c.destination);
        std::vector<AnsweredBox> boxes = add_shortcut_answering(CSIDL_PROGRAMS);
        if (!c.target.empty()) {
            EXPECT_TRUE(boxes.empty()) << describe(boxes);
            EXPECT_EQ(read_shortcut(shortcut_path(CSIDL_PROGRAMS)).target, c.target);
        } else {
            expect_one_note(boxes);
            EXPECT_FALSE(exists(shortcut_path(CSIDL_PROGRAMS)));
        }
        DeleteFileA(shortcut_path(CSIDL_PROGRAMS).c_str());
    }
}

namespace {
// Puts the per-user programs folder setting back as it was.
struct ProgramsFolderSetting {
    DWORD type = 0;
    std::vector<unsigned char> original;
    bool saved = read_value(HKEY_CURRENT_USER, shell_folders_key, "Programs", &type, &original);
    ~ProgramsFolderSetting()
    {
        if (saved)
            write_value(HKEY_CURRENT_USER, shell_folders_key, "Programs", type, original.data(),
                        (DWORD)original.size());
    }
};
} // namespace

// The programs folder moved through the per-user shell folder setting: to a
// drive root, and to folders whose shortcut path just fits 260 characters or
// does not.
TEST_F(Shortcuts, ShortcutFilePathsAtTheEdgesOfTheirBuffer)
{
    ProgramsFolderSetting setting;
    ASSERT_TRUE(setting.saved);
    scratch_files.file("C:\\A\\Brimwave.exe");
    set_destination("C:\\A");
    struct Case {
        std::string folder, shortcut; // empty shortcut: none fits
    } cases[] = {
        {"C:\\", "C:\\" SHORTCUT_NAME},
        {"C:\\" + std::string(243, 'p'), "C:\\" + std::string(243, 'p') + "\\" SHORTCUT_NAME},
        {"C:\\" + std::string(244, 'q'), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder.size());
        scratch_files.folder(c.folder);
        if (!c.shortcut.empty())
            scratch_files.remove_later(c.shortcut);
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, shell_folders_key, "Programs", REG_EXPAND_SZ,
                                c.folder.c_str(), (DWORD)c.folder.size() + 1));
        std::vector<AnsweredBox> boxes = add_shortcut_answering(CSIDL_PROGRAMS);
        if (c.shortcut.empty()) {
            expect_one_note(boxes);
            EXPECT_FALSE(exists(c.folder + "\\" SHORTCUT_NAME));
        } else {
            EXPECT_TRUE(boxes.empty()) << describe(boxes);
            EXPECT_EQ(read_shortcut(c.shortcut).target, "C:\\A\\Brimwave.exe");
        }
    }
}
