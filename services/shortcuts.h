// Shortcuts to the installed program in the user's shell folders. COM is
// initialised for each call only.
#pragma once
#include <windows.h>
#include <stddef.h>

// Makes "Brimwave.lnk" in the shell folder folder_id (a CSIDL number) pointing
// at program_name in folder, which is also its working folder. Any failure, a
// path too long for its buffer included, shows the user a note; none is fatal.
void add_shortcut(int folder_id, const char *folder, const char *program_name);

// The path of "Brimwave.lnk" in the shell folder folder_id, in UTF-16
// (services/wide_paths.h); false when the shell cannot name the folder or
// the path does not fit size characters.
bool get_shortcut_file(int folder_id, WCHAR *path, size_t size);

// Saves a shortcut file to target with the description and working folder;
// true when the file was saved.
bool create_shell_link(const char *target, const WCHAR *shortcut_file, const char *description,
                       const char *working_folder);

// The target a shortcut file names; false when it cannot be read.
bool read_shell_link_target(const WCHAR *shortcut_file, char *target, int target_size);
