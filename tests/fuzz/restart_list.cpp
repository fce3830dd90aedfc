// The raw PendingFileRenameOperations value, of any length and maybe
// unterminated, and whether it names a path; then the choice of backup
// names among any states.
#include <string>
#include "services/replacement_rules.h"
#include "tests/fuzz/fuzz_input.h"

// The value as the system writes it: texts each ended by a zero (the last
// maybe cut short), a source then its destination, a destination maybe
// marked with '!', each an NT path "\??\<path>".
static bool model_names(const char *data, size_t size, const char *path)
{
    std::string list(data, size);
    size_t start = 0;
    while (start < list.size()) {
        size_t zero = list.find('\0', start);
        std::string entry = list.substr(start, zero == std::string::npos ? zero : zero - start);
        start = zero == std::string::npos ? list.size() : zero + 1;
        if (entry.compare(0, 1, "!") == 0)
            entry.erase(0, 1);
        if (entry.compare(0, 4, "\\??\\") == 0)
            entry.erase(0, 4);
        if (!entry.empty() && folded(entry.c_str()) == folded(path))
            return true;
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    uint8_t states_byte = input.byte();
    Exact path = input.text();
    Exact list = input.bytes(true);
    // A list holding a zero inside a character's two bytes is read by bytes,
    // as the system writes it: each text ends at its first zero.
    FUZZ_CHECK(restart_list_names(list.get(), list.size, path.get()) ==
               model_names(list.get(), list.size, path.get()));

    // Each name's state from two bits; the first free name is used, a kept
    // one put back only for a missing target, the first of them.
    BackupNameState states[4];
    for (int i = 0; i < 4; i++)
        states[i] = static_cast<BackupNameState>((states_byte >> (2 * i)) % 3);
    int count = states_byte >> 7 ? 4 : (states_byte >> 6) & 1 ? 1 : 0;
    bool target_exists = path.size % 2;
    BackupChoice choice = choose_backup_names(target_exists, states, count);
    int first_free = -1, first_kept = -1;
    for (int i = count - 1; i >= 0; i--) {
        if (states[i] == BACKUP_NAME_FREE)
            first_free = i;
        if (states[i] == BACKUP_NAME_KEPT)
            first_kept = i;
    }
    FUZZ_CHECK(choice.use == first_free);
    FUZZ_CHECK(choice.put_back == (target_exists ? -1 : first_kept));
    return 0;
}
