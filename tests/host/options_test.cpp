#include <gtest/gtest.h>
#include <string>
#include "driver/options.h"

namespace {
// The options read, as one line, "refused" when they were not.
std::string read(const std::string &command_line)
{
    SetupOptions options;
    OptionsResult result = read_setup_options(command_line.c_str(), &options);
    // A refusal keeps only what tells how to report it.
    std::string kept = std::string(options.silent ? " S" : "") +
                       (options.has_log ? " LOG=" + std::string(options.log) : "") +
                       (options.all_users || options.has_destination ? " more" : "");
    if (result == OPTIONS_UNKNOWN)
        return "unknown" + kept;
    if (result == OPTIONS_TOO_LONG)
        return "too long" + kept;
    std::string read = std::string(options.silent ? "S " : "") +
                       (options.all_users ? "ALLUSERS " : "") +
                       (options.has_log ? "LOG=" + std::string(options.log) + " " : "") +
                       (options.has_destination ? "D=" + std::string(options.destination) : "");
    return "[" + std::string(command_line.c_str(), options.program_end) + "] " + read;
}
} // namespace

TEST(SetupOptions, AnyOrderAnyCaseAndTheDestinationTakesTheRestOfTheLine)
{
    const std::string cases[][2] = {
        {"D:\\SETUP.EXE", "[D:\\SETUP.EXE] "},
        {"\"D:\\My Setup.exe\"  /s", "[\"D:\\My Setup.exe\"] S "},
        {"SETUP.EXE /AllUsers /S /log=C:\\x.log", "[SETUP.EXE] S ALLUSERS LOG=C:\\x.log "},
        {"SETUP.EXE /LOG=\"C:\\a b\\x.log\" /S", "[SETUP.EXE] S LOG=C:\\a b\\x.log "},
        // The folder is the rest of the line, spaces and options alike, without
        // quotes; the blanks at its end go.
        {"SETUP.EXE /S /D=C:\\Program Files\\B w /S  ", "[SETUP.EXE] S D=C:\\Program Files\\B w /S"},
        {"SETUP.EXE /d=", "[SETUP.EXE] D="},
        // A ':' inside an option leaves the program's part alone.
        {"SETUP.EXE /D=C:\\A", "[SETUP.EXE] D=C:\\A"},
        {"", "[] "},
        // Refused: unknown, misspelt, given twice, an empty or unclosed log name.
        {"SETUP.EXE /X", "unknown"},
        {"SETUP.EXE /Silent", "unknown"},
        {"SETUP.EXE /S /S", "unknown S"},
        {"SETUP.EXE /ALLUSERS /X /s /LOG=a.log /D=C:\\A", "unknown S LOG=a.log"},
        {"SETUP.EXE S", "unknown"},
        {"SETUP.EXE /LOG=", "unknown"},
        {"SETUP.EXE /LOG=\"C:\\x.log", "unknown"},
        {"SETUP.EXE /LOG=a /LOG=b", "unknown LOG=a"},
        {"SETUP.EXE /S /D=C:\\" + std::string(300, 'a'), "too long S"},
        {"SETUP.EXE /LOG=C:\\" + std::string(300, 'a'), "too long"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read(c[0]), c[1]) << c[0];
}
