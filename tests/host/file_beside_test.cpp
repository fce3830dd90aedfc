#include <gtest/gtest.h>
#include <string.h>
#include "product/app/file_beside.h"

TEST(FileBeside, ReplacesTheFileNameOfThePath)
{
    struct Case {
        const char *path;
        const char *name;
        const char *expected;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Brimwave\\Brimwave.exe", "Brimwave.chm", "C:\\Program Files\\Brimwave\\Brimwave.chm"},
        {"C:\\Brimwave.exe", "Brimwave.chm", "C:\\Brimwave.chm"},
        {"C:\\A\\", "Brimwave.chm", "C:\\A\\Brimwave.chm"},
        {"\\\\server\\share\\Brimwave.exe", "Brimwave.chm", "\\\\server\\share\\Brimwave.chm"},
        {"C:\\A\\Brimwave.exe", "", "C:\\A\\"},
    };
    for (const Case &c : cases) {
        char dest[64];
        memset(dest, 'S', sizeof dest);
        EXPECT_TRUE(file_beside(dest, sizeof dest, c.path, c.name)) << c.path;
        EXPECT_STREQ(dest, c.expected) << c.path;
    }
}

TEST(FileBeside, RefusesAPathWithoutFolder)
{
    char dest[32];
    memset(dest, 'S', sizeof dest);
    EXPECT_FALSE(file_beside(dest, sizeof dest, "Brimwave.exe", "Brimwave.chm"));
    EXPECT_STREQ(dest, "");
    EXPECT_FALSE(file_beside(dest, sizeof dest, "", "Brimwave.chm"));
    EXPECT_STREQ(dest, "");
}

TEST(FileBeside, FitsExactlyOrRefusesWithoutWritingPastTheEnd)
{
    // "C:\A\" and "Brimwave.chm" take 17 characters and the zero 18 bytes.
    const char *path = "C:\\A\\Brimwave.exe";
    for (size_t size = 0; size <= 20; size++) {
        char memory[24];
        memset(memory, 'S', sizeof memory);
        bool fits = file_beside(memory, size, path, "Brimwave.chm");
        EXPECT_EQ(fits, size >= 18) << "size " << size;
        if (fits) {
            EXPECT_STREQ(memory, "C:\\A\\Brimwave.chm") << "size " << size;
        } else if (size > 0) {
            EXPECT_EQ(memory[0], 0) << "size " << size;
        }
        for (size_t i = size; i < sizeof memory; i++)
            ASSERT_EQ(memory[i], 'S') << "size " << size << ", byte " << i;
    }
}
