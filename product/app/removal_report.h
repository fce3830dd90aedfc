// What an uninstall tells the user at its end: the problems that kept it
// from finishing, and what it kept on purpose.
#pragma once

// Adds "what name outcome" as a line of the failure report.
void note_problem(const char *what, const char *name, const char *outcome);

// Notes something kept on purpose: "what name was kept: reason path."
void note_kept(const char *what, const char *name, const char *reason, const char *path);

// Shows the report, "Brimwave has been removed." when there was no problem;
// the result is the exit code, 0 only without problems.
int show_removal_report(void);
