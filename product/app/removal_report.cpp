#include "removal_report.h"
#include "uninstall_rules.h"
#include "services/process.h"
#include "services/text.h"

enum {
    // Room for a headline and a handful of problems, each naming a path.
    REPORT_SIZE = 2048,
};

static const char removed_text[] = "Brimwave has been removed.";

// Both grow over the whole uninstall; a report too long for its buffer is
// cut short, never overrun.
static char problems[REPORT_SIZE];
static char *problems_cursor = problems;
static char notes[REPORT_SIZE]; // what was kept on purpose, a paragraph each
static char *notes_cursor = notes;
static bool at_restart;

void note_at_restart(void)
{
    at_restart = true;
}

void note_problem(const char *what, const char *name, const char *outcome)
{
    char *end = problems + sizeof problems;
    // The headline always fits: it comes first.
    if (problems_cursor == problems)
        append_text(&problems_cursor, end, "Brimwave could not be removed completely.\r\n");
    append_text(&problems_cursor, end, "\r\n");
    append_text(&problems_cursor, end, what);
    append_text(&problems_cursor, end, name);
    append_text(&problems_cursor, end, outcome);
}

void note_kept(const char *what, const char *name, const char *reason, const char *path)
{
    char *end = notes + sizeof notes;
    append_text(&notes_cursor, end, "\r\n\r\n");
    append_text(&notes_cursor, end, what);
    append_text(&notes_cursor, end, name);
    append_text(&notes_cursor, end, " was kept: ");
    append_text(&notes_cursor, end, reason);
    append_text(&notes_cursor, end, path);
    append_text(&notes_cursor, end, ".");
}

int show_removal_report(void)
{
    if (problems_cursor != problems) {
        append_text(&problems_cursor, problems + sizeof problems, notes);
        show_message(problems, MB_OK | MB_ICONERROR | MB_SETFOREGROUND, NULL);
        return removal_exit_code(true, at_restart);
    }
    static char success[sizeof removed_text + REPORT_SIZE];
    char *cursor = success;
    append_text(&cursor, success + sizeof success, removed_text);
    append_text(&cursor, success + sizeof success, notes);
    show_message(success, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND, NULL);
    return removal_exit_code(false, at_restart);
}
