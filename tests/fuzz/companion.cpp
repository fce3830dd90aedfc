// The companion's drive and folder from any command line and module path.
#include "driver/companion.h"
#include "tests/fuzz/fuzz_input.h"

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    Exact command_line = input.text();
    Exact module_path = input.text(true);
    Exact folder(COMPANION_FOLDER_SIZE);
    Exact program(COMPANION_PROGRAM_SIZE);
    if (!companion_paths(command_line.get(), module_path.get(), folder.get(), program.get()))
        return 0;

    FUZZ_CHECK(terminated_within(folder.get(), folder.size));
    FUZZ_CHECK(terminated_within(program.get(), program.size));
    // The drive is the character of its own before the command line's first
    // ':' that is one, and setup runs from that drive's root.
    const char *line = command_line.get();
    const char *colon = line;
    while (*colon && !(*colon == ':' && is_char_start(line, colon)))
        colon++;
    FUZZ_CHECK(*colon && colon > line && is_char_start(line, colon - 1));
    char drive = colon[-1];
    FUZZ_CHECK(folder.get()[0] == drive && strcmp(folder.get() + 1, ":\\") == 0);
    FUZZ_CHECK(strcmp(program.get() + 3, "bladeenc.exe") == 0 &&
               memcmp(program.get(), folder.get(), 3) == 0);
    const char *module = module_path.get();
    FUZZ_CHECK(upper(module[0]) == upper(drive) && module[1] == ':' && module[2] == '\\');
    for (const char *p = module + 3; *p; p += is_lead_byte(*p) && p[1] ? 2 : 1)
        FUZZ_CHECK(*p != '\\');
    return 0;
}
