#include <gtest/gtest.h>
#include <string.h>
#include <vector>
#include "services/text.h"

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
