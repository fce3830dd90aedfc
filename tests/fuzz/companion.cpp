// The companion's drive and folder from a command line made of a program
// part and options, and any module path. The harness knows where the
// program's own part ends because it puts the line together: only that part
// may give the drive.
#include <string>
#include "driver/companion.h"
#include "tests/fuzz/fuzz_input.h"

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The program's part as written: quoted, or without blanks or quotes.
static std::string program_part(const char *program, bool quoted)
{
    std::string part = quoted ? "\"" : "";
    for (const char *p = program; *p; p++)
        if (*p != '"' && (quoted || (*p != ' ' && *p != '\t')))
            part += *p;
    return quoted ? part + "\"" : part;
}

// The drive: the one-byte character before the part's first ':', when
// setup runs from that drive's root (a module path "X:\name", X in any
// case). 0 when nothing is to be started.
static char expected_drive(const std::string &part, const char *module)
{
    std::vector<Character> characters = characters_of(part.c_str());
    for (size_t i = 0; i < characters.size(); i++) {
        if (characters[i].code != ':')
            continue;
        if (i == 0 || characters[i - 1].code > 0xFF)
            return 0;
        char drive = static_cast<char>(characters[i - 1].code);
        std::vector<Character> module_characters = characters_of(module);
        if (module_characters.size() < 3 || upper(module[0]) != upper(drive) ||
            module_characters[1].code != ':' || module_characters[2].code != '\\')
            return 0;
        for (size_t j = 3; j < module_characters.size(); j++)
            if (module_characters[j].code == '\\')
                return 0;
        return drive;
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    bool quoted = input.byte() & 1;
    Exact program = input.text();
    Exact options = input.text();
    Exact module_path = input.text(true);
    // GetCommandLineA always starts with the program: an empty one is quoted.
    std::string part = program_part(program.get(), quoted);
    if (part.empty())
        part = "\"\"";
    std::string line = part + (options.get()[0] ? " " : "") + options.get();
    Exact command_line(line.size() + 1);
    memcpy(command_line.get(), line.c_str(), command_line.size);
    Exact folder(COMPANION_FOLDER_SIZE);
    Exact program_path(COMPANION_PROGRAM_SIZE);

    char drive = expected_drive(part, module_path.get());
    bool started = companion_paths(command_line.get(), module_path.get(), folder.get(),
                                   program_path.get());
    FUZZ_CHECK(started == (drive != 0));
    if (!started)
        return 0;
    FUZZ_CHECK(folder.get() == std::string(1, drive) + ":\\");
    FUZZ_CHECK(program_path.get() == std::string(1, drive) + ":\\bladeenc.exe");
    return 0;
}
