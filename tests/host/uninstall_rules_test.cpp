// The uninstaller's decisions without Win32: which recorded paths name this
// installation, which folder it is, and which folders may go.
#include <gtest/gtest.h>
#include <string.h>
#include "product/app/uninstall_rules.h"
#include "tests/host/code_page_stand_in.h"

TEST(IsSamePath, IgnoresAsciiCaseAndOneTrailingBackslash)
{
    struct Case {
        const char *a, *b;
        bool expected;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Brimwave\\Brimwave.exe", "C:\\Program Files\\Brimwave\\Brimwave.exe", true},
        {"c:\\program files\\brimwave\\BRIMWAVE.EXE", "C:\\Program Files\\Brimwave\\Brimwave.exe", true},
        // ProgramDirectory keeps the destination as typed, "C:\A\" included.
        {"C:\\A\\", "C:\\A", true},
        {"C:\\A", "C:\\A\\", true},
        {"C:\\", "C:\\", true},
        // Another folder, or one that only begins the same.
        {"C:\\A", "C:\\AB", false},
        {"C:\\A\\Brimwave.exe", "C:\\B\\Brimwave.exe", false},
        {"C:\\Apps\\Brimwave", "C:\\Apps\\Brimwave\\Sub", false},
        {"C:\\A\\\\", "C:\\A", false}, // only one backslash is dropped
        {"", "C:\\A", false},
        {"", "", true},
        // Letters beyond ASCII compare exactly: "\xC9" is not "\xE9" (E acute).
        {"C:\\\xC9t\xE9", "C:\\\xC9t\xE9", true},
        {"C:\\\xC9t\xE9", "C:\\\xE9t\xE9", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(is_same_path(c.a, c.b), c.expected) << "[" << c.a << "] [" << c.b << "]";
        EXPECT_EQ(is_same_path(c.b, c.a), c.expected) << "[" << c.b << "] [" << c.a << "]";
    }
}

TEST(ProgramFolder, DropsTheFileNameAndItsBackslash)
{
    struct Case {
        const char *path, *expected;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Brimwave\\Brimwave.exe", "C:\\Program Files\\Brimwave"},
        {"C:\\A\\Brimwave.exe", "C:\\A"},
        {"C:\\Brimwave.exe", "C:\\"}, // a drive's root keeps its backslash
        {"\\\\server\\share\\Brimwave.exe", "\\\\server\\share"},
        {"C:\\A\\B\\", "C:\\A\\B"},
    };
    for (const Case &c : cases) {
        char dest[64];
        memset(dest, 'S', sizeof dest);
        EXPECT_TRUE(program_folder(dest, sizeof dest, c.path)) << c.path;
        EXPECT_STREQ(dest, c.expected) << c.path;
    }
}

TEST(ProgramFolder, RefusesAPathWithoutFolderAndOneThatDoesNotFit)
{
    char dest[8];
    const char *refused[] = {"Brimwave.exe", "", "\\Brimwave.exe", "C:\\ABCDEFG\\Brimwave.exe"};
    for (const char *path : refused) {
        memset(dest, 'S', sizeof dest);
        EXPECT_FALSE(program_folder(dest, sizeof dest, path)) << path;
        EXPECT_STREQ(dest, "") << path;
    }
    // Exactly full: seven characters and the zero.
    memset(dest, 'S', sizeof dest);
    EXPECT_TRUE(program_folder(dest, sizeof dest, "C:\\ABCD\\Brimwave.exe"));
    EXPECT_STREQ(dest, "C:\\ABCD");
    EXPECT_FALSE(program_folder(dest, 0, "C:\\A\\Brimwave.exe"));
}

TEST(UninstallCommandProgram, ReadsQuotedAndUnquotedCommands)
{
    struct Case {
        const char *command, *expected;
    };
    const Case cases[] = {
        // As this setup program registers it: quoted when the path has a space.
        {"\"C:\\Program Files\\Brimwave\\Brimwave.exe\" /uninstall", "C:\\Program Files\\Brimwave\\Brimwave.exe"},
        {"C:\\Apps\\Brimwave\\Brimwave.exe /uninstall", "C:\\Apps\\Brimwave\\Brimwave.exe"},
        // As older setup programs wrote it: never quoted, spaces and all.
        {"C:\\Program Files\\Brimwave\\Brimwave.exe /uninstall", "C:\\Program Files\\Brimwave\\Brimwave.exe"},
        {"C:\\Program Files\\Brimwave\\Brimwave.exe  /UNINSTALL  ", "C:\\Program Files\\Brimwave\\Brimwave.exe"},
        {"  \"C:\\A\\Brimwave.exe\"", "C:\\A\\Brimwave.exe"},
        // No switch: the whole command.
        {"C:\\A\\Brimwave.exe", "C:\\A\\Brimwave.exe"},
        // A word that only ends in the switch is part of the path.
        {"C:\\A\\x/uninstall", "C:\\A\\x/uninstall"},
    };
    for (const Case &c : cases) {
        char dest[64];
        memset(dest, 'S', sizeof dest);
        EXPECT_TRUE(uninstall_command_program(dest, sizeof dest, c.command)) << c.command;
        EXPECT_STREQ(dest, c.expected) << c.command;
    }
}

TEST(UninstallCommandProgram, RefusesWhatNamesNoProgram)
{
    const char *refused[] = {
        "", "   ", "\"\" /uninstall", "\"C:\\A\\Brimwave.exe /uninstall",
        "C:\\A-very-long-folder-name-indeed\\Brimwave.exe /uninstall",
    };
    for (const char *command : refused) {
        char dest[32];
        memset(dest, 'S', sizeof dest);
        EXPECT_FALSE(uninstall_command_program(dest, sizeof dest, command)) << command;
        EXPECT_STREQ(dest, "") << command;
    }
}

TEST(IsRemovableFolder, NeverARoot)
{
    struct Case {
        const char *folder;
        bool expected;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Brimwave", true},
        {"C:\\A\\", true},
        {"\\\\server\\share\\Brimwave", true},
        {"C:\\", false},
        {"C:", false},
        {"\\\\server\\share", false},
        {"\\\\server\\share\\", false},
        {"\\\\server", false},
        {"\\", false},
        {"", false},
        // A root however written: runs of backslashes, "." and "..".
        {"\\\\server\\share\\\\", false},
        {"\\\\server\\\\share", false},
        {"C:\\\\", false},
        {"C:\\.", false},
        {"C:\\A\\..", false},
        {"C:\\A\\.\\B", false},
        {"C:\\A\\\\B", true},
        {"C:\\.A", true},
        // And every spelling that Windows tidies into a root or a device.
        {"C:/", false}, {"C:\\/", false}, {"C:\\ ", false}, {"C:\\A\\ ..", false},
        {"//server/share", false}, {"\\\\?\\UNC\\srv\\share", false}, {"\\\\?\\C:\\A", false},
        {"\\\\.\\C:\\A", false}, {"C:\\A\\NUL", false}, {"C:/A", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(is_removable_folder(c.folder), c.expected) << c.folder;
}

TEST(CodePage932, FoldersAreComparedAndCutByWholeCharacters)
{
    CodePage932 code_page;
    EXPECT_TRUE(is_same_path("C:\\\x95\x5C", "c:\\\x95\x5C\\"));
    EXPECT_FALSE(is_same_path("C:\\\x83\x41", "C:\\\x83\x61"));
    char folder[16];
    ASSERT_TRUE(program_folder(folder, sizeof folder, "C:\\\x95\x5C\\B.exe"));
    EXPECT_STREQ(folder, "C:\\\x95\x5C");
    EXPECT_FALSE(is_removable_folder("\\\\server\\\x95\x5C")) << "a share's root";
}

TEST(UninstallRoute, RaisedRightsAreAskedForOnceFromVistaOn)
{
    struct Case {
        const char *what;
        UninstallStart start;
        UninstallRoute expected;
    };
    // nt6_or_later, elevated, marked, marked_id, parent_known, parent_id
    const Case cases[] = {
        {"plain, Windows 9x or XP", {false, false, false, 0, true, 8}, UNINSTALL_ASK_AND_REMOVE},
        {"plain, raised already", {true, true, false, 0, true, 8}, UNINSTALL_ASK_AND_REMOVE},
        {"plain, limited rights", {true, false, false, 0, true, 8}, UNINSTALL_ASK_AND_ELEVATE},
        // The raised start asked in its parent: it never asks again.
        {"raised, marked by its parent", {true, true, true, 8, true, 8}, UNINSTALL_REMOVE},
        // Started marked but not raised (Wine): asks, and raises no more.
        {"unraised, marked by its parent", {true, false, true, 8, true, 8},
         UNINSTALL_ASK_AND_REMOVE},
        // A typed marker is a plain "/uninstall": it asks, and raises where one would.
        {"raised, forged", {true, true, true, 4, true, 8}, UNINSTALL_ASK_AND_REMOVE},
        {"limited, forged", {true, false, true, 4, true, 8}, UNINSTALL_ASK_AND_ELEVATE},
        {"raised, parent unknown", {true, true, true, 0, false, 0}, UNINSTALL_ASK_AND_REMOVE},
        // Malformed: read_elevated_command refused it, whatever id is left.
        {"raised, malformed", {true, true, false, 8, true, 8}, UNINSTALL_ASK_AND_REMOVE},
        {"limited, malformed", {true, false, false, 8, true, 8}, UNINSTALL_ASK_AND_ELEVATE},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(choose_uninstall_route(c.start), c.expected) << c.what;
        // Only the parent's marker makes the copy wait for the parent.
        bool by_parent = c.start.marked && c.start.marked_id == 8;
        EXPECT_EQ(is_marked_by_parent(c.start), by_parent) << c.what;
    }
}

TEST(UninstallResult, ExitCodeAndItsLine)
{
    EXPECT_EQ(removal_exit_code(false, false), 0);
    EXPECT_EQ(removal_exit_code(false, true), 3010);
    EXPECT_EQ(removal_exit_code(true, false), 1);
    EXPECT_EQ(removal_exit_code(true, true), 1);
    char line[128];
    ASSERT_TRUE(build_result_line(line, sizeof line, 0));
    EXPECT_STREQ(line, "Result: 0 Brimwave has been removed");
    ASSERT_TRUE(build_result_line(line, sizeof line, 3));
    EXPECT_STREQ(line, "Result: 3 the user answered No; nothing was removed");
    ASSERT_TRUE(build_result_line(line, sizeof line, 1618));
    EXPECT_STREQ(line, "Result: 1618 Brimwave Setup or another removal is running; nothing was changed");
    EXPECT_FALSE(build_result_line(line, 12, 3010));
    EXPECT_STREQ(line, "Result: 301");
}
