// The administrator's log (/LOG=<file>): plain lines appended to a file. Each
// line is written on its own, opened and closed again, so that a log shared by
// two runs or two processes keeps every line whole. Without a file named,
// nothing is written.
#pragma once

// Takes a copy of path; false when it does not fit (nothing is logged then).
bool set_log_file(const char *path);

// Appends text, then the second text if given, and CR LF. A log that cannot
// be written loses the line; the run goes on.
void log_line(const char *text, const char *more = nullptr);
