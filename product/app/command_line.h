// Reading switches from the program's command line. No Win32 here, so it is
// tested natively.
#pragma once

// True when command_line, as GetCommandLineA gives it (program name first),
// carries name (for example "/uninstall") as an argument of its own, compared
// without regard to ASCII case. The program name never counts, nor anything
// written between double quotes, nor a longer word that only starts with name
// ("/uninstallx"). Double quotes toggle quoting and backslashes are plain
// characters, as in the paths Windows itself writes into command lines.
bool has_switch(const char *command_line, const char *name);
