// The uninstaller's rules on any paths: the installation folder taken from
// the program's path, the comparison of recorded paths, and which folder may
// be removed.
#include "product/app/uninstall_rules.h"
#include "tests/fuzz/fuzz_input.h"

// Whether folder names a folder below a drive's root or a share's, as
// Windows reads it: runs of backslashes count as one, "." stays and ".."
// goes up. Worked out here by itself, not with the rules.
static bool lies_below_a_root(const char *folder)
{
    const char *p = folder;
    int names_to_skip = 0;
    if (p[0] == '\\' && p[1] == '\\') {
        names_to_skip = 2; // the server and the share
        p += 2;
    } else if (p[0] && !model_lead_byte(static_cast<uint8_t>(p[0])) && p[1] == ':') {
        p += 2;
    }
    int depth = 0;
    while (*p) {
        while (*p == '\\')
            p++;
        const char *name = p;
        while (*p && *p != '\\')
            p += model_lead_byte(static_cast<uint8_t>(*p)) && p[1] ? 2 : 1;
        size_t length = static_cast<size_t>(p - name);
        if (length == 0)
            break;
        if (names_to_skip > 0) {
            names_to_skip--;
            continue;
        }
        if (length == 2 && name[0] == '.' && name[1] == '.')
            depth = depth > 0 ? depth - 1 : 0;
        else if (!(length == 1 && name[0] == '.'))
            depth++;
    }
    return names_to_skip == 0 && depth > 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    uint8_t flags = input.byte();
    size_t folder_size = input.byte() + 1;
    Exact other = input.text();
    Exact path = input.text(true);
    const char *program_path = path.get();

    // The installation: the program's folder, cut at a backslash of its own.
    Exact installation(folder_size);
    if (program_folder(installation.get(), installation.size, program_path)) {
        const char *folder = installation.get();
        FUZZ_CHECK(terminated_within(folder, installation.size));
        size_t length = strlen(folder);
        FUZZ_CHECK(length > 0 && memcmp(folder, program_path, length) == 0);
        const char *backslash = model_last_backslash(program_path);
        FUZZ_CHECK(backslash);
        FUZZ_CHECK(program_path + length == backslash ||
                   (length == 3 && backslash == program_path + 2 && program_path[1] == ':'));
        if (is_removable_folder(folder))
            FUZZ_CHECK(lies_below_a_root(folder));
    } else {
        FUZZ_CHECK(installation.get()[0] == 0);
    }

    // Any folder, as a finishing command could name it.
    if (is_removable_folder(program_path))
        FUZZ_CHECK(lies_below_a_root(program_path));
    if (is_removable_folder(other.get()))
        FUZZ_CHECK(lies_below_a_root(other.get()));

    if (is_finishing_folder(program_path)) {
        const char *backslash = model_last_backslash(program_path);
        const char *name = backslash ? backslash + 1 : program_path;
        FUZZ_CHECK((name[0] | 0x20) == 'b' && (name[1] | 0x20) == 'w' && (name[2] | 0x20) == 'u');
    }

    // One path: ASCII letters in any case, one trailing backslash left off.
    std::vector<unsigned> a = folded(program_path), b = folded(other.get());
    if (!a.empty() && a.back() == '\\')
        a.pop_back();
    if (!b.empty() && b.back() == '\\')
        b.pop_back();
    FUZZ_CHECK(is_same_path(program_path, other.get()) == (a == b));

    UninstallStart start = {};
    start.nt6_or_later = flags & 1;
    start.elevated = flags & 2;
    start.marked = flags & 4;
    start.parent_known = flags & 8;
    start.marked_id = flags & 16 ? 7 : 8;
    start.parent_id = 7;
    UninstallRoute route = choose_uninstall_route(start);
    // Removal without asking only for the raised start the parent asked for.
    if (route == UNINSTALL_REMOVE)
        FUZZ_CHECK(start.marked && start.parent_known && start.marked_id == start.parent_id &&
                   start.elevated);
    return 0;
}
