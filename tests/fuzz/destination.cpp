// Destination validation and the path helpers it uses, on any typed text:
// the rest of the input is the destination, a part before it a name to join.
#include <string>
#include "driver/destination.h"
#include "product/app/uninstall_rules.h"
#include "services/product.h"
#include "tests/fuzz/path_model.h"

// Whether the text's last character is a backslash of its own; a lone lead
// byte that ends it.
static bool model_ends_with_backslash(const char *text)
{
    std::vector<Character> characters = characters_of(text);
    return !characters.empty() && characters.back().code == '\\';
}

static bool model_ends_with_lead_byte(const char *text)
{
    std::vector<Character> characters = characters_of(text);
    return !characters.empty() && characters.back().code < 0x100 &&
           model_lead_byte(static_cast<uint8_t>(characters.back().code));
}

// join_path into size bytes: terminated inside them; joined exactly when
// the folder, one backslash unless it ends with one, and the name fit, and
// the folder does not end in a lead byte on its own (which would take the
// backslash for its second byte).
static bool check_join(const char *folder, const char *name, size_t size)
{
    Exact out(size);
    bool joined = join_path(out.get(), size, folder, name);
    FUZZ_CHECK(size == 0 || terminated_within(out.get(), size));
    std::string expected =
        std::string(folder) + (model_ends_with_backslash(folder) ? "" : "\\") + name;
    FUZZ_CHECK(joined == (!model_ends_with_lead_byte(folder) && expected.size() < size));
    if (!joined)
        return false;
    FUZZ_CHECK(out.get() == expected);
    if (*name && !strchr(name, '\\'))
        FUZZ_CHECK(path_ends_with_name(out.get(), size, name));
    return true;
}

static void check_path_helpers(const char *path)
{
    FUZZ_CHECK(last_backslash(path) == model_last_backslash(path));
    FUZZ_CHECK(ends_with_backslash(path) == model_ends_with_backslash(path));
}

static void check_accepted(const char *destination)
{
    // A folder below a drive's root however it is spelt, as Windows tidies it.
    FUZZ_CHECK(destination[1] == ':' && tidied_form(destination) == Tidied::FOLDER);
    // Every path built under it fits.
    FUZZ_CHECK(strlen(destination) < DESTINATION_SIZE);
    char name[STAGED_NAME_SIZE];
    for (const FileTableEntry &entry : payload_files) {
        FUZZ_CHECK(check_join(destination, entry.name, LZ_PATH_LIMIT + 1));
        FUZZ_CHECK(make_staging_name(entry.resource_id, name));
        FUZZ_CHECK(check_join(destination, name, LZ_PATH_LIMIT + 1));
        FUZZ_CHECK(make_backup_name(entry.resource_id, BACKUP_NAME_COUNT - 1, name));
        FUZZ_CHECK(check_join(destination, name, LZ_PATH_LIMIT + 1));
    }
    Exact command(UNINSTALL_COMMAND_SIZE);
    FUZZ_CHECK(build_uninstall_command(command.get(), command.size, destination));

    // The chain of folders: growing prefixes, each cut at a backslash of its
    // own or at the end, the destination itself last.
    Exact folder(DESTINATION_SIZE);
    size_t previous = 2, count = 0;
    for (const char *next = destination + 3;
         next_destination_folder(destination, &next, folder.get());) {
        FUZZ_CHECK(terminated_within(folder.get(), folder.size));
        size_t length = strlen(folder.get());
        FUZZ_CHECK(length > previous);
        FUZZ_CHECK(memcmp(folder.get(), destination, length) == 0);
        FUZZ_CHECK(is_char_start(destination, destination + length));
        FUZZ_CHECK(destination[length] == 0 || destination[length] == '\\');
        previous = length;
        count++;
        FUZZ_CHECK(count <= DESTINATION_SIZE);
    }
    FUZZ_CHECK(count > 0 && strcmp(folder.get(), destination) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    size_t join_size = input.byte();
    Exact name = input.text();
    Exact destination = input.text(true);
    const char *typed = destination.get();

    check_path_helpers(typed);
    check_path_helpers(name.get());
    if (join_size > 0)
        check_join(typed, name.get(), join_size);
    check_join(typed, name.get(), DESTINATION_SIZE);
    if (is_acceptable_destination(typed))
        check_accepted(typed);
    return 0;
}
