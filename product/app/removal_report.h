// What an uninstall tells the user at its end: the problems that kept it
// from finishing, and what it kept on purpose.
#pragma once

// Adds "what name outcome" as a line of the failure report.
void note_problem(const char *what, const char *name, const char *outcome);

// Notes something kept on purpose: "what name was kept: reason path."
void note_kept(const char *what, const char *name, const char *reason, const char *path);

// Notes that something of the installation goes only at the next restart.
void note_at_restart(void);

// Shows the report, "Brimwave has been removed." when there was no problem;
// the result is the exit code (removal_exit_code): 1 with problems, 3010
// when something goes at the next restart, else 0.
int show_removal_report(void);
