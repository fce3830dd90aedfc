// The command line that starts the temporary copy finishing an uninstall:
// written by one process, read back by the other.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "product/app/command_line.h"

TEST(FinishCommand, IsReadBackAsWritten)
{
    struct Case {
        const char *program;
        uint32_t process_id;
        const char *folder;
        const char *expected;
    };
    const Case cases[] = {
        {"C:\\users\\me\\Temp\\bwu1A.tmp", 1234, "C:\\Program Files\\Brimwave",
         "\"C:\\users\\me\\Temp\\bwu1A.tmp\" /finish-uninstall 1234 \"C:\\Program Files\\Brimwave\""},
        {"C:\\T\\b.tmp", 0, "C:\\", "\"C:\\T\\b.tmp\" /finish-uninstall 0 \"C:\\\""},
        {"C:\\T\\b.tmp", 0xFFFFFFFFu, "\\\\server\\share\\Brimwave",
         "\"C:\\T\\b.tmp\" /finish-uninstall 4294967295 \"\\\\server\\share\\Brimwave\""},
    };
    for (const Case &c : cases) {
        char command[128];
        memset(command, 'S', sizeof command);
        ASSERT_TRUE(build_finish_command(command, sizeof command, c.program, c.process_id, c.folder))
            << c.folder;
        EXPECT_STREQ(command, c.expected);
        uint32_t process_id = 77;
        char folder[64];
        memset(folder, 'S', sizeof folder);
        ASSERT_TRUE(read_finish_command(command, &process_id, folder, sizeof folder)) << command;
        EXPECT_EQ(process_id, c.process_id) << command;
        EXPECT_STREQ(folder, c.folder) << command;
        // The private switch is not the user's "/uninstall".
        EXPECT_FALSE(has_switch(command, "/uninstall")) << command;
        EXPECT_TRUE(has_switch(command, finish_uninstall_switch)) << command;
    }
}

TEST(FinishCommand, BuildRefusesWhatCouldNotBeReadBack)
{
    struct Case {
        const char *program, *folder;
        size_t size;
    };
    const Case cases[] = {
        {"C:\\T\\b.tmp", "C:\\A\"B", 120}, // a quote would end the folder early
        {"C:\\T\\\"b.tmp", "C:\\A", 120},
        {"", "C:\\A", 120},
        {"C:\\T\\b.tmp", "", 120},
        // 39 characters and the zero need 40 bytes.
        {"C:\\T\\b.tmp", "C:\\A", 39},
    };
    for (const Case &c : cases) {
        char command[128];
        memset(command, 'S', sizeof command);
        EXPECT_FALSE(build_finish_command(command, c.size, c.program, 5, c.folder))
            << c.program << " " << c.folder << " " << c.size;
        EXPECT_STREQ(command, "");
        EXPECT_EQ(command[c.size], 'S') << "nothing written past the buffer";
    }
    char command[40];
    EXPECT_TRUE(build_finish_command(command, sizeof command, "C:\\T\\b.tmp", 5, "C:\\A"));
    EXPECT_EQ(strlen(command), 39u);
}

TEST(FinishCommand, ReadRefusesAnythingElse)
{
    const char *refused[] = {
        "",
        "\"C:\\T\\b.tmp\"",
        "\"C:\\T\\b.tmp\" /uninstall",
        "\"C:\\T\\b.tmp\" /finish-uninstall",
        "\"C:\\T\\b.tmp\" /finish-uninstall 12",
        "\"C:\\T\\b.tmp\" /finish-uninstall \"C:\\A\"",
        "\"C:\\T\\b.tmp\" /finish-uninstall 12 C:\\A",           // folder unquoted
        "\"C:\\T\\b.tmp\" /finish-uninstall 12 \"\"",            // empty folder
        "\"C:\\T\\b.tmp\" /finish-uninstall 12 \"C:\\A",         // unclosed quote
        "\"C:\\T\\b.tmp\" /finish-uninstall 12 \"C:\\A\"x",
        "\"C:\\T\\b.tmp\" /finish-uninstall 12 \"C:\\A\" extra",
        "\"C:\\T\\b.tmp\" /finish-uninstall -12 \"C:\\A\"",
        "\"C:\\T\\b.tmp\" /finish-uninstall 1x \"C:\\A\"",
        "\"C:\\T\\b.tmp\" /finish-uninstall 4294967296 \"C:\\A\"", // past 32 bits
        "\"C:\\T\\b.tmp\" /finish-uninstall 99999999999999999999 \"C:\\A\"",
        "\"C:\\T\\b.tmp\" \"C:\\A\" /finish-uninstall 12",
        "/finish-uninstall 12 \"C:\\A\"", // the switch as the program name
    };
    for (const char *command : refused) {
        uint32_t process_id = 0;
        char folder[64];
        EXPECT_FALSE(read_finish_command(command, &process_id, folder, sizeof folder)) << command;
    }
    EXPECT_FALSE(read_finish_command(nullptr, nullptr, nullptr, 0));
}

TEST(FinishCommand, ReadRefusesAFolderThatDoesNotFit)
{
    const char command[] = "\"C:\\T\\b.tmp\" /finish-uninstall 12 \"C:\\ABCDE\"";
    uint32_t process_id = 0;
    char folder[16];
    memset(folder, 'S', sizeof folder);
    EXPECT_FALSE(read_finish_command(command, &process_id, folder, 8)); // 8 characters and the zero
    EXPECT_EQ(folder[8], 'S') << "nothing written past the given size";
    EXPECT_TRUE(read_finish_command(command, &process_id, folder, 9));
    EXPECT_STREQ(folder, "C:\\ABCDE");
}

TEST(ElevatedCommand, IsReadBackAsWrittenAndNothingElse)
{
    char parameters[40];
    ASSERT_TRUE(build_elevated_parameters(parameters, sizeof parameters, 4294967295u));
    EXPECT_STREQ(parameters, "/uninstall /elevated 4294967295");
    uint32_t id = 0;
    EXPECT_TRUE(read_elevated_command((std::string("B.exe ") + parameters).c_str(), &id));
    EXPECT_EQ(id, 4294967295u);
    // The id is written only when the whole command is right: not when a
    // bad argument follows a good one.
    for (const char *other : {"B.exe /uninstall", "B.exe /uninstall /elevated",
                              "B.exe /uninstall /elevated 12 x", "B.exe /elevated 12",
                              "B.exe /uninstall /elevated 12 /elevated 13",
                              "B.exe /uninstall /elevated 4294967296"}) {
        id = 77;
        EXPECT_FALSE(read_elevated_command(other, &id)) << other;
        EXPECT_EQ(id, 77u) << other;
    }
    char small[20];
    EXPECT_FALSE(build_elevated_parameters(small, sizeof small, 1));
    EXPECT_STREQ(small, "");
}

TEST(UninstallOptions, QuietAndLogInAnyOrderAndCase)
{
    struct Case {
        const char *command;
        bool quiet;
        const char *log;
    };
    const Case cases[] = {
        {"\"C:\\B\\Brimwave.exe\" /uninstall", false, ""},
        {"\"C:\\B\\Brimwave.exe\" /uninstall /S", true, ""},
        {"C:\\B\\Brimwave.exe /uninstall /s /log=C:\\u.log", true, "C:\\u.log"},
        {"B.exe /LOG=C:\\u.log /S /UNINSTALL", true, "C:\\u.log"},
        {"B.exe /uninstall /Log=\"C:\\My logs\\u.log\" /S", true, "C:\\My logs\\u.log"},
        {"B.exe /uninstall /LOG=\"C:\\My logs\"\\u.log", false, "C:\\My logs\\u.log"},
        // The program name is no option.
        {"/S /uninstall", false, ""},
    };
    for (const Case &c : cases) {
        UninstallOptions options;
        memset(&options, 'S', sizeof options);
        ASSERT_TRUE(read_uninstall_options(c.command, &options)) << c.command;
        EXPECT_EQ(options.quiet, c.quiet) << c.command;
        EXPECT_STREQ(options.log_file, c.log) << c.command;
    }
}

TEST(UninstallOptions, ALogNamingNothingOrTooLongIsRefusedQuietStillRead)
{
    const std::string too_long = "B.exe /uninstall /S /LOG=C:\\" + std::string(LOG_FILE_SIZE, 'a');
    const std::string longest = "B.exe /uninstall /LOG=C:\\" + std::string(LOG_FILE_SIZE - 4, 'a');
    // Neither a quoted option nor a longer word, nor any other argument
    // (the raised start's marker has a reader of its own).
    for (const std::string &command :
         {std::string("B.exe /uninstall /LOG= /S"), std::string("B.exe /uninstall /LOG=\"\" /S"),
          too_long, std::string("B.exe /uninstall /silent /S"),
          std::string("B.exe /uninstall \"/S\" /S"), std::string("B.exe /uninstall /Sx /S"),
          std::string("B.exe /uninstall /LOGS=x /S"), std::string("B.exe /uninstall /elevated 12 /S")}) {
        UninstallOptions options;
        EXPECT_FALSE(read_uninstall_options(command.c_str(), &options)) << command;
        EXPECT_TRUE(options.quiet) << "the refusal stays quiet: " << command;
        EXPECT_STREQ(options.log_file, "") << command;
    }
    UninstallOptions options;
    EXPECT_TRUE(read_uninstall_options(longest.c_str(), &options));
    EXPECT_EQ(strlen(options.log_file), LOG_FILE_SIZE - 1u);
}

TEST(FinishCommand, CarriesTheOptionsToTheCopy)
{
    UninstallOptions options = {true, "C:\\My logs\\u.log"};
    char command[160];
    ASSERT_TRUE(build_finish_command(command, sizeof command, "C:\\T\\B.exe", 12, "C:\\A", &options));
    EXPECT_STREQ(command, "\"C:\\T\\B.exe\" /finish-uninstall 12 \"C:\\A\" /S /LOG=\"C:\\My logs\\u.log\"");
    UninstallOptions read = {false, "x"};
    uint32_t id = 0;
    char folder[16];
    ASSERT_TRUE(read_finish_command(command, &id, folder, sizeof folder, &read));
    EXPECT_TRUE(read.quiet);
    EXPECT_STREQ(read.log_file, "C:\\My logs\\u.log");
    EXPECT_STREQ(folder, "C:\\A");
    // Without options to read into, nothing may follow the folder.
    EXPECT_FALSE(read_finish_command(command, &id, folder, sizeof folder));
    // Nothing but the two options, and none empty.
    for (const char *other : {"B.exe /finish-uninstall 12 \"C:\\A\" /uninstall",
                              "B.exe /finish-uninstall 12 \"C:\\A\" /S x",
                              "B.exe /finish-uninstall 12 \"C:\\A\" /LOG="}) {
        EXPECT_FALSE(read_finish_command(other, &id, folder, sizeof folder, &read)) << other;
    }
    ASSERT_TRUE(read_finish_command("B.exe /finish-uninstall 12 \"C:\\A\"", &id, folder,
                                    sizeof folder, &read));
    EXPECT_FALSE(read.quiet);
    EXPECT_STREQ(read.log_file, "");
    // A log file with a quote could not be read back.
    UninstallOptions quoted = {false, "C:\\a\"b.log"};
    EXPECT_FALSE(build_finish_command(command, sizeof command, "C:\\T\\B.exe", 12, "C:\\A", &quoted));
}

TEST(ElevatedCommand, AQuietRunCarriesOnlyS)
{
    char parameters[40];
    ASSERT_TRUE(build_elevated_parameters(parameters, sizeof parameters, 4294967295u, true));
    EXPECT_STREQ(parameters, "/uninstall /elevated 4294967295 /S");
    uint32_t id = 0;
    EXPECT_TRUE(read_elevated_command((std::string("B.exe ") + parameters).c_str(), &id));
    EXPECT_EQ(id, 4294967295u);
    EXPECT_TRUE(read_elevated_command("B.exe /uninstall /elevated 12 /s", &id));
    // Never a log: the raised start must not write a file an unraised process named.
    for (const char *other : {"B.exe /uninstall /elevated 12 /LOG=C:\\u.log",
                              "B.exe /uninstall /elevated 12 /S /LOG=C:\\u.log",
                              "B.exe /uninstall /elevated 12 /S /S"})
        EXPECT_FALSE(read_elevated_command(other, &id)) << other;
}
