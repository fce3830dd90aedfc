// The folder a raised uninstall makes for its finishing copy, and the
// helpers for paths in UTF-16 that it is made with. Wine 8.0 keeps
// no security descriptor on files (a folder made with this one reads back as
// SYSTEM plus the user), so the descriptor the program builds is checked,
// turned back into text, and then where the folder goes.
#include <gtest/gtest.h>
#include "services/protected_folder.h"
#include "services/wide_paths.h"
#include <sddl.h> // after windows.h, which it needs
#include "tests/support/win32_test_support.h"

TEST(ProtectedFolder, OnlySystemAndAdministratorsAndNothingInherited)
{
    PSECURITY_DESCRIPTOR descriptor = build_protected_descriptor();
    ASSERT_NE(descriptor, nullptr);
    // Every part asked for: the Administrators as owner, no group or audit list.
    char *text = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        descriptor, SDDL_REVISION_1,
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
            SACL_SECURITY_INFORMATION,
        &text, nullptr));
    EXPECT_STREQ(text, "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
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
    WCHAR windows[MAX_PATH] = L"";
    ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    WCHAR place[MAX_PATH];
    wmemset(place, L'S', MAX_PATH);
    ASSERT_TRUE(get_windows_temporary_folder(place, MAX_PATH));
    EXPECT_EQ(lstrcmpiW(place, (std::wstring(windows) + L"\\Temp\\").c_str()), 0) << place;
    EXPECT_FALSE(get_windows_temporary_folder(place, 5)) << "a folder that does not fit";

    const std::wstring folder = std::wstring(windows) + L"\\Temp\\protected-test";
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(create_protected_folder(folder.c_str()), NEW_FOLDER_MADE);
    EXPECT_TRUE(folder_exists(folder));
    // A name in use is never taken over.
    EXPECT_EQ(create_protected_folder(folder.c_str()), NEW_FOLDER_NAME_TAKEN);
    RemoveDirectoryW(folder.c_str());
}

// The helpers the uninstaller makes and removes its copy with, on a folder
// named in Georgian letters, which no ANSI code page has: the ANSI calls
// would name it with question marks.
TEST(WidePaths, AFolderNamedOutsideTheCodePage)
{
    WCHAR temporary[WIDE_PATH_SIZE] = L"";
    ASSERT_TRUE(get_temporary_folder_wide(temporary, WIDE_PATH_SIZE));
    const std::wstring folder = std::wstring(temporary) + L"wide-\x10d0\x10d1\x10d2";
    char narrowed[MAX_PATH];
    EXPECT_FALSE(narrow_path(folder.c_str(), narrowed, sizeof narrowed));
    // A look-alike (FULLWIDTH LATIN CAPITAL LETTER A comes out of code page
    // 1252 as "A") is refused too, unless the code page has the letter itself.
    const WCHAR look_alike[] = L"C:\\\xff21";
    if (narrow_path(look_alike, narrowed, sizeof narrowed)) {
        EXPECT_EQ(widen(narrowed), look_alike) << "narrowed to another name";
    }
    EXPECT_TRUE(narrow_path(L"C:\\Apps", narrowed, sizeof narrowed));
    EXPECT_STREQ(narrowed, "C:\\Apps");

    remove_folder_wide(folder.c_str());
    ASSERT_TRUE(create_folder_wide(folder.c_str(), nullptr));
    EXPECT_TRUE(folder_exists(folder));
    WCHAR file[WIDE_PATH_SIZE], parent[WIDE_PATH_SIZE], program[WIDE_PATH_SIZE];
    ASSERT_TRUE(join_wide_path(file, WIDE_PATH_SIZE, folder.c_str(), "Brimwave.exe"));
    EXPECT_EQ(std::wstring(file), folder + L"\\Brimwave.exe");
    ASSERT_TRUE(wide_path_folder(parent, WIDE_PATH_SIZE, file));
    EXPECT_EQ(std::wstring(parent), folder);
    EXPECT_TRUE(is_same_wide_folder((folder + L"\\").c_str(), parent));
    EXPECT_FALSE(is_same_wide_folder((folder + L"\x10d3").c_str(), parent));
    ASSERT_TRUE(get_module_path_wide(program, WIDE_PATH_SIZE));
    // The copy is made from the open file: one put at its path afterwards
    // is never copied.
    char temp[MAX_PATH] = "";
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string original = std::string(temp) + "copy-source.exe";
    ASSERT_TRUE(CopyFileW(program, widen(original).c_str(), FALSE));
    HANDLE source = CreateFileA(original.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(source, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(MoveFileA(original.c_str(), (original + ".moved").c_str()));
    ASSERT_TRUE(write_file(original, "swapped"));
    HANDLE copy = copy_open_file_wide(source, file);
    ASSERT_NE(copy, INVALID_HANDLE_VALUE);
    // Held: nobody can change or delete it meanwhile.
    EXPECT_EQ(CreateFileW(file, GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(delete_file_wide(file));
    CloseHandle(copy);
    EXPECT_TRUE(file_contents(std::wstring(file)) == file_contents(std::wstring(program)));
    EXPECT_EQ(copy_open_file_wide(source, file), INVALID_HANDLE_VALUE) << "an existing file";
    EXPECT_TRUE(file_contents(std::wstring(file)) == file_contents(std::wstring(program)));
    CloseHandle(source);
    DeleteFileA(original.c_str());
    DeleteFileA((original + ".moved").c_str());
    const std::wstring unread = folder + L"\\unread.exe";
    EXPECT_EQ(copy_open_file_wide(INVALID_HANDLE_VALUE, unread.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(file_exists(unread)) << "nothing is left of a copy that failed";
    EXPECT_TRUE(delete_file_wide(file));
    EXPECT_FALSE(file_exists(std::wstring(file)));
    EXPECT_TRUE(remove_folder_wide(folder.c_str()));
    EXPECT_FALSE(folder_exists(folder));
}
