#include "command_line.h"

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

char lower_ascii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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

} // namespace

bool has_switch(const char *command_line, const char *name)
{
    if (!command_line || !name || !*name)
        return false;
    const char *p = command_line;
    bool is_program_name = true;
    for (;;) {
        while (is_blank(*p))
            p++;
        if (!*p)
            return false;
        // An argument runs to the next blank outside quotes; an unclosed
        // quote takes in the rest of the line. An argument with quotes in it
        // keeps them here, so it never equals a switch name.
        const char *start = p;
        bool in_quotes = false;
        while (*p && (in_quotes || !is_blank(*p))) {
            if (*p == '"')
                in_quotes = !in_quotes;
            p++;
        }
        if (!is_program_name && is_same_word(start, p, name))
            return true;
        is_program_name = false;
    }
}
