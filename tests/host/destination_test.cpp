#include <gtest/gtest.h>
#include <string.h>
#include <set>
#include <string>
#include <vector>
#include "driver/companion.h"
#include "driver/destination.h"
#include "driver/install_state_rules.h"
#include "tests/host/code_page_stand_in.h"
#include "services/full_path.h"
#include "services/product.h"

namespace {
std::string fresh(const char *program_files, const char *windows_directory)
{
    char destination[DESTINATION_SIZE];
    memset(destination, 'S', sizeof destination);
    choose_fresh_destination(destination, program_files, windows_directory);
    EXPECT_LT(strnlen(destination, sizeof destination), sizeof destination);
    return destination;
}
} // namespace

TEST(FreshDestination, ProgramFilesRule)
{
    EXPECT_EQ(fresh("C:\\Program Files", "C:\\WINDOWS"), "C:\\Program Files\\Brimwave");
    EXPECT_EQ(fresh("E:\\Apps\\", "C:\\WINDOWS"), "E:\\Apps\\Brimwave");
    EXPECT_EQ(fresh("E:\\Apps\\\\", "C:\\WINDOWS"), "E:\\Apps\\\\Brimwave"); // one dropped only
}

TEST(FreshDestination, WindowsDirectoryRule)
{
    EXPECT_EQ(fresh(nullptr, "D:\\WINDOWS"), "D:\\Program Files\\Brimwave");
    EXPECT_EQ(fresh("", "D:\\WINDOWS"), "D:\\Program Files\\Brimwave");
    EXPECT_EQ(fresh(nullptr, "\\\\server\\win"), "");
    EXPECT_EQ(fresh(nullptr, "D"), "");
    EXPECT_EQ(fresh(nullptr, nullptr), "");
}

TEST(FreshDestination, TooLongProgramFilesFallsBackToTheWindowsDirectory)
{
    // "\Brimwave" is 9 characters: 246 + 9 = 255 fits the 256-byte buffer.
    std::string fits = "C:\\" + std::string(243, 'p');
    EXPECT_EQ(fresh(fits.c_str(), "D:\\WINDOWS"), fits + "\\Brimwave");
    std::string too_long = "C:\\" + std::string(244, 'p');
    EXPECT_EQ(fresh(too_long.c_str(), "D:\\WINDOWS"), "D:\\Program Files\\Brimwave");
    std::string with_backslash = fits + "\\"; // the dropped backslash makes room
    EXPECT_EQ(fresh(with_backslash.c_str(), "D:\\WINDOWS"), fits + "\\Brimwave");
}

TEST(DestinationValidation, DriveColonBackslashAndAName)
{
    const char *accepted[] = {"C:\\x", "1:\\x", "C:\\A\\", "C:\\Program Files\\Brimwave",
                              "C:\\A\\..\\B", "C:\\.A", "C:\\NUL\\A", "C:\\COM0"};
    const char *rejected[] = {"", "C:\\", "C:", "C", "\\\\server\\share", "C:x\\y", ":\\x",
                              "CC:\\x",
                              // The root, a device or unclear in the form Windows reads.
                              "C:\\.", "C:\\A\\..\\..", "C:\\A\\..", "C:\\/", "C:\\ ", "C:\\...",
                              "C:\\A\\. \\B", "C:\\NUL", "C:\\A\\com1.txt"};
    for (const char *d : accepted)
        EXPECT_TRUE(is_acceptable_destination(d)) << d;
    for (const char *d : rejected)
        EXPECT_FALSE(is_acceptable_destination(d)) << d;
}

TEST(DestinationValidation, EveryFullPathFitsWhatLz32CanOpen)
{
    // Folder, backslash and "Brimwave.exe" or "tempfile.tmp" (12, the longest
    // names; the staged "~BW5000.NEW" is 11) within 127.
    std::string longest = "C:\\" + std::string(111, 'd'); // 114 characters
    EXPECT_TRUE(is_acceptable_destination(longest.c_str()));
    EXPECT_TRUE(is_acceptable_destination((longest + "\\").c_str())); // no second backslash
    EXPECT_FALSE(is_acceptable_destination((longest + "d").c_str()));
    EXPECT_FALSE(is_acceptable_destination((longest + "d\\").c_str()));
    std::string huge = "C:\\" + std::string(252, 'd');
    EXPECT_FALSE(is_acceptable_destination(huge.c_str()));
}

TEST(UninstallCommand, QuotedOnlyWhenThePathHoldsASpace)
{
    char command[UNINSTALL_COMMAND_SIZE];
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, "C:\\A"));
    EXPECT_STREQ(command, "C:\\A\\Brimwave.exe /uninstall");
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, "C:\\A\\"));
    EXPECT_STREQ(command, "C:\\A\\Brimwave.exe /uninstall");
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, "C:\\Program Files\\Brimwave"));
    EXPECT_STREQ(command, "\"C:\\Program Files\\Brimwave\\Brimwave.exe\" /uninstall");
}

TEST(UninstallCommand, RefusesWhatDoesNotFitItsBuffer)
{
    char command[UNINSTALL_COMMAND_SIZE];
    // 235 + "\Brimwave.exe" (13) + " /uninstall" (11) = 259 characters and the zero.
    std::string fits = "C:\\" + std::string(232, 'd');
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, fits.c_str()));
    EXPECT_EQ(strlen(command), 259u);
    std::string too_long = fits + "d";
    EXPECT_FALSE(build_uninstall_command(command, sizeof command, too_long.c_str()));
    // Quotes count too: 233 with a space, plus 2 quotes = 259.
    std::string spaced = "C:\\ " + std::string(229, 'd');
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, spaced.c_str()));
    EXPECT_FALSE(build_uninstall_command(command, sizeof command, (spaced + "d").c_str()));
}

TEST(StagedNames, AreDistinct83NamesThatNeverEndInAnUnderscore)
{
    std::vector<std::string> names;
    std::set<std::string> distinct;
    for (const FileTableEntry &entry : payload_files) {
        char name[STAGED_NAME_SIZE];
        ASSERT_TRUE(make_staging_name(entry.resource_id, name));
        names.push_back(name);
        for (int i = 0; i < BACKUP_NAME_COUNT; i++) {
            ASSERT_TRUE(make_backup_name(entry.resource_id, i, name));
            if (i == 0 || i == 1 || i == BACKUP_NAME_COUNT - 1)
                names.push_back(name);
            EXPECT_LE(strlen(name), 12u) << name;
            EXPECT_NE(name[strlen(name) - 1], '_') << name;
            EXPECT_TRUE(is_staged_name(name)) << name;
            distinct.insert(name);
        }
    }
    EXPECT_EQ(distinct.size(), 2u * BACKUP_NAME_COUNT);
    EXPECT_EQ(names, (std::vector<std::string>{"~BW5000.NEW", "~BW5000.OLD", "~BW5000.O01",
                                               "~BW5000.O99", "~BW5001.NEW", "~BW5001.OLD",
                                               "~BW5001.O01", "~BW5001.O99"}));
    EXPECT_TRUE(is_staged_name("~bw5001.new"));
    for (const char *other : {"~BW5000.O00", "~BW5000.OLDX", "~BW500.OLD", "Brimwave.exe", ""})
        EXPECT_FALSE(is_staged_name(other)) << other;
    char name[STAGED_NAME_SIZE];
    EXPECT_FALSE(make_backup_name(5000, BACKUP_NAME_COUNT, name));
    EXPECT_TRUE(make_backup_name(99999, 0, name));
    EXPECT_FALSE(make_backup_name(100000, 0, name)) << "six digits do not fit";
}

TEST(CodePage932, AFolderEndingInATrailByteLikeABackslashKeepsIt)
{
    CodePage932 code_page;
    EXPECT_EQ(fresh("C:\\\x95\x5C", nullptr), "C:\\\x95\x5C\\Brimwave");
    char command[UNINSTALL_COMMAND_SIZE];
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, "C:\\\x95\x5C"));
    EXPECT_STREQ(command, "C:\\\x95\x5C\\Brimwave.exe /uninstall");
    char folder[COMPANION_FOLDER_SIZE], program[COMPANION_PROGRAM_SIZE];
    EXPECT_TRUE(companion_paths("\"D:\\\x95\x5C.EXE\"", "D:\\\x95\x5C.EXE", folder, program));
}

TEST(CodePage932, AFolderEndingInALeadByteIsNeitherProposedNorAccepted)
{
    CodePage932 code_page;
    // "\Brimwave" after a lone 0x95 would read as 表 and "Brimwave".
    EXPECT_EQ(fresh("C:\\Apps\x95", "D:\\WINDOWS"), "D:\\Program Files\\Brimwave");
    EXPECT_FALSE(is_acceptable_destination("C:\\Apps\x95"));
    EXPECT_TRUE(is_acceptable_destination("C:\\Apps\x95\x5C"));
}

TEST(UninstallCommand, ABlankIsQuotedAndAQuoteRefused)
{
    char command[UNINSTALL_COMMAND_SIZE];
    ASSERT_TRUE(build_uninstall_command(command, sizeof command, "C:\\A\tB"));
    EXPECT_STREQ(command, "\"C:\\A\tB\\Brimwave.exe\" /uninstall");
    memset(command, 'S', sizeof command);
    EXPECT_FALSE(build_uninstall_command(command, sizeof command, "C:\\A\"B"));
    EXPECT_STREQ(command, "");
    EXPECT_FALSE(is_acceptable_destination("C:\\A \"B"));
}

TEST(UninstallCommand, ARefusedCommandIsAnEmptyText)
{
    char command[UNINSTALL_COMMAND_SIZE];
    memset(command, 'S', sizeof command);
    std::string long_folder = "C:\\" + std::string(300, 'a');
    EXPECT_FALSE(build_uninstall_command(command, sizeof command, long_folder.c_str()));
    EXPECT_LT(strnlen(command, sizeof command), sizeof command);
}

TEST(FullPathForm, TidiedAsWindowsTidiesIt)
{
    struct Case {
        const char *path;
        FullPathForm form;
        const char *full;
    };
    const Case cases[] = {
        {"C:\\A", FULL_PATH_FOLDER, "C:\\A"}, {"c:/A//B\\", FULL_PATH_FOLDER, "c:\\A\\B"},
        {"C:\\A\\.\\B\\..\\C", FULL_PATH_FOLDER, "C:\\A\\C"},
        {"C:\\..\\..\\A", FULL_PATH_FOLDER, "C:\\A"},
        {"C:\\A.\\B. .", FULL_PATH_FOLDER, "C:\\A\\B"},
        {"C:\\A..\\B \\", FULL_PATH_FOLDER, "C:\\A.\\B "},
        {"C:\\.A\\...B", FULL_PATH_FOLDER, "C:\\.A\\...B"},
        {"\\\\srv\\share\\A\\..\\B", FULL_PATH_FOLDER, "\\\\srv\\share\\B"},
        {"//srv/share/A", FULL_PATH_FOLDER, "\\\\srv\\share\\A"},
        {"C:\\CON\\x", FULL_PATH_FOLDER, "C:\\CON\\x"},
        {"C:\\COM10", FULL_PATH_FOLDER, "C:\\COM10"}, {"C:\\", FULL_PATH_ROOT, "C:\\"},
        {"C:/", FULL_PATH_ROOT, "C:\\"}, {"C:\\/", FULL_PATH_ROOT, "C:\\"},
        {"C:\\.", FULL_PATH_ROOT, "C:\\"}, {"C:\\A\\..\\..", FULL_PATH_ROOT, "C:\\"},
        {"C:\\A.\\..", FULL_PATH_ROOT, "C:\\"},
        {"\\\\srv\\share", FULL_PATH_ROOT, "\\\\srv\\share"},
        {"\\\\srv\\share\\A\\..\\", FULL_PATH_ROOT, "\\\\srv\\share"},
        {"\\\\srv\\", FULL_PATH_ROOT, ""}, {"\\\\?\\UNC\\srv\\share", FULL_PATH_DEVICE, ""},
        {"\\\\?\\C:\\A", FULL_PATH_DEVICE, ""}, {"//./C:/A", FULL_PATH_DEVICE, ""},
        {"\\\\.", FULL_PATH_DEVICE, ""}, {"C:\\A\\nul", FULL_PATH_DEVICE, ""},
        {"C:\\A\\Lpt9 .txt", FULL_PATH_DEVICE, ""}, {"C:\\A\\aux:x", FULL_PATH_DEVICE, ""},
        {"", FULL_PATH_RELATIVE, ""}, {"A\\B", FULL_PATH_RELATIVE, ""},
        {"\\A", FULL_PATH_RELATIVE, ""}, {"C:", FULL_PATH_RELATIVE, ""},
        {"C:A", FULL_PATH_RELATIVE, ""}, {"C:\\ ", FULL_PATH_UNCLEAR, ""},
        {"C:\\A\\...", FULL_PATH_UNCLEAR, ""}, {"C:\\A\\.. \\B", FULL_PATH_UNCLEAR, ""},
        {"\\\\srv\\\\share", FULL_PATH_UNCLEAR, ""}, {"\\\\\\srv\\share", FULL_PATH_UNCLEAR, ""},
    };
    for (const Case &c : cases) {
        char full[16];
        memset(full, 'S', sizeof full);
        EXPECT_EQ(full_path_form(full, sizeof full, c.path), c.form) << c.path;
        EXPECT_STREQ(full, c.full) << c.path;
    }
    char full[8];
    EXPECT_EQ(full_path_form(full, sizeof full, "C:\\ABCDEF"), FULL_PATH_TOO_LONG);
    EXPECT_STREQ(full, "");
    EXPECT_EQ(full_path_form(full, sizeof full, "C:\\ABCD"), FULL_PATH_FOLDER);
    EXPECT_EQ(full_path_form(full, sizeof full, "C:\\A\\..\\ABCDEFGH\\.."), FULL_PATH_TOO_LONG);
}

TEST(CodePage932, TheFullFormStepsByWholeCharacters)
{
    CodePage932 code_page;
    char full[16];
    // 95 5C is one character: its second byte is no separator.
    EXPECT_EQ(full_path_form(full, sizeof full, "C:\\\x95\x5C\\.."), FULL_PATH_ROOT);
    EXPECT_EQ(full_path_form(full, sizeof full, "C:\\\x95\x5C.."), FULL_PATH_FOLDER);
    EXPECT_STREQ(full, "C:\\\x95\x5C");
    EXPECT_EQ(full_path_form(full, sizeof full, "\\\\\x95\x5C\\\x95\x5C"), FULL_PATH_ROOT);
}
