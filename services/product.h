// Brimwave's names as the machine knows them: the registry keys, the files,
// the shortcut and the window classes. The setup program, Brimwave.exe and
// the tests all take them from here, so that one edit changes every program.
// Plain macros so that texts can be joined at compile time and the resource
// scripts can read the ids. No Win32 here.
#pragma once

// Below HKEY_CURRENT_USER: ProgramDirectory, ProgramVersion, MonitorDevice.
#define PRODUCT_KEY "Software\\Brimwave"
// Below HKEY_LOCAL_MACHINE: DisplayName and UninstallString.
#define UNINSTALL_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brimwave"

// The files installed, in installation order, and their payload resources.
#define PROGRAM_FILE_NAME "Brimwave.exe"
#define HELP_FILE_NAME "Brimwave.chm"
#define IDR_PAYLOAD_PROGRAM 5000
#define IDR_PAYLOAD_HELP 5001

// The argument of the uninstall command setup registers for Brimwave.exe.
#define UNINSTALL_SWITCH "/uninstall"

// In the Start menu's programs folder and on the desktop.
#define SHORTCUT_NAME "Brimwave.lnk"

// The folder a fresh installation proposes, in Program Files.
#define PRODUCT_FOLDER_NAME "Brimwave"

// The setup program marks its run with a hidden window of this class, and
// the setup program looks for Brimwave's main window by the other: neither
// may change between versions.
#define SETUP_WINDOW_CLASS "Install Brimwave"
#define MAIN_WINDOW_CLASS "Brimwave"

// Held by a running setup program, and by an uninstall from its start until
// its finishing copy has ended: each refuses to run while the other's exists.
#define SETUP_MUTEX_NAME "Brimwave Setup"
#define UNINSTALL_MUTEX_NAME "Brimwave Uninstall"

#ifndef RC_INVOKED
#include <stdint.h>

enum {
    FILE_TABLE_NAME_SIZE = 80,
    FILE_FLAG_EXPAND = 1, // expand the resource into the file called name
    FILE_FLAG_FOLDER = 2, // create a sub-folder called name (tested first)
};

struct FileTableEntry {
    char name[FILE_TABLE_NAME_SIZE];
    uint32_t resource_id;
    uint32_t flags;
};

enum { PAYLOAD_FILE_COUNT = 2 };
extern const FileTableEntry payload_files[PAYLOAD_FILE_COUNT];

// While it is replaced, an installed file has two more names in its folder,
// both made from its resource id: the new file is expanded under the staging
// name, and the file it replaces keeps the backup name until the new one is
// in place. 8.3 names, as LZ32 opens its files through OpenFile of 16-bit
// Windows; '~' keeps them apart from a user's files, and a last character
// other than '_' from LZ32's fallback names.
#define STAGING_EXTENSION ".NEW"
#define BACKUP_EXTENSION ".OLD"
enum { STAGED_NAME_KINDS = 2 };
extern const char *const staged_extensions[STAGED_NAME_KINDS]; // both of the above
// "~BW" and up to five digits, an extension, the zero: "~BW5000.NEW".
enum { STAGED_NAME_SIZE = 13 };
// The staging or backup name (extension one of the above) of the file of
// resource_id; false for an id of more than five digits.
bool make_staged_name(uint32_t resource_id, const char *extension, char *name);
#endif
