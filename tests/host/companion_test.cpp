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
    const char *cases[][3] = {
        {"D:\\SETUP.EXE", "D:\\", "D:\\bladeenc.exe"},
        {"C:\\ccm\\cache\\SETUP.EXE", "C:\\ccm\\cache", "C:\\ccm\\cache\\bladeenc.exe"},
        {"\\\\srv\\share\\SETUP.EXE", "\\\\srv\\share", "\\\\srv\\share\\bladeenc.exe"},
    };
    for (const auto &c : cases) {
        char folder[260], program[260];
        ASSERT_TRUE(companion_beside_setup(c[0], folder, sizeof folder, program, sizeof program)) << c[0];
        EXPECT_STREQ(folder, c[1]);
        EXPECT_STREQ(program, c[2]);
    }
    char folder[16], program[16];
    EXPECT_FALSE(companion_beside_setup("SETUP.EXE", folder, sizeof folder, program, sizeof program));
    // "C:\\Setup1\\bladeenc.exe" needs 21 bytes.
    EXPECT_FALSE(companion_beside_setup("C:\\Setup1\\SETUP.EXE", folder, sizeof folder, program,
                                        sizeof program));
}
