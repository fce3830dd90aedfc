// Shortcuts to the installed program in the user's shell folders.
#pragma once

// Makes "Brimwave.lnk" in the shell folder folder_id (a CSIDL number) pointing
// at program_name in folder, which is also its working folder. Any failure, a
// path too long for its buffer included, shows the user a note; none is fatal.
void add_shortcut(int folder_id, const char *folder, const char *program_name);

// Saves a shortcut file to target with the description and working folder;
// true when the file was saved. COM is initialised for the call only.
bool create_shell_link(const char *target, const char *shortcut_file, const char *description,
                       const char *working_folder);
