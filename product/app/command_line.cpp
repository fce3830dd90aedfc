#include "command_line.h"
#include "services/product.h"
#include "services/text.h"

const char finish_uninstall_switch[] = "/finish-uninstall";
const char uninstall_usage[] = "Brimwave.exe /uninstall takes these options:\r\n/S /LOG=<file>";
const char elevated_switch[] = "/elevated";
static const char uninstall_switch[] = UNINSTALL_SWITCH;
static const char quiet_switch[] = "/S";
static const char log_prefix[] = "/LOG=";

namespace {

// The word [word, end) is name, ignoring ASCII case.
bool is_same_word(const char *word, const char *end, const char *name)
{
    while (word < end && *name) {
        if (lower_ascii(*word) != lower_ascii(*name))
            return false;
        word++;
        name++;
    }
    return word == end && *name == 0;
}

bool holds_quote(const char *text)
{
    for (; *text; text++)
        if (*text == '"')
            return true;
    return false;
}

// Decimal digits only, no sign, at most 4294967295.
bool read_process_id(const char *start, const char *end, uint32_t *value)
{
    if (start == end)
        return false;
    uint64_t number = 0;
    for (const char *p = start; p < end; p++) {
        if (*p < '0' || *p > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(*p - '0');
        if (number > 0xFFFFFFFFu)
            return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

// "<folder>": quotes at both ends and none inside, something between them.
bool read_quoted_folder(const char *start, const char *end, char *folder, size_t size)
{
    if (end - start < 3 || start[0] != '"' || end[-1] != '"')
        return false;
    size_t length = static_cast<size_t>(end - start - 2);
    if (length >= size)
        return false;
    for (size_t i = 0; i < length; i++) {
        if (start[1 + i] == '"')
            return false;
        folder[i] = start[1 + i];
    }
    folder[length] = 0;
    return true;
}

// Whether the word [word, end) starts with prefix, ignoring ASCII case.
bool starts_with_word(const char *word, const char *end, const char *prefix)
{
    for (; *prefix; word++, prefix++)
        if (word == end || lower_ascii(*word) != lower_ascii(*prefix))
            return false;
    return true;
}

enum OptionRead { OPTION_READ, OPTION_BAD, OPTION_OTHER };

// One argument [start, end) as "/S" or "/LOG=<file>". The file may be
// quoted in whole or in part ("/LOG=\"C:\My logs\u.log\""): its quotes
// go, its blanks stay.
OptionRead read_option(const char *start, const char *end, UninstallOptions *options)
{
    if (is_same_word(start, end, quiet_switch)) {
        options->quiet = true;
        return OPTION_READ;
    }
    if (!starts_with_word(start, end, log_prefix))
        return OPTION_OTHER;
    size_t length = 0;
    for (const char *p = start + sizeof log_prefix - 1; p < end; p++) {
        if (*p == '"')
            continue;
        if (length + 1 >= sizeof options->log_file)
            return OPTION_BAD;
        options->log_file[length++] = *p;
    }
    options->log_file[length] = 0;
    return length > 0 ? OPTION_READ : OPTION_BAD;
}

bool append_options(char **cursor, char *limit, const UninstallOptions *options)
{
    if (!options)
        return true;
    if (options->quiet &&
        (!append_text(cursor, limit, " ") || !append_text(cursor, limit, quiet_switch)))
        return false;
    if (!options->log_file[0])
        return true;
    return !holds_quote(options->log_file) && append_text(cursor, limit, " ") &&
           append_text(cursor, limit, log_prefix) && append_text(cursor, limit, "\"") &&
           append_text(cursor, limit, options->log_file) && append_text(cursor, limit, "\"");
}

} // namespace

bool read_uninstall_options(const char *command_line, UninstallOptions *options)
{
    options->quiet = false;
    options->log_file[0] = 0;
    if (!command_line)
        return true;
    // Read to the end even past a refused argument: "/S" and "/LOG=" still
    // count then, so that the refusal is told the way the caller asked.
    const char *start, *end;
    bool is_program_name = true;
    bool readable = true;
    for (const char *p = command_line; next_argument(p, &start, &end); p = end) {
        if (!is_program_name && !is_same_word(start, end, uninstall_switch)) {
            OptionRead read = read_option(start, end, options);
            if (read == OPTION_BAD)
                options->log_file[0] = 0;
            readable = readable && read == OPTION_READ;
        }
        is_program_name = false;
    }
    return readable;
}

bool has_switch(const char *command_line, const char *name)
{
    if (!command_line || !name || !*name)
        return false;
    const char *start, *end;
    bool is_program_name = true;
    for (const char *p = command_line; next_argument(p, &start, &end); p = end) {
        // An argument with quotes in it keeps them, so it never equals a switch name.
        if (!is_program_name && is_same_word(start, end, name))
            return true;
        is_program_name = false;
    }
    return false;
}

bool build_finish_arguments(char *dest, size_t size, uint32_t process_id, const char *folder,
                            const UninstallOptions *options)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    if (!*folder || holds_quote(folder))
        return false;
    char digits[DECIMAL_SIZE];
    char *cursor = dest;
    char *limit = dest + size;
    bool fits = append_text(&cursor, limit, finish_uninstall_switch) &&
                append_text(&cursor, limit, " ") &&
                append_text(&cursor, limit, format_decimal(process_id, digits)) &&
                append_text(&cursor, limit, " \"") && append_text(&cursor, limit, folder) &&
                append_text(&cursor, limit, "\"") && append_options(&cursor, limit, options);
    if (!fits)
        dest[0] = 0;
    return fits;
}

bool build_finish_command(char *dest, size_t size, const char *program, uint32_t process_id,
                          const char *folder, const UninstallOptions *options)
{
    if (size == 0)
        return false;
    dest[0] = 0;
    if (!*program || holds_quote(program))
        return false;
    char *cursor = dest;
    char *limit = dest + size;
    bool fits = append_text(&cursor, limit, "\"") && append_text(&cursor, limit, program) &&
                append_text(&cursor, limit, "\" ") &&
                build_finish_arguments(cursor, static_cast<size_t>(limit - cursor), process_id,
                                       folder, options);
    if (!fits)
        dest[0] = 0;
    return fits;
}

bool read_finish_command(const char *command_line, uint32_t *process_id, char *folder,
                         size_t folder_size, UninstallOptions *options)
{
    if (!command_line)
        return false;
    const char *start, *end;
    const char *p = command_line;
    // The program name, then the three arguments, then nothing.
    if (!next_argument(p, &start, &end))
        return false;
    if (!next_argument(end, &start, &end) || !is_same_word(start, end, finish_uninstall_switch))
        return false;
    if (!next_argument(end, &start, &end) || !read_process_id(start, end, process_id))
        return false;
    if (!next_argument(end, &start, &end) || !read_quoted_folder(start, end, folder, folder_size))
        return false;
    if (options) {
        options->quiet = false;
        options->log_file[0] = 0;
    }
    // Then the options, when asked for, and nothing else.
    while (next_argument(end, &start, &end))
        if (!options || read_option(start, end, options) != OPTION_READ)
            return false;
    return true;
}

bool build_elevated_parameters(char *dest, size_t size, uint32_t process_id, bool quiet)
{
    char digits[DECIMAL_SIZE];
    char *cursor = dest;
    char *limit = dest + size;
    bool fits = size > 0 && append_text(&cursor, limit, uninstall_switch) &&
                append_text(&cursor, limit, " ") && append_text(&cursor, limit, elevated_switch) &&
                append_text(&cursor, limit, " ") &&
                append_text(&cursor, limit, format_decimal(process_id, digits)) &&
                (!quiet || (append_text(&cursor, limit, " ") &&
                            append_text(&cursor, limit, quiet_switch)));
    if (!fits && size > 0)
        dest[0] = 0;
    return fits;
}

bool read_elevated_command(const char *command_line, uint32_t *process_id)
{
    if (!command_line)
        return false;
    const char *start, *end;
    uint32_t value;
    // The program name, then the three arguments, then at most "/S"; the id
    // is handed out only then.
    bool complete = next_argument(command_line, &start, &end) &&
                    next_argument(end, &start, &end) &&
                    is_same_word(start, end, uninstall_switch) &&
                    next_argument(end, &start, &end) && is_same_word(start, end, elevated_switch) &&
                    next_argument(end, &start, &end) && read_process_id(start, end, &value);
    if (complete && next_argument(end, &start, &end))
        complete = is_same_word(start, end, quiet_switch) && !next_argument(end, &start, &end);
    if (complete)
        *process_id = value;
    return complete;
}
