#include <gtest/gtest.h>
#include <string.h>
#include "driver/companion.h"

TEST(CompanionPaths, TheDriveOfTheCommandLineWhenSetupRunsFromItsRoot)
{
    struct Case {
        const char *command_line, *module, *folder, *program;
    } cases[] = {
        {"D:\\SETUP.EXE", "D:\\SETUP.EXE", "D:\\", "D:\\bladeenc.exe"},
        {"\"D:\\SETUP.EXE\"", "D:\\SETUP.EXE", "D:\\", "D:\\bladeenc.exe"},
        {"e:\\setup", "E:\\SETUP.EXE", "e:\\", "e:\\bladeenc.exe"},
        {"D:\\SETUP.EXE /D=C:\\A", "D:\\SETUP.EXE", "D:\\", "D:\\bladeenc.exe"},
    };
    for (const Case &c : cases) {
        char folder[COMPANION_FOLDER_SIZE], program[COMPANION_PROGRAM_SIZE];
        memset(program, 'S', sizeof program);
        ASSERT_TRUE(companion_paths(c.command_line, c.module, folder, program)) << c.command_line;
        EXPECT_STREQ(folder, c.folder);
        EXPECT_STREQ(program, c.program);
    }
}

TEST(CompanionPaths, NothingIsStartedElsewhere)
{
    struct Case {
        const char *why, *command_line, *module;
    } cases[] = {
        {"no colon", "SETUP.EXE", "D:\\SETUP.EXE"},
        {"colon in an option", "SETUP.EXE /D=C:\\A", "C:\\SETUP.EXE"},
        {"colon first", ":SETUP.EXE", "D:\\SETUP.EXE"},
        {"empty command line", "", "D:\\SETUP.EXE"},
        {"run from a folder", "C:\\Downloads\\SETUP.EXE", "C:\\Downloads\\SETUP.EXE"},
        {"another drive", "D:\\SETUP.EXE", "C:\\SETUP.EXE"},
        {"module without drive", "D:\\SETUP.EXE", "\\\\server\\share\\SETUP.EXE"},
    };
    for (const Case &c : cases) {
        char folder[COMPANION_FOLDER_SIZE], program[COMPANION_PROGRAM_SIZE];
        EXPECT_FALSE(companion_paths(c.command_line, c.module, folder, program)) << c.why;
    }
}

TEST(CompanionPaths, BesideSetupWhereverItRuns)
{
    char folder[24], program[24];
    ASSERT_TRUE(companion_beside_setup("D:\\SETUP.EXE", folder, sizeof folder, program, sizeof program));
    EXPECT_STREQ(folder, "D:\\"); // the root keeps its backslash
    EXPECT_STREQ(program, "D:\\bladeenc.exe");
    ASSERT_TRUE(companion_beside_setup("C:\\cache\\SETUP.EXE", folder, sizeof folder, program, 24));
    EXPECT_STREQ(program, "C:\\cache\\bladeenc.exe");
    EXPECT_FALSE(companion_beside_setup("SETUP.EXE", folder, sizeof folder, program, 24));
    EXPECT_FALSE(companion_beside_setup("C:\\cache1234\\SETUP.EXE", folder, 24, program, 24));
}
