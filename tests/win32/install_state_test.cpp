// Reading the previous installation and choosing the default destination,
// against Wine's registry.
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "driver/setup_state.h"
#include "tests/support/win32_test_support.h"

namespace {
const char version_key[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

struct Stored {
    bool present;
    DWORD type;
    std::string bytes;
};

struct DetectionCase {
    const char *name;
    Stored directory, version;
    bool installed;
    uint32_t installed_version;
    const char *previous_directory;
};

void store(const char *name, const Stored &value)
{
    if (value.present) {
        ASSERT_TRUE(write_value(HKEY_CURRENT_USER, PRODUCT_KEY, name, value.type,
                                value.bytes.data(), (DWORD)value.bytes.size()));
    }
}

class PreviousInstallation : public ::testing::Test {
protected:
    void SetUp() override
    {
        delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
        delete_key_tree(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    }
    void TearDown() override { SetUp(); }
};
} // namespace

TEST_F(PreviousInstallation, DetectionAcceptsAnyVersionValueOfAtMostFourBytes)
{
    const std::string dir("C:\\Old\\\0", 8);
    const std::string no_zero_256(256, 'd');
    const std::string no_zero_255(255, 'd');
    const DetectionCase cases[] = {
        {"nothing stored", {false, 0, ""}, {false, 0, ""}, false, 0, ""},
        {"both, 4 bytes", {true, REG_SZ, dir}, {true, REG_BINARY, std::string("d\0\0\0", 4)}, true, 100, "C:\\Old\\"},
        {"version 8 bytes", {true, REG_SZ, dir}, {true, REG_BINARY, std::string(8, '\0')}, false, 0, ""},
        {"version 1 byte", {true, REG_SZ, dir}, {true, REG_BINARY, "d"}, true, 100, "C:\\Old\\"},
        {"version empty", {true, REG_SZ, dir}, {true, REG_BINARY, ""}, true, 0, "C:\\Old\\"},
        {"version missing", {true, REG_SZ, dir}, {false, 0, ""}, false, 0, "C:\\Old\\"},
        {"version of another type", {true, REG_SZ, dir}, {true, REG_DWORD, std::string("\xff\xff\xff\xff", 4)}, true, 0xFFFFFFFF, "C:\\Old\\"},
        {"directory without version", {true, REG_SZ, dir}, {false, 0, ""}, false, 0, "C:\\Old\\"},
        {"directory 256 bytes without zero", {true, REG_BINARY, no_zero_256}, {true, REG_BINARY, "d"}, false, 0, ""},
        {"directory 255 bytes without zero", {true, REG_BINARY, no_zero_255}, {true, REG_BINARY, "d"}, true, 100, no_zero_255.c_str()},
        {"directory too long", {true, REG_SZ, std::string(300, 'd')}, {true, REG_BINARY, "d"}, false, 0, ""},
    };
    for (const DetectionCase &c : cases) {
        SCOPED_TRACE(c.name);
        delete_key_tree(HKEY_CURRENT_USER, PRODUCT_KEY);
        store("ProgramDirectory", c.directory);
        store("ProgramVersion", c.version);
        InstallState state;
        memset(&state, 0x5A, sizeof state);
        detect_previous_installation(&state);
        EXPECT_EQ(state.installed, c.installed);
        if (c.installed) {
            EXPECT_EQ(state.installed_version, c.installed_version);
            EXPECT_STREQ(state.previous_directory, c.previous_directory);
        }
    }
}

// The machine's entry decides where it names a folder that holds the
// program; where it names one without, the user's record is not asked.
TEST_F(PreviousInstallation, TheMachinesEntryDecidesWhereItNamesAFolder)
{
    const char folder[] = "C:\\MachineEntry";
    CreateDirectoryA(folder, nullptr);
    const struct {
        const char *name;
        bool location, program, version;
        bool installed;
        uint32_t installed_version;
        const char *previous_directory;
    } cases[] = {
        {"program and version", true, true, true, true, 101, folder},
        {"an earlier build's entry, no version", true, true, false, true, 0, folder},
        {"folder without the program", true, false, true, false, 0, ""},
        {"no InstallLocation", false, true, true, true, 99, "C:\\Old"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        store("ProgramDirectory", {true, REG_SZ, std::string("C:\\Old", 7)});
        store("ProgramVersion", {true, REG_BINARY, std::string("c\0\0\0", 4)});
        const DWORD version = 101;
        if (c.location) {
            ASSERT_TRUE(write_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "InstallLocation", REG_SZ,
                                    folder, sizeof folder));
        }
        if (c.version) {
            ASSERT_TRUE(write_value(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "ProgramVersion",
                                    REG_BINARY, &version, 4));
        }
        DeleteFileA("C:\\MachineEntry\\Brimwave.exe");
        if (c.program) {
            ASSERT_TRUE(write_file("C:\\MachineEntry\\Brimwave.exe", "program"));
        }
        InstallState state;
        memset(&state, 0x5A, sizeof state);
        detect_previous_installation(&state);
        EXPECT_EQ(state.installed, c.installed);
        EXPECT_EQ(state.installed_version, c.installed_version);
        EXPECT_STREQ(state.previous_directory, c.previous_directory);
    }
    remove_tree(folder);
}

namespace {
class DefaultDestination : public PreviousInstallation {
protected:
    void SetUp() override
    {
        PreviousInstallation::SetUp();
        saved_ = read_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", &saved_type_,
                            &saved_bytes_);
    }
    void TearDown() override
    {
        if (saved_)
            write_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", saved_type_,
                        saved_bytes_.data(), (DWORD)saved_bytes_.size());
        PreviousInstallation::TearDown();
    }
    std::string fresh_destination()
    {
        setup_mode = SETUP_FRESH;
        memset(destination, 'S', sizeof destination);
        choose_default_destination();
        EXPECT_LT(strnlen(destination, sizeof destination), sizeof destination);
        return destination;
    }
    void set_program_files(DWORD type, const std::string &bytes)
    {
        ASSERT_TRUE(write_value(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir", type,
                                bytes.data(), (DWORD)bytes.size()));
    }
    bool saved_ = false;
    DWORD saved_type_ = 0;
    std::vector<unsigned char> saved_bytes_;
};
} // namespace

TEST_F(DefaultDestination, FreshInstallationsUseProgramFilesOrTheWindowsDrive)
{
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 2u);
    const std::string windows_rule = std::string(windows, 2) + "\\Program Files\\Brimwave";

    EXPECT_EQ(fresh_destination(), default_destination());

    set_program_files(REG_SZ, std::string("E:\\Apps\\\0", 9));
    EXPECT_EQ(fresh_destination(), "E:\\Apps\\Brimwave");

    // Used as stored, whatever the type, with no expansion.
    set_program_files(REG_EXPAND_SZ, std::string("%X%\\P\0", 7));
    EXPECT_EQ(fresh_destination(), "%X%\\P\\Brimwave");

    set_program_files(REG_BINARY, std::string(256, 'P'));
    EXPECT_EQ(fresh_destination(), windows_rule) << "256 bytes without a zero";

    set_program_files(REG_SZ, "C:\\" + std::string(247, 'P') + std::string(1, '\0'));
    EXPECT_EQ(fresh_destination(), windows_rule) << "250 characters leave no room for \\Brimwave";

    set_program_files(REG_SZ, std::string(1, '\0'));
    EXPECT_EQ(fresh_destination(), windows_rule) << "empty value";

    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, version_key, "ProgramFilesDir");
    EXPECT_EQ(fresh_destination(), windows_rule) << "missing value";
}

TEST_F(DefaultDestination, OtherModesProposeThePreviousFolderUnchanged)
{
    const SetupMode modes[] = {SETUP_REINSTALL, SETUP_UPDATE, SETUP_NEWER};
    for (SetupMode mode : modes) {
        setup_mode = mode;
        strcpy(install_state.previous_directory, "C:\\Old\\");
        choose_default_destination();
        EXPECT_STREQ(destination, "C:\\Old\\") << mode;
    }
}
