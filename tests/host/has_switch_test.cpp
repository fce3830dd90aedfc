#include <gtest/gtest.h>
#include "product/app/command_line.h"

namespace {

struct SwitchCase {
    const char *command_line;
    bool expected;
};

void expect_switch(const char *name, const SwitchCase *cases, size_t count)
{
    for (size_t i = 0; i < count; i++)
        EXPECT_EQ(has_switch(cases[i].command_line, name), cases[i].expected)
            << "command line [" << cases[i].command_line << "], switch " << name;
}

} // namespace

TEST(HasSwitch, FindsTheSwitchAfterTheProgramName)
{
    const SwitchCase cases[] = {
        // As Explorer and ShellExecuteA start a program: its path quoted.
        {"\"C:\\Program Files\\Brimwave\\Brimwave.exe\" /uninstall", true},
        // As older setup programs registered the uninstall command: never
        // quoted, even with spaces in the folder.
        {"C:\\Program Files\\Brimwave\\Brimwave.exe /uninstall", true},
        {"Brimwave.exe /uninstall", true},
        {"Brimwave.exe\t/uninstall", true},
        {"Brimwave.exe /uninstall   ", true},
        {"  Brimwave.exe  /quiet /uninstall /log", true},
        {"\"C:\\Brimwave\\Brimwave.exe\" \"a b\" /uninstall", true},
    };
    expect_switch("/uninstall", cases, sizeof cases / sizeof cases[0]);
}

TEST(HasSwitch, IgnoresAsciiCase)
{
    const SwitchCase cases[] = {
        {"Brimwave.exe /UNINSTALL", true},
        {"Brimwave.exe /UnInstall", true},
    };
    expect_switch("/uninstall", cases, sizeof cases / sizeof cases[0]);
    EXPECT_TRUE(has_switch("Brimwave.exe /uninstall", "/UNINSTALL"));
}

TEST(HasSwitch, RefusesWhatIsNotTheWholeSwitch)
{
    const SwitchCase cases[] = {
        {"Brimwave.exe", false},
        {"\"C:\\Program Files\\Brimwave\\Brimwave.exe\"", false},
        {"Brimwave.exe /uninstallx", false},
        {"Brimwave.exe /uninstall/quiet", false},
        {"Brimwave.exe /uninstal", false},
        {"Brimwave.exe x/uninstall", false},
        {"Brimwave.exe uninstall", false},
        {"Brimwave.exe -uninstall", false},
        {"", false},
        {"   ", false},
    };
    expect_switch("/uninstall", cases, sizeof cases / sizeof cases[0]);
}

TEST(HasSwitch, IgnoresTheProgramNameAndQuotedText)
{
    const SwitchCase cases[] = {
        // The program name is never a switch, however it is spelt.
        {"/uninstall", false},
        {"/uninstall /quiet", false},
        // Inside quotes: part of a path or of a quoted argument.
        {"\"C:\\odd /uninstall folder\\Brimwave.exe\"", false},
        {"Brimwave.exe \"C:\\odd /uninstall folder\\song.wav\"", false},
        {"Brimwave.exe \"/uninstall\"", false},
        {"Brimwave.exe /uninstall\"\"", false},
        // An unclosed quote runs to the end of the line.
        {"Brimwave.exe \"C:\\song.wav /uninstall", false},
        // Glued to the closing quote of the program name: still the program name.
        {"\"C:\\Brimwave\\Brimwave.exe\"/uninstall", false},
    };
    expect_switch("/uninstall", cases, sizeof cases / sizeof cases[0]);
}

TEST(HasSwitch, RefusesMissingInput)
{
    EXPECT_FALSE(has_switch(nullptr, "/uninstall"));
    EXPECT_FALSE(has_switch("Brimwave.exe /uninstall", nullptr));
    EXPECT_FALSE(has_switch("Brimwave.exe /uninstall", ""));
}

TEST(HasSwitch, ReadsNoFurtherThanTheTerminatingZero)
{
    // The switch lies past the zero: under AddressSanitizer any read beyond
    // the zero of a heap copy is reported, and the result must ignore it.
    const char text[] = "Brimwave.exe /un\0install";
    char *copy = new char[sizeof text];
    for (size_t i = 0; i < sizeof text; i++)
        copy[i] = text[i];
    EXPECT_FALSE(has_switch(copy, "/uninstall"));
    EXPECT_TRUE(has_switch(copy, "/un"));
    delete[] copy;
}
