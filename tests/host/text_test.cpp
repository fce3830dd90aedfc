#include <gtest/gtest.h>
#include <string.h>
#include <vector>
#include "services/text.h"
#include "services/wide_path_rules.h"
#include "tests/host/code_page_stand_in.h"

TEST(AppendText, AdvancesOntoTheTerminatingZero)
{
    char buffer[32];
    char *cursor = buffer;
    ASSERT_TRUE(append_text(&cursor, buffer + sizeof buffer, "Install Brimwave"));
    EXPECT_EQ(cursor, buffer + 16);
    ASSERT_TRUE(append_text(&cursor, buffer + sizeof buffer, " "));
    ASSERT_TRUE(append_text(&cursor, buffer + sizeof buffer, "v1.0"));
    EXPECT_STREQ(buffer, "Install Brimwave v1.0");
}

TEST(AppendText, RefusesTextThatDoesNotFitAndStaysTerminated)
{
    // Sentinels after the buffer show any write past its end.
    char memory[8];
    memset(memory, 'S', sizeof memory);
    char *cursor = memory;
    char *end = memory + 5;
    EXPECT_TRUE(append_text(&cursor, end, "abcd")); // 4 characters and the zero: exactly full
    EXPECT_FALSE(append_text(&cursor, end, "e"));
    EXPECT_STREQ(memory, "abcd");
    EXPECT_EQ(memory[5], 'S');

    cursor = memory;
    EXPECT_FALSE(append_text(&cursor, end, "abcdef"));
    EXPECT_STREQ(memory, "abcd");
    EXPECT_EQ(memory[5], 'S');

    char *full = end; // a cursor already at the end writes nothing
    EXPECT_FALSE(append_text(&full, end, ""));
    EXPECT_EQ(memory[5], 'S');
}

TEST(JoinPath, AddsOneBackslashOnlyWhereMissing)
{
    char path[32];
    struct { const char *folder, *name, *expected; } cases[] = {
        {"C:\\A", "Brimwave.exe", "C:\\A\\Brimwave.exe"},
        {"C:\\A\\", "Brimwave.exe", "C:\\A\\Brimwave.exe"},
        {"D:\\", "Brimwave", "D:\\Brimwave"},
        {"", "x", "\\x"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(join_path(path, sizeof path, c.folder, c.name)) << c.folder;
        EXPECT_STREQ(path, c.expected);
    }
    char small[8];
    EXPECT_FALSE(join_path(small, sizeof small, "C:\\AB", "cd"));  // 8 characters
    EXPECT_TRUE(join_path(small, sizeof small, "C:\\AB", "c"));    // 7 characters
}

TEST(BoundedLength, StopsAtTheLimit)
{
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(bounded_length(unterminated, sizeof unterminated), 4u);
    EXPECT_EQ(bounded_length("ab", 10), 2u);
    EXPECT_FALSE(ends_with_backslash(""));
    EXPECT_TRUE(ends_with_backslash("C:\\"));
}

TEST(PathEndsWithName, ComparesTheLastPartAndReadsNoFurtherThanItsBuffer)
{
    const char path[] = "C:\\A\\brimwave.EXE";
    EXPECT_TRUE(path_ends_with_name(path, sizeof path, "Brimwave.exe"));
    EXPECT_FALSE(path_ends_with_name(path, sizeof path, "Brimwave.ex_"));
    // An OFSTRUCT's 128 bytes of path, no zero: the sanitizer fails a read past them.
    std::vector<char> full(128, 'a');
    EXPECT_FALSE(path_ends_with_name(full.data(), full.size(), "a"));
}

TEST(CodePage932, PathsAreSteppedThroughByWholeCharacters)
{
    CodePage932 code_page;
    // 表 is 95 5C: its second byte is the backslash.
    const char folder[] = "C:\\\x95\x5C";
    EXPECT_FALSE(ends_with_backslash(folder));
    EXPECT_EQ(last_backslash(folder), folder + 2);
    char path[32];
    ASSERT_TRUE(join_path(path, sizeof path, folder, "Brimwave.exe"));
    EXPECT_STREQ(path, "C:\\\x95\x5C\\Brimwave.exe");
    EXPECT_TRUE(path_ends_with_name(path, sizeof path, "BRIMWAVE.EXE"));
    EXPECT_TRUE(path_ends_with_name(folder, sizeof folder, "\x95\x5C"));
    // ア is 83 41: its second byte is not an 'A' to lower.
    EXPECT_FALSE(same_ignoring_case("\x83\x41", "\x83\x61", 2));
    EXPECT_TRUE(same_ignoring_case("A\x83\x41", "a\x83\x41", 3));
    // A lead byte cut off by the end stands alone.
    const char cut[] = "\x95";
    EXPECT_EQ(next_char(cut), cut + 1);
}

TEST(CodePage932, AFolderEndingInALeadByteIsNotJoined)
{
    CodePage932 code_page;
    // The backslash after 0x95 would be its second byte: 表, and no folder.
    char path[32];
    memset(path, 'S', sizeof path);
    EXPECT_FALSE(join_path(path, sizeof path, "C:\\A\x95", "Brimwave.exe"));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(join_path(path, sizeof path, "C:\\\x95\x5C\x95", "x"));
    EXPECT_TRUE(join_path(path, sizeof path, "C:\\\x95\x5C", "x"));
}

TEST(WidePaths, OneFolderWithOneTrailingBackslashLeftOff)
{
    EXPECT_TRUE(is_same_wide_path(L"C:\\Users\\A\\", L"c:\\users\\a"));
    EXPECT_TRUE(is_same_wide_path(L"C:\\", L"C:"));
    // Found by the fuzz target wide_paths: a doubled backslash passed for one.
    EXPECT_FALSE(is_same_wide_path(L"C:\\A\\\\", L"C:\\A\\"));
    EXPECT_FALSE(is_same_wide_path(L"C:\\A\\", L"C:\\A\\\\"));
    EXPECT_FALSE(is_same_wide_path(L"C:\\A\x00C0", L"C:\\a\x00E0")) << "only ASCII letters fold";
}
