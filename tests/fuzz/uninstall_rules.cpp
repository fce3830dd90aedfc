// The uninstaller's rules on any paths: the installation folder taken from
// the program's path, the comparison of recorded paths, and which folder may
// be removed.
#include <string>
#include "product/app/uninstall_rules.h"
#include "services/exit_codes.h"
#include "tests/fuzz/path_model.h"

// The program an uninstall command starts, as the uninstaller reads the
// registered command: between the first pair of quotes when it begins with
// one (after blanks), else the whole command without a last argument
// "/uninstall" in any case and the blanks around it.
static bool model_program(std::string command, std::string *program)
{
    size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos)
        return false;
    command.erase(0, start);
    if (command[0] == '"') {
        size_t close = command.find('"', 1);
        if (close == std::string::npos)
            return false;
        *program = command.substr(1, close - 1);
        return !program->empty();
    }
    command.erase(command.find_last_not_of(" \t") + 1);
    size_t n = command.size();
    if (n > 10 && (command[n - 11] == ' ' || command[n - 11] == '\t')) {
        std::string last = command.substr(n - 10);
        for (char &c : last)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        if (last == "/uninstall")
            command.erase(command.find_last_not_of(" \t", n - 11) + 1);
    }
    *program = command;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    uint8_t flags = input.byte();
    size_t folder_size = input.byte();
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
            FUZZ_CHECK(tidied_form(folder) == Tidied::FOLDER);
    } else {
        FUZZ_CHECK(folder_size == 0 || installation.get()[0] == 0);
    }

    // The program of a registered uninstall command.
    std::string program;
    bool readable = model_program(other.get(), &program) && program.size() < folder_size;
    FUZZ_CHECK(uninstall_command_program(installation.get(), installation.size, other.get()) ==
               readable);
    FUZZ_CHECK(folder_size == 0 || installation.get() == (readable ? program : ""));

    // The log's last line in any room: "Exit code: <code> (<what it
    // means>)", cut short inside the buffer when it does not fit.
    static const int exit_codes[] = {0, 1, 2, 3, 740, 1602, 1618, 3010};
    int exit_code = exit_codes[flags >> 5];
    const char *meaning = uninstall_result_text(exit_code);
    FUZZ_CHECK(meaning && meaning[0]);
    std::string whole = "Exit code: " + std::to_string(exit_code) + " (" + meaning + ")";
    Exact line(folder_size);
    bool fits = whole.size() < folder_size;
    FUZZ_CHECK(build_exit_line(line.get(), line.size, exit_code, meaning) == fits);
    if (folder_size > 0)
        FUZZ_CHECK(whole.substr(0, folder_size - 1) == line.get());

    // Any folder, as a finishing command could name it.
    if (is_removable_folder(program_path))
        FUZZ_CHECK(tidied_form(program_path) == Tidied::FOLDER);
    if (is_removable_folder(other.get()))
        FUZZ_CHECK(tidied_form(other.get()) == Tidied::FOLDER);

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
