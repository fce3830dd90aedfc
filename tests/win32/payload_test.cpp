// Extraction of payload resources through "tempfile.tmp" and Wine's LZ32:
// the real SETUP.EXE's payload, a corpus of real PE files, and every failure.
// Fatal paths run in a child copy of this program, started with
// "--extract MODULE ID NAME FOLDER"; the parent reads its message box.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "services/files.h"
#include "services/payload.h"
#include "services/process.h"
#include "services/system_libraries.h"
#include "tests/support/win32_test_support.h"

namespace {
std::string self_path()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// A scratch folder of its own for each test, emptied first.
std::string scratch_folder(const std::string &name)
{
    std::string folder = "C:\\payload-test\\" + name;
    remove_tree(folder);
    CreateDirectoryA("C:\\payload-test", nullptr);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    return folder;
}

// Extracts in this process (the paths that return).
void extract_here(HMODULE module, uint32_t id, const char *name, const std::string &folder)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    module_handle = module;
    extract_payload_file(id, name);
    SetCurrentDirectoryA(previous);
}

struct Fatal {
    DWORD exit_code;
    std::string title, text;
};

// Runs this program with arguments, answers its message box and reports what it said.
Fatal fatal_in_child(const std::string &arguments)
{
    ChildProcess child;
    std::string command = "\"" + self_path() + "\" " + arguments;
    Fatal result = {STILL_ACTIVE, "", ""};
    if (!start_process(command, nullptr, &child)) {
        ADD_FAILURE() << "cannot start " << command;
        return result;
    }
    HWND box = wait_for_window(child.id, nullptr, 15000);
    if (box) {
        MessageBoxInfo info = read_message_box(box);
        result.title = info.title;
        result.text = info.text;
        press_button(box, IDOK);
    }
    result.exit_code = wait_for_exit(child, 15000);
    kill_process(child);
    return result;
}

// Extracts in a child.
Fatal extract_in_child(const std::string &module, uint32_t id, const char *name,
                       const std::string &folder)
{
    return fatal_in_child("--extract \"" + module + "\" " + std::to_string(id) + " " + name +
                          " \"" + folder + "\"");
}

HMODULE load_as_data(const char *path)
{
    return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}
} // namespace

TEST(Payload, SetupExePayloadExpandsToTheProductFiles)
{
    HMODULE setup = load_as_data("D:\\SETUP.EXE");
    ASSERT_NE(setup, nullptr);
    std::string folder = scratch_folder("product");
    extract_here(setup, 5000, "Brimwave.exe", folder);
    extract_here(setup, 5001, "Brimwave.chm", folder);
    EXPECT_TRUE(same_contents(folder + "\\Brimwave.exe", PRODUCT_PROGRAM));
    EXPECT_TRUE(same_contents(folder + "\\Brimwave.chm", PRODUCT_HELP));
    EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"Brimwave.chm", "Brimwave.exe"}));
    FreeLibrary(setup);
}

TEST(Payload, RealProgramsAndEdgeInputsExpandByteForByte)
{
    // Wine's own DLLs and programs and the edge inputs of
    // data/make_edge_files.py, packed by the build's packer.
    HMODULE corpus = load_as_data(CORPUS_MODULE);
    ASSERT_NE(corpus, nullptr);
    std::string folder = scratch_folder("corpus");
    const char *names[] = {CORPUS_NAMES};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; i++) {
        SCOPED_TRACE(names[i]);
        std::string base = names[i];
        base = base.substr(base.find_last_of('/') + 1);
        extract_here(corpus, 6000 + (uint32_t)i, base.c_str(), folder);
        EXPECT_TRUE(same_contents(folder + "\\" + base, std::string("Z:") + names[i]));
    }
    EXPECT_FALSE(file_exists(folder + "\\tempfile.tmp"));
    FreeLibrary(corpus);
}

TEST(Payload, ReplacesAnOldTemporaryFileAndAnOldTarget)
{
    std::string folder = scratch_folder("replace");
    std::string junk(100000, 'j');
    for (const char *name : {"tempfile.tmp", "banner.bmp"}) {
        HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, junk.data(), (DWORD)junk.size(), &written, nullptr);
        CloseHandle(file);
    }
    extract_here(GetModuleHandleA(nullptr), 5000, "banner.bmp", folder);
    EXPECT_TRUE(same_contents(folder + "\\banner.bmp", BANNER_FILE));
    EXPECT_FALSE(file_exists(folder + "\\tempfile.tmp"));
}

TEST(Payload, BrokenOrMissingResourcesAreFatalBeforeAnyFileIsMade)
{
    struct Case {
        const char *name;
        uint32_t id;
    } cases[] = {
        {"missing id", 5099},
        {"numeric type 10", 5002},
        {"shorter than the header", 5003},
        {"without the SZDD magic", 5004},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string folder = scratch_folder("broken");
        Fatal fatal = extract_in_child("self", c.id, "banner.bmp", folder);
        EXPECT_EQ(fatal.title, "Installation Error");
        EXPECT_EQ(fatal.text, "ERROR: Could not find/load resource.");
        EXPECT_EQ(fatal.exit_code, 1u);
        EXPECT_TRUE(folder_entries(folder).empty());
    }
}

TEST(Payload, AStagedFileWhoseBytesDifferFromItsDigestIsFatalAndReplacesNothing)
{
    std::string folder = scratch_folder("digest");
    ASSERT_TRUE(write_file(folder + "\\first.bmp", "old first"));
    ASSERT_TRUE(write_file(folder + "\\second.bmp", "old second"));
    // Payload 5005 is the banner with the digest of plain.txt: it expands to
    // the size its header says, but not to the bytes its digest records.
    Fatal fatal = fatal_in_child("--stage \"" + folder + "\" 5000 first.bmp 5005 second.bmp");
    EXPECT_EQ(fatal.title, "Installation Error");
    EXPECT_EQ(fatal.text, "ERROR: Could not write to file.");
    EXPECT_EQ(fatal.exit_code, 1u);
    EXPECT_EQ(file_contents(folder + "\\first.bmp"), "old first");
    EXPECT_EQ(file_contents(folder + "\\second.bmp"), "old second");
    EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"first.bmp", "second.bmp"}));
}

TEST(Payload, AFolderWhereNoFileCanBeMadeIsFatal)
{
    std::string folder = scratch_folder("no-create");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\tempfile.tmp").c_str(), nullptr));
    Fatal fatal = extract_in_child("self", 5000, "banner.bmp", folder);
    EXPECT_EQ(fatal.text, "ERROR: Could not create file.");
    EXPECT_EQ(fatal.exit_code, 1u);
    EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"tempfile.tmp"});
}

TEST(Payload, ATargetInUseIsFatalAndNoUnderscoreFileAppears)
{
    std::string folder = scratch_folder("in-use");
    std::string target = folder + "\\banner.bmp";
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(held, "old", 3, &written, nullptr);
    Fatal fatal = extract_in_child("self", 5000, "banner.bmp", folder);
    CloseHandle(held);
    EXPECT_EQ(fatal.text, "ERROR: Could not create file.");
    EXPECT_EQ(fatal.exit_code, 1u);
    EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"banner.bmp"});
    EXPECT_EQ(file_contents(target), "old");
}

TEST(Payload, AnExpansionThatCannotRunIsFatal)
{
    // LZ32 opens its files through OpenFile, which refuses full paths over
    // 127 characters: in a folder this deep "tempfile.tmp" cannot be opened.
    std::string folder = scratch_folder("deep");
    folder += "\\" + std::string(120 - folder.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    Fatal fatal = extract_in_child("self", 5000, "banner.bmp", folder);
    EXPECT_EQ(fatal.text, "ERROR: Could not write to file.");
    EXPECT_EQ(fatal.exit_code, 1u);
    EXPECT_FALSE(file_exists(folder + "\\tempfile.tmp"));
}

TEST(Payload, AReplacementThatMeetsAFileInUseIsUndoneAndCanBeTriedAgain)
{
    std::string folder = scratch_folder("all-or-nothing");
    ASSERT_TRUE(write_file(folder + "\\first.bmp", "old first"));
    ASSERT_TRUE(write_file(folder + "\\second.bmp", "old second"));
    SetFileAttributesA((folder + "\\first.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    module_handle = GetModuleHandleA(nullptr);
    stage_payload_file(5000, "first.bmp");
    stage_payload_file(5001, "second.bmp");
    // Held without delete sharing: the second cannot be moved aside, after the first was.
    HANDLE held = CreateFileA("second.bmp", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const char *in_use = "<unset>";
    EXPECT_FALSE(put_staged_files_in_place(nullptr, &in_use));
    EXPECT_STREQ(in_use, "second.bmp");
    EXPECT_EQ(file_contents(folder + "\\first.bmp"), "old first");
    EXPECT_EQ(folder_entries(folder), (std::vector<std::string>{"first.bmp", "second.bmp",
                                                                 "~BW5000.NEW", "~BW5001.NEW"}));
    CloseHandle(held);
    // A file under the first backup name that nothing will delete is an
    // earlier file a failed run kept: passed over, never deleted.
    ASSERT_TRUE(write_file(folder + "\\~BW5000.OLD", "kept"));
    EXPECT_TRUE(put_staged_files_in_place(nullptr, &in_use));
    EXPECT_EQ(file_contents(folder + "\\~BW5000.O01"), "old first");
    keep_replacement();
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(same_contents(folder + "\\first.bmp", BANNER_FILE));
    EXPECT_TRUE(same_contents(folder + "\\second.bmp", BANNER_FILE));
    EXPECT_EQ(folder_entries(folder),
              (std::vector<std::string>{"first.bmp", "second.bmp", "~BW5000.OLD"}));
    EXPECT_EQ(file_contents(folder + "\\~BW5000.OLD"), "kept");
}

TEST(Files, AHeldFileGoesAtRestartAndIsSeenAsPending)
{
    const std::string path = scratch_folder("files") + "\\held.txt";
    ASSERT_TRUE(write_file(path, "held"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_FALSE(is_pending_at_restart(path.c_str()));
    EXPECT_EQ(delete_now_or_at_restart(path.c_str(), nullptr), FILE_DELETED_AT_RESTART);
    EXPECT_TRUE(is_pending_at_restart(path.c_str()));
    CloseHandle(held);
    EXPECT_EQ(delete_now_or_at_restart(path.c_str(), nullptr), FILE_DELETED);
    EXPECT_FALSE(file_exists(path));
}

int main(int argc, char **argv)
{
    const char *missing;
    if (!load_system_libraries(&missing)) {
        fprintf(stderr, "cannot load %s\n", missing);
        return 1;
    }
    if (argc == 6 && std::string(argv[1]) == "--extract") {
        std::string module = argv[2];
        module_handle = module == "self" ? GetModuleHandleA(nullptr) : load_as_data(argv[2]);
        SetCurrentDirectoryA(argv[5]);
        extract_payload_file((uint32_t)atoi(argv[3]), argv[4]);
        return 0;
    }
    // "--stage FOLDER ID NAME...": stages each, then puts them in place.
    if (argc >= 3 && std::string(argv[1]) == "--stage") {
        module_handle = GetModuleHandleA(nullptr);
        SetCurrentDirectoryA(argv[2]);
        for (int i = 3; i + 1 < argc; i += 2)
            stage_payload_file((uint32_t)atoi(argv[i]), argv[i + 1]);
        const char *in_use;
        if (put_staged_files_in_place(nullptr, &in_use))
            keep_replacement();
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
