// The uninstaller's command-line readers on any command line, and the
// commands it builds for itself (the finishing copy's, the raised start's)
// read back to what they were built from.
#include <string>
#include <vector>
#include "product/app/command_line.h"
#include "product/app/uninstall_rules.h"
#include "services/product.h"
#include "tests/fuzz/fuzz_input.h"

enum { MAX_PATH = 260 };

static Exact exact_text(const std::string &text)
{
    Exact copy(text.size() + 1);
    memcpy(copy.get(), text.c_str(), copy.size);
    return copy;
}

// Whether the line carries name as an argument of its own after the
// program's: arguments end at blanks outside double quotes, a quote toggles
// quoting and stays in its argument; ASCII letters compare in any case.
static bool model_has_switch(const char *line, const char *name)
{
    std::vector<std::string> arguments;
    std::string argument;
    bool quoted = false;
    for (const char *p = line;; p++) {
        if (!*p || (!quoted && (*p == ' ' || *p == '\t'))) {
            if (!argument.empty())
                arguments.push_back(argument);
            argument.clear();
            if (!*p)
                break;
            continue;
        }
        quoted = quoted != (*p == '"');
        argument += *p >= 'A' && *p <= 'Z' ? static_cast<char>(*p + 32) : *p;
    }
    for (size_t i = 1; i < arguments.size(); i++)
        if (arguments[i] == name)
            return true;
    return false;
}

static void check_finish_round_trip(const char *program, uint32_t id, const char *folder,
                                    size_t size)
{
    Exact command(size);
    bool built = build_finish_command(command.get(), size, program, id, folder);
    if (!built) {
        FUZZ_CHECK(size == 0 || command.get()[0] == 0);
        return;
    }
    FUZZ_CHECK(terminated_within(command.get(), size));
    FUZZ_CHECK(model_has_switch(command.get(), finish_uninstall_switch));
    uint32_t read_id = ~id;
    Exact read_folder(strlen(folder) + 1);
    FUZZ_CHECK(read_finish_command(command.get(), &read_id, read_folder.get(), read_folder.size));
    FUZZ_CHECK(read_id == id && strcmp(read_folder.get(), folder) == 0);
    Exact read_program(MAX_PATH);
    if (strlen(program) < MAX_PATH) {
        FUZZ_CHECK(uninstall_command_program(read_program.get(), read_program.size, command.get()));
        FUZZ_CHECK(strcmp(read_program.get(), program) == 0);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    uint32_t id = input.number();
    size_t size_given = input.byte();
    Exact program = input.text();
    Exact folder = input.text();
    Exact line = input.text(true);
    const char *command_line = line.get();
    FUZZ_CHECK(has_switch(command_line, "/s") == model_has_switch(command_line, "/s"));
    FUZZ_CHECK(has_switch(command_line, UNINSTALL_SWITCH) ==
               model_has_switch(command_line, UNINSTALL_SWITCH));

    uint32_t read_id;
    Exact read_folder(MAX_PATH);
    if (read_finish_command(command_line, &read_id, read_folder.get(), read_folder.size)) {
        FUZZ_CHECK(model_has_switch(command_line, finish_uninstall_switch));
        FUZZ_CHECK(terminated_within(read_folder.get(), read_folder.size));
        FUZZ_CHECK(read_folder.get()[0] && !strchr(read_folder.get(), '"'));
        check_finish_round_trip("C:\\bwu1\\Brimwave.exe", read_id, read_folder.get(), 2 * MAX_PATH);
    }
    if (read_elevated_command(command_line, &read_id)) {
        FUZZ_CHECK(model_has_switch(command_line, UNINSTALL_SWITCH) &&
                   model_has_switch(command_line, elevated_switch));
        char parameters[64];
        FUZZ_CHECK(build_elevated_parameters(parameters, sizeof parameters, read_id));
        uint32_t again = ~read_id;
        FUZZ_CHECK(read_elevated_command(exact_text(std::string("p ") + parameters).get(), &again) &&
                   again == read_id);
    }
    // The options, and the finishing command carrying them, read back the same.
    UninstallOptions options;
    if (read_uninstall_options(command_line, &options)) {
        FUZZ_CHECK(terminated_within(options.log_file, sizeof options.log_file));
        Exact command(3 * MAX_PATH + LOG_FILE_SIZE);
        if (build_finish_command(command.get(), command.size, "C:\\bwu1\\Brimwave.exe", id,
                                 "C:\\A", &options)) {
            UninstallOptions again;
            Exact again_folder(MAX_PATH);
            FUZZ_CHECK(read_finish_command(command.get(), &read_id, again_folder.get(),
                                           again_folder.size, &again));
            FUZZ_CHECK(again.quiet == options.quiet &&
                       strcmp(again.log_file, options.log_file) == 0);
        } else {
            FUZZ_CHECK(strchr(options.log_file, '"') != nullptr);
        }
    }
    Exact program_read(size_given + 1);
    uninstall_command_program(program_read.get(), program_read.size, command_line);
    FUZZ_CHECK(terminated_within(program_read.get(), program_read.size));

    check_finish_round_trip(program.get(), id, folder.get(), size_given);
    check_finish_round_trip(program.get(), id, folder.get(), 3 * MAX_PATH);

    Exact parameters(size_given);
    bool quiet = id >> 31;
    if (build_elevated_parameters(parameters.get(), parameters.size, id, quiet)) {
        FUZZ_CHECK(terminated_within(parameters.get(), parameters.size));
        FUZZ_CHECK(model_has_switch(exact_text(std::string("p ") + parameters.get()).get(), "/s") ==
                   quiet);
        uint32_t again = ~id;
        std::string started = std::string("\"") + program.get() + "\" " + parameters.get();
        if (!strchr(program.get(), '"')) {
            FUZZ_CHECK(read_elevated_command(exact_text(started).get(), &again) && again == id);
            FUZZ_CHECK(model_has_switch(started.c_str(), UNINSTALL_SWITCH));
        }
    } else {
        FUZZ_CHECK(size_given == 0 || parameters.get()[0] == 0);
    }
    return 0;
}
