// The uninstall command setup registers, built from any destination and read
// back as the uninstaller and Windows read it.
#include <string>
#include "driver/destination.h"
#include "product/app/command_line.h"
#include "product/app/uninstall_rules.h"
#include "services/product.h"
#include "tests/fuzz/fuzz_input.h"

enum { MAX_PATH = 260 };

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    size_t command_size = input.byte();
    Exact destination = input.text(true);

    if (command_size > 0) {
        Exact command(command_size);
        build_uninstall_command(command.get(), command.size, destination.get());
        FUZZ_CHECK(terminated_within(command.get(), command.size));
    }
    if (!is_acceptable_destination(destination.get()))
        return 0;

    Exact command(UNINSTALL_COMMAND_SIZE);
    FUZZ_CHECK(build_uninstall_command(command.get(), command.size, destination.get()));
    FUZZ_CHECK(terminated_within(command.get(), command.size));
    Exact program(UNINSTALL_COMMAND_SIZE);
    FUZZ_CHECK(join_path(program.get(), program.size, destination.get(), PROGRAM_FILE_NAME));

    // The uninstaller finds the program in it, and the switch.
    Exact read(MAX_PATH);
    FUZZ_CHECK(uninstall_command_program(read.get(), read.size, command.get()));
    FUZZ_CHECK(strcmp(read.get(), program.get()) == 0);
    FUZZ_CHECK(path_ends_with_name(read.get(), read.size, PROGRAM_FILE_NAME));
    FUZZ_CHECK(has_switch(command.get(), UNINSTALL_SWITCH));

    // Windows takes the program from the start of the command: between the
    // quotes when it starts with one, else up to the first blank.
    std::string line = command.get();
    std::string started = line[0] == '"' ? line.substr(1, line.find('"', 1) - 1)
                                         : line.substr(0, line.find_first_of(" \t"));
    FUZZ_CHECK(started == program.get());
    return 0;
}
