// Brimwave's messages (show_message in services/process.h) in an uninstall
// with options: each is also written to the log, when one is named, and a
// quiet run shows none.
#pragma once

// From now on no message is shown: show_message answers as the default
// button would (Yes to a question). Only the log gets them.
void set_quiet_messages(bool on);
bool messages_are_quiet(void);

// Writes text to the log, a line of the log for each of its lines.
void log_message(const char *text);

// Writes the log's last line: the exit code and what it means.
void log_result(int exit_code);
