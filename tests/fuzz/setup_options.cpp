// The setup program's options from any command line. Whatever is read is
// written out again and read back the same.
#include <string>
#include "driver/options.h"
#include "tests/fuzz/fuzz_input.h"

static bool same_options(const SetupOptions &a, const SetupOptions &b)
{
    return a.silent == b.silent && a.all_users == b.all_users &&
           a.has_destination == b.has_destination && a.has_log == b.has_log &&
           strcmp(a.destination, b.destination) == 0 && strcmp(a.log, b.log) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    Exact line = input.text(true);
    const char *command_line = line.get();
    size_t length = strlen(command_line);
    SetupOptions options;
    OptionsResult result = read_setup_options(command_line, &options);

    FUZZ_CHECK(options.program_end >= command_line && options.program_end <= command_line + length);
    FUZZ_CHECK(terminated_within(options.destination, sizeof options.destination));
    FUZZ_CHECK(terminated_within(options.log, sizeof options.log));
    if (result != OPTIONS_READ) {
        FUZZ_CHECK(result == OPTIONS_UNKNOWN || result == OPTIONS_TOO_LONG);
        // Only what tells how to report the refusal stays.
        FUZZ_CHECK(!options.all_users && !options.has_destination && !options.destination[0]);
        FUZZ_CHECK(options.has_log ? options.log[0] && !strchr(options.log, '"') : !options.log[0]);
        return 0;
    }
    if (options.has_log)
        FUZZ_CHECK(options.log[0] && !strchr(options.log, '"'));

    std::string again(command_line, options.program_end);
    if (options.silent)
        again += " /s";
    if (options.all_users)
        again += "\t/AllUsers";
    if (options.has_log)
        again += std::string(" /LOG=\"") + options.log + "\"";
    if (options.has_destination)
        again += std::string(" /D=") + options.destination;
    Exact written(again.size() + 1);
    memcpy(written.get(), again.c_str(), written.size);
    SetupOptions reread;
    FUZZ_CHECK(read_setup_options(written.get(), &reread) == OPTIONS_READ);
    FUZZ_CHECK(same_options(options, reread));
    FUZZ_CHECK(reread.program_end == written.get() + (options.program_end - command_line));
    return 0;
}
