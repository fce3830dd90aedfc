// The registry routines against Wine's registry. Each test clears the keys
// it uses first. Wine cannot show one case: a user without write access to
// HKEY_LOCAL_MACHINE (the tests run as an administrator there).
#include <gtest/gtest.h>
#include <string.h>
#include "services/registry.h"
#include <sddl.h> // after windows.h, which it needs
#include "tests/support/win32_test_support.h"

namespace {
const char scratch_key[] = "Software\\BrimwaveTest";

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
        delete_key_tree(HKEY_CURRENT_USER, scratch_key);
    }
    void TearDown() override { SetUp(); }
};

std::vector<unsigned char> bytes(const char *text, size_t n) { return {text, text + n}; }

// Gives a key of HKEY_CURRENT_USER the access list sddl.
bool set_access(const std::string &path, const char *sddl)
{
    HKEY key = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool set = !RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) &&
               ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, 1, &sd, nullptr) &&
               !RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(key);
    return set;
}
} // namespace

TEST_F(Registry, ProductSetStoresTextsWithTheirZeroAndCreatesTheKey)
{
    ASSERT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY));
    ASSERT_TRUE(set_product_value("\\ProgramDirectory", "C:\\A", 1234, REG_SZ));
    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramDirectory", &type, &data));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(data, bytes("C:\\A", 5));

    const unsigned char version[4] = {100, 0, 0, 0};
    ASSERT_TRUE(set_product_value("\\ProgramVersion", version, 4, REG_BINARY));
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "ProgramVersion", &type, &data));
    EXPECT_EQ(type, (DWORD)REG_BINARY);
    EXPECT_EQ(data, std::vector<unsigned char>(version, version + 4));

    // Other types keep the size given, even a text type.
    ASSERT_TRUE(set_product_value("\\Expand", "abcdef", 3, REG_EXPAND_SZ));
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "Expand", &type, &data));
    EXPECT_EQ(data, bytes("abc", 3));
}

TEST_F(Registry, ProductQueryReportsSizesAndRefusesSmallBuffers)
{
    ASSERT_TRUE(set_product_value("\\ProgramDirectory", "C:\\A", 0, REG_SZ));
    char buffer[16];
    memset(buffer, 'S', sizeof buffer);
    DWORD size = 0xDEAD;
    ASSERT_TRUE(query_product_value("\\ProgramDirectory", buffer, 0, &size));
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(buffer[0], 'S') << "asking for the size must not touch the buffer";

    ASSERT_TRUE(query_product_value("\\ProgramDirectory", buffer, sizeof buffer, &size));
    EXPECT_EQ(size, 5u);
    EXPECT_STREQ(buffer, "C:\\A");

    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(set_product_value("\\Eight", eight, 8, REG_BINARY));
    EXPECT_FALSE(query_product_value("\\Eight", buffer, 4, &size));
    EXPECT_FALSE(query_product_value("\\Missing", buffer, sizeof buffer, &size));
    EXPECT_FALSE(query_product_value("\\NoKey\\Name", buffer, sizeof buffer, &size));
}

TEST_F(Registry, DefaultValuesAndSubKeys)
{
    ASSERT_TRUE(set_product_value("\\", "top", 0, REG_SZ));
    ASSERT_TRUE(set_product_value("\\Sub\\", "sub", 0, REG_SZ));
    ASSERT_TRUE(set_product_value("\\Sub\\Name", "named", 0, REG_SZ));
    DWORD type;
    std::vector<unsigned char> data;
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY, "", &type, &data));
    EXPECT_EQ(data, bytes("top", 4));
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY "\\Sub", "", &type, &data));
    EXPECT_EQ(data, bytes("sub", 4));
    ASSERT_TRUE(read_value(HKEY_CURRENT_USER, PRODUCT_KEY "\\Sub", "Name", &type, &data));
    EXPECT_EQ(data, bytes("named", 6));
}

TEST_F(Registry, DeleteRemovesOnlyTheNamedValue)
{
    ASSERT_TRUE(set_product_value("\\MonitorDevice", "x", 0, REG_SZ));
    ASSERT_TRUE(set_product_value("\\Keep", "y", 0, REG_SZ));
    EXPECT_TRUE(delete_product_value("\\MonitorDevice"));
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "MonitorDevice"));
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "Keep"));
    EXPECT_FALSE(delete_product_value("\\MonitorDevice")) << "a missing value is a failure";
    EXPECT_TRUE(value_exists(HKEY_CURRENT_USER, PRODUCT_KEY, "Keep"));
    EXPECT_FALSE(delete_product_value("\\NoKey\\Value"));
}

TEST_F(Registry, AnyRootRoutinesUseTheGivenRootAndFullPath)
{
    ASSERT_TRUE(set_registry_value("Software\\BrimwaveTest\\Deep\\Name", "v", 0, REG_SZ,
                                   HKEY_CURRENT_USER));
    char buffer[8];
    DWORD size = 0;
    ASSERT_TRUE(query_registry_value("Software\\BrimwaveTest\\Deep\\Name", buffer, sizeof buffer,
                                     HKEY_CURRENT_USER, &size));
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(buffer, "v");
    EXPECT_TRUE(delete_registry_value("Software\\BrimwaveTest\\Deep\\Name", HKEY_CURRENT_USER));
    EXPECT_FALSE(query_registry_value("Software\\BrimwaveTest\\Deep\\Name", buffer, sizeof buffer,
                                      HKEY_CURRENT_USER, &size));

    char program_files[256] = "";
    ASSERT_TRUE(query_registry_value("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir",
                                     program_files, sizeof program_files, HKEY_LOCAL_MACHINE,
                                     &size));
    // On 64-bit Windows a 32-bit program reads the 32-bit view.
    EXPECT_STREQ(program_files, running_wow64() ? "C:\\Program Files (x86)" : "C:\\Program Files");
}

TEST_F(Registry, RefusesPathsWithoutSplitPointOrTooLong)
{
    EXPECT_FALSE(set_registry_value("NoBackslash", "v", 0, REG_SZ, HKEY_CURRENT_USER));
    EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, "", "NoBackslash"));
    std::string long_path = "\\" + std::string(240, 'k') + "\\Name";
    EXPECT_FALSE(set_product_value(long_path.c_str(), "v", 0, REG_SZ));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, PRODUCT_KEY)) << "nothing may be created";
    char buffer[4];
    DWORD size;
    EXPECT_FALSE(query_product_value(long_path.c_str(), buffer, sizeof buffer, &size));
    EXPECT_FALSE(delete_registry_value("NoBackslash", HKEY_CURRENT_USER));
}

TEST_F(Registry, DeleteTreeRemovesNestedKeysInSeveralPasses)
{
    // Twelve sub-keys, each with three below it: one pass by increasing index
    // skips every other one, so this needs more than one pass.
    for (int i = 0; i < 12; i++)
        for (int j = 0; j < 3; j++) {
            std::string path = std::string(scratch_key) + "\\K" + std::to_string(i) + "\\L" +
                               std::to_string(j) + "\\Name";
            ASSERT_TRUE(set_registry_value(path.c_str(), "v", 0, REG_SZ, HKEY_CURRENT_USER));
        }
    EXPECT_TRUE(delete_registry_tree(HKEY_CURRENT_USER, scratch_key));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, scratch_key));
    EXPECT_TRUE(delete_registry_tree(HKEY_CURRENT_USER, "Software\\BrimwaveTest\\Missing"));
}

TEST_F(Registry, DeleteTreeStopsOnASubKeyPathTooLongForItsBuffer)
{
    // Two levels of 130-character names: the second level's full path (283
    // characters) does not fit 256. It is refused, the routine stops instead
    // of looping, and reports the tree as not deleted.
    // Created one level at a time: Wine refuses such long paths in one call.
    std::string first = std::string(scratch_key) + "\\" + std::string(130, 'a');
    HKEY parent, child;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, first.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExA(parent, std::string(130, 'b').c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(parent);
    EXPECT_FALSE(delete_registry_tree(HKEY_CURRENT_USER, scratch_key));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, scratch_key));
}

TEST_F(Registry, DeleteTreeReportsAKeyItMayNotOpenAndStops)
{
    // Everyone may change the access list of "Locked" and nothing else: with a
    // sub-key in it, it can be neither opened nor deleted (Wine enforces both).
    std::string locked = std::string(scratch_key) + "\\Locked";
    ASSERT_TRUE(set_registry_value((locked + "\\Child\\Name").c_str(), "v", 0, REG_SZ,
                                   HKEY_CURRENT_USER));
    ASSERT_TRUE(set_access(locked, "D:(A;;WDRC;;;WD)"));
    EXPECT_FALSE(delete_registry_tree(HKEY_CURRENT_USER, scratch_key)) << "as a sub-key";
    EXPECT_FALSE(delete_registry_tree(HKEY_CURRENT_USER, locked.c_str())) << "at the top";
    ASSERT_TRUE(set_access(locked, "D:(A;;KA;;;WD)"));
    EXPECT_TRUE(delete_registry_tree(HKEY_CURRENT_USER, scratch_key));
}
