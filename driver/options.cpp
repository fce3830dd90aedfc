#include "driver/options.h"
#include "services/text.h"

const char setup_options_usage[] =
    "Setup takes these options:\r\n/S /ALLUSERS /LOG=<file> /D=<folder> (last)";

namespace {

// Whether [start, end) begins with prefix, ASCII case ignored; the text
// after it in *rest.
bool starts_with(const char *start, const char *end, const char *prefix, const char **rest)
{
    const char *p = start;
    for (; *prefix; p++, prefix++)
        if (p == end || lower_ascii(*p) != lower_ascii(*prefix))
            return false;
    *rest = p;
    return true;
}

bool is_word(const char *start, const char *end, const char *word)
{
    const char *rest;
    return starts_with(start, end, word, &rest) && rest == end;
}

// [start, end) into dest of size bytes, terminated.
bool copy_part(char *dest, size_t size, const char *start, const char *end)
{
    return copy_span(dest, size, start, static_cast<size_t>(end - start));
}

OptionsResult read_option(const char *start, const char *end, SetupOptions *options)
{
    const char *value;
    if (is_word(start, end, "/S") && !options->silent) {
        options->silent = true;
    } else if (is_word(start, end, "/ALLUSERS") && !options->all_users) {
        options->all_users = true;
    } else if (starts_with(start, end, "/LOG=", &value) && !options->has_log) {
        // A quoted name loses its quotes; one quote alone is no name.
        if (end - value >= 2 && *value == '"' && end[-1] == '"') {
            value++;
            end--;
        }
        for (const char *p = value; p < end; p++)
            if (*p == '"')
                return OPTIONS_UNKNOWN;
        if (value == end)
            return OPTIONS_UNKNOWN;
        if (!copy_part(options->log, sizeof options->log, value, end))
            return OPTIONS_TOO_LONG;
        options->has_log = true;
    } else {
        return OPTIONS_UNKNOWN;
    }
    return OPTIONS_READ;
}

} // namespace

OptionsResult read_setup_options(const char *command_line, SetupOptions *options)
{
    *options = SetupOptions();
    const char *start, *end;
    if (!next_argument(command_line, &start, &end)) {
        options->program_end = command_line;
        return OPTIONS_READ;
    }
    options->program_end = end;
    OptionsResult result = OPTIONS_READ;
    // Read on past a refused option: a /S after it still asks for the
    // refusal without a window, and a /LOG= for its line.
    for (const char *p = end; next_argument(p, &start, &end); p = end) {
        const char *folder;
        if (starts_with(start, end, "/D=", &folder)) {
            // The rest of the line, blanks at its end dropped.
            const char *line_end = folder + text_length(folder);
            while (line_end > folder && is_blank(line_end[-1]))
                line_end--;
            if (!copy_part(options->destination, sizeof options->destination, folder,
                           line_end) &&
                result == OPTIONS_READ)
                result = OPTIONS_TOO_LONG;
            options->has_destination = true;
            break;
        }
        OptionsResult read = read_option(start, end, options);
        if (result == OPTIONS_READ)
            result = read;
    }
    if (result != OPTIONS_READ) {
        options->all_users = false;
        options->has_destination = false;
        options->destination[0] = 0;
    }
    return result;
}
