// Destination validation and the path helpers it uses, on any typed text:
// the rest of the input is the destination, a part before it a name to join.
#include "driver/destination.h"
#include "product/app/uninstall_rules.h"
#include "services/product.h"
#include "tests/fuzz/path_model.h"

// join_path into size bytes: terminated inside them, and when it succeeds,
// folder whole, one backslash of its own, then name whole.
static bool check_join(const char *folder, const char *name, size_t size)
{
    Exact out(size);
    bool joined = join_path(out.get(), size, folder, name);
    FUZZ_CHECK(terminated_within(out.get(), size));
    if (!joined)
        return false;
    const char *path = out.get();
    size_t folder_length = strlen(folder);
    FUZZ_CHECK(memcmp(path, folder, folder_length) == 0);
    const char *name_at = path + folder_length + (ends_with_backslash(folder) ? 0 : 1);
    FUZZ_CHECK(name_at[-1] == '\\' && is_char_start(path, name_at - 1));
    FUZZ_CHECK(strcmp(name_at, name) == 0);
    if (*name && !strchr(name, '\\')) {
        FUZZ_CHECK(model_last_backslash(path) == name_at - 1);
        FUZZ_CHECK(path_ends_with_name(path, size, name));
    }
    return true;
}

static void check_path_helpers(const char *path)
{
    const char *last = last_backslash(path);
    FUZZ_CHECK(last == model_last_backslash(path));
    FUZZ_CHECK(ends_with_backslash(path) == (last && last[1] == 0));
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
