#include "services/payload.h"
#include <windows.h>
#include "services/files.h"
#include "services/process.h"
#include "services/system_libraries.h"
#include "services/text.h"

enum { SZDD_HEADER_SIZE = 14, SZDD_SIZE_OFFSET = 10 };
static const unsigned char szdd_magic[9] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A'};

// Work cells, kept for the whole process.
static HRSRC resource;
static DWORD resource_size;
static const unsigned char *resource_bytes;
static HANDLE temporary_file;
static DWORD bytes_written;
static INT source, target;
static OFSTRUCT lz_open_record;

// The files staged so far, and where each stands in its replacement.
struct StagedFile {
    char target[FILE_TABLE_NAME_SIZE];
    char staged[STAGED_NAME_SIZE];
    char backup[STAGED_NAME_SIZE];
    bool aside;  // the file it replaces is under the backup name
    bool placed; // the staged file is under the target name
};
static StagedFile staged_files[STAGED_FILE_LIMIT];
static int staged_count;

void discard_staged_files(void)
{
    for (int i = 0; i < staged_count; i++) {
        clear_file_attributes(staged_files[i].staged);
        DeleteFileA(staged_files[i].staged);
    }
    staged_count = 0;
}

// Ends the program after removing the temporary file and what was staged.
[[noreturn]] static void fail_expansion(const char *text)
{
    DeleteFileA(temporary_file_name);
    discard_staged_files();
    fatal_error(text);
}

static void fail_resource(void)
{
    fail_expansion("ERROR: Could not find/load resource.");
}

static bool has_szdd_header(const unsigned char *bytes, DWORD size)
{
    if (size < SZDD_HEADER_SIZE)
        return false;
    for (unsigned i = 0; i < sizeof szdd_magic; i++)
        if (bytes[i] != szdd_magic[i])
            return false;
    return true;
}

// LZOpenFileA retries a name it cannot open with its last character replaced
// by '_'; the record then names that other file.
static bool record_names(const char *name)
{
    return path_ends_with_name(lz_open_record.szPathName, sizeof lz_open_record.szPathName, name);
}

void extract_payload_file(uint32_t resource_id, const char *target_name)
{
    resource = FindResourceA(module_handle, MAKEINTRESOURCEA(resource_id), "RT_RCDATA");
    if (!resource)
        fail_resource();
    resource_size = SizeofResource(module_handle, resource);
    HGLOBAL loaded = LoadResource(module_handle, resource);
    if (!loaded)
        fail_resource();
    resource_bytes = (const unsigned char *)LockResource(loaded);
    if (!resource_bytes)
        fail_resource();
    // A payload that is no SZDD file is a broken build.
    if (!has_szdd_header(resource_bytes, resource_size))
        fail_resource();
    DWORD expanded_size = resource_bytes[SZDD_SIZE_OFFSET] |
                          resource_bytes[SZDD_SIZE_OFFSET + 1] << 8 |
                          resource_bytes[SZDD_SIZE_OFFSET + 2] << 16 |
                          (DWORD)resource_bytes[SZDD_SIZE_OFFSET + 3] << 24;

    // A file of ours that is read-only, hidden or system cannot be replaced.
    clear_file_attributes(temporary_file_name);
    temporary_file = CreateFileA(temporary_file_name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (temporary_file == INVALID_HANDLE_VALUE)
        fail_expansion("ERROR: Could not create file.");
    // Written straight from the module image, in one write.
    if (!WriteFile(temporary_file, resource_bytes, resource_size, &bytes_written, NULL) ||
        bytes_written != resource_size) {
        CloseHandle(temporary_file);
        fail_expansion("ERROR: Could not write to file.");
    }
    CloseHandle(temporary_file);

    // Make sure the named target itself can be created, so that LZ32 never
    // falls back to an underscore-named file of the user's.
    clear_file_attributes(target_name);
    HANDLE probe = CreateFileA(target_name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        fail_expansion("ERROR: Could not create file.");
    CloseHandle(probe);

    source = lz_open_file((LPSTR)temporary_file_name, &lz_open_record, OF_READ);
    if (source < 0)
        fail_expansion("ERROR: Could not write to file.");
    target = lz_open_file((LPSTR)target_name, &lz_open_record, OF_CREATE | OF_WRITE);
    if (target < 0 || !record_names(target_name)) {
        lz_close(source);
        if (target >= 0)
            lz_close(target);
        fail_expansion("ERROR: Could not create file.");
    }
    LONG copied = lz_copy(source, target);
    lz_close(source);
    lz_close(target);
    if (copied < 0 || (DWORD)copied != expanded_size)
        fail_expansion("ERROR: Could not write to file.");
    DeleteFileA(temporary_file_name);
}

void stage_payload_file(uint32_t resource_id, const char *target_name)
{
    if (staged_count >= STAGED_FILE_LIMIT)
        fail_expansion("ERROR: Could not create file.");
    StagedFile &file = staged_files[staged_count];
    file.aside = file.placed = false;
    if (!copy_text(file.target, sizeof file.target, target_name) ||
        !make_staged_name(resource_id, STAGING_EXTENSION, file.staged) ||
        !make_staged_name(resource_id, BACKUP_EXTENSION, file.backup))
        fail_expansion("ERROR: Could not create file.");
    // Counted before the expansion, so that its failure removes it too.
    staged_count++;
    extract_payload_file(resource_id, file.staged);
}

static bool exists(const char *name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

static void (*between_tries)(void);

static bool rename_file(const char *from, const char *to)
{
    clear_file_attributes(from);
    return move_or_delete_file(from, to, between_tries);
}

// The target goes to its backup name. Windows 95 has no MoveFileExA, so a
// file is never renamed over another: the name must be free first.
static bool move_aside(StagedFile &file)
{
    if (!exists(file.target)) {
        // An earlier run that was cut short may have left the old file under
        // its backup name alone: a failure now puts it back in place.
        file.aside = exists(file.backup);
        return true;
    }
    if (exists(file.backup)) {
        // Left by an earlier run while its target was in place: outdated.
        clear_file_attributes(file.backup);
        if (!move_or_delete_file(file.backup, NULL, between_tries))
            return false;
    }
    file.aside = rename_file(file.target, file.backup);
    return file.aside;
}

static bool move_in(StagedFile &file)
{
    file.placed = rename_file(file.staged, file.target);
    return file.placed;
}

// Undoes the renames done, the last first. A file whose restore fails stays
// where it is, under whichever name: false then.
static bool undo_replacement(void)
{
    bool restored = true;
    for (int i = staged_count - 1; i >= 0; i--) {
        StagedFile &file = staged_files[i];
        if (file.placed) {
            file.placed = !rename_file(file.target, file.staged);
            if (file.placed) {
                restored = false;
                continue; // the old file cannot come back over it
            }
        }
        if (file.aside) {
            file.aside = !rename_file(file.backup, file.target);
            restored = restored && !file.aside;
        }
    }
    return restored;
}

bool put_staged_files_in_place(void (*wait)(void), const char **in_use)
{
    between_tries = wait;
    StagedFile *failed = NULL;
    for (int i = 0; i < staged_count && !failed; i++)
        if (!move_aside(staged_files[i]))
            failed = &staged_files[i];
    for (int i = 0; i < staged_count && !failed; i++)
        if (!move_in(staged_files[i]))
            failed = &staged_files[i];
    if (failed) {
        DWORD error = GetLastError();
        if (!undo_replacement()) {
            // Whatever is left is the only copy of some file: keep it all.
            staged_count = 0;
            fail_expansion("ERROR: Could not create file.");
        }
        if (!is_in_use_error(error))
            fail_expansion("ERROR: Could not create file.");
        *in_use = failed->target;
        return false;
    }
    // The new set is in place. A backup still in use (a running program)
    // goes at the next restart; the installation itself has succeeded.
    for (int i = 0; i < staged_count; i++) {
        StagedFile &file = staged_files[i];
        if (!file.aside)
            continue;
        clear_file_attributes(file.backup); // one left by an earlier run may be read-only
        if (!move_or_delete_file(file.backup, NULL, between_tries))
            delete_at_restart(file.backup);
    }
    staged_count = 0;
    return true;
}
