// The folder a raised uninstall makes for its finishing copy. Wine 8.0 keeps
// no security descriptor on files (a folder made with this one reads back as
// SYSTEM plus the user), so the descriptor the program builds is checked,
// turned back into text, and then where the folder goes.
#include <gtest/gtest.h>
#include "services/protected_folder.h"
#include <sddl.h> // after windows.h, which it needs
#include "tests/support/win32_test_support.h"

TEST(ProtectedFolder, OnlySystemAndAdministratorsAndNothingInherited)
{
    PSECURITY_DESCRIPTOR descriptor = build_protected_descriptor();
    ASSERT_NE(descriptor, nullptr);
    // Every part asked for: no owner, group or audit list comes with it.
    char *text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        descriptor, SDDL_REVISION_1,
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
            SACL_SECURITY_INFORMATION,
        &text, nullptr));
    EXPECT_STREQ(text, "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
    LocalFree(text);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PRESENT) << std::hex << control;
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << std::hex << control;
    LocalFree(descriptor);
}

TEST(ProtectedFolder, IsMadeNewInTheWindowsFoldersTemp)
{
    char windows[MAX_PATH] = "";
    ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    char place[MAX_PATH];
    memset(place, 'S', sizeof place);
    ASSERT_TRUE(get_windows_temporary_folder(place, sizeof place));
    EXPECT_EQ(lstrcmpiA(place, (std::string(windows) + "\\Temp\\").c_str()), 0) << place;
    EXPECT_FALSE(get_windows_temporary_folder(place, 5)) << "a folder that does not fit";

    const std::string folder = std::string(windows) + "\\Temp\\protected-test";
    remove_tree(folder);
    EXPECT_EQ(create_protected_folder(folder.c_str()), NEW_FOLDER_MADE);
    EXPECT_TRUE(folder_exists(folder));
    // A name in use is never taken over.
    EXPECT_EQ(create_protected_folder(folder.c_str()), NEW_FOLDER_NAME_TAKEN);
    remove_tree(folder);
}
