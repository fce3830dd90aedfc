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
// The digest of each payload, which setup checks it against, is the resource
// of its id plus this (services/payload_header.h).
#define PAYLOAD_DIGEST_ID_OFFSET 100

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

// While it is replaced, an installed file has more names in its folder, all
// made from its resource id: the new file is expanded under the staging
// name, and the file it replaces keeps a backup name until the new one is in
// place. A backup still in use is deleted only at the next restart, so a
// file has a family of backup names, and each run takes one that is free.
// 8.3 names, as LZ32 opens its files through OpenFile of 16-bit Windows;
// '~' keeps them apart from a user's files, and a last character other than
// '_' from LZ32's fallback names.
#define STAGING_EXTENSION ".NEW"
// Backup number 0; then ".O01" to ".O99".
#define BACKUP_EXTENSION ".OLD"
enum { BACKUP_NAME_COUNT = 100 };
// "~BW" and up to five digits, an extension, the zero: "~BW5000.NEW".
enum { STAGED_NAME_SIZE = 13 };
// The staging name of the file of resource_id; false for an id of more than
// five digits.
bool make_staging_name(uint32_t resource_id, char *name);
// Its backup name number index (0 to BACKUP_NAME_COUNT - 1): "~BW5000.OLD",
// "~BW5000.O01", ...; false as above or for an index out of range.
bool make_backup_name(uint32_t resource_id, int index, char *name);
// Whether name (no folder) is a staging or backup name of a payload file,
// ASCII case ignored.
bool is_staged_name(const char *name);
#endif
