#include "services/payload.h"
#include <windows.h>
#include "services/crc32.h"
#include "services/files.h"
#include "services/payload_header.h"
#include "services/process.h"
#include "services/replacement_rules.h"
#include "services/system_libraries.h"
#include "services/text.h"

// Work cells, kept for the whole process.
static DWORD resource_size;
static const unsigned char *resource_bytes;
static HANDLE temporary_file;
static DWORD bytes_written;
static INT source, target;
static OFSTRUCT lz_open_record;
static PayloadHeader header;
// Expanded files are read back through it for their check.
static unsigned char read_back[32768];
uint32_t expanded_bytes;

// The files staged so far, and where each stands in its replacement.
struct StagedFile {
    uint32_t resource_id;
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

static const unsigned char *load_payload_resource(uint32_t id, DWORD *size)
{
    HRSRC found = FindResourceA(module_handle, MAKEINTRESOURCEA(id), "RT_RCDATA");
    HGLOBAL loaded = found ? LoadResource(module_handle, found) : NULL;
    *size = found ? SizeofResource(module_handle, found) : 0;
    return loaded ? (const unsigned char *)LockResource(loaded) : NULL;
}

// The payload's packed bytes and its header; false when either resource is
// missing or not what the packer makes.
static bool find_payload(uint32_t resource_id)
{
    DWORD digest_size;
    resource_bytes = load_payload_resource(resource_id, &resource_size);
    const unsigned char *digest =
        load_payload_resource(resource_id + PAYLOAD_DIGEST_ID_OFFSET, &digest_size);
    return resource_bytes && digest &&
           read_payload_header(resource_bytes, resource_size, digest, digest_size, &header);
}

static const char damaged_setup_text[] =
    "ERROR: This setup program is damaged. Copy or download it again.";

void check_payloads(void)
{
    for (const FileTableEntry &entry : payload_files)
        if ((entry.flags & FILE_FLAG_EXPAND) &&
            (!find_payload(entry.resource_id) ||
             !packed_bytes_match(&header, resource_bytes, resource_size)))
            fatal_error(damaged_setup_text);
}

// The CRC-32 of the named file's bytes as they are on disk; false when it
// cannot be read to its end.
static bool read_file_crc(const char *name, uint32_t *crc)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD got;
    bool read;
    *crc = 0;
    while ((read = ReadFile(file, read_back, sizeof read_back, &got, NULL)) && got > 0)
        *crc = update_crc32(*crc, read_back, got);
    CloseHandle(file);
    return read;
}

// LZOpenFileA retries a name it cannot open with its last character replaced
// by '_'; the record then names that other file.
static bool record_names(const char *name)
{
    return path_ends_with_name(lz_open_record.szPathName, sizeof lz_open_record.szPathName, name);
}

void extract_payload_file(uint32_t resource_id, const char *target_name)
{
    // A payload that is no SZDD file, or has no digest, is a broken build.
    if (!find_payload(resource_id))
        fail_resource();

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
    // LZ32 checks nothing: what it made is read back and compared with the
    // digest before the file can replace anything.
    uint32_t crc;
    if (!read_file_crc(target_name, &crc) || !expansion_matches(&header, copied, crc))
        fail_expansion("ERROR: Could not write to file.");
    expanded_bytes += header.expanded_size;
    DeleteFileA(temporary_file_name);
}

void stage_payload_file(uint32_t resource_id, const char *target_name)
{
    if (staged_count >= STAGED_FILE_LIMIT)
        fail_expansion("ERROR: Could not create file.");
    StagedFile &file = staged_files[staged_count];
    file.resource_id = resource_id;
    file.aside = file.placed = false;
    if (!copy_text(file.target, sizeof file.target, target_name) ||
        !make_staging_name(resource_id, file.staged))
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
// The name whose rename failed last, for the classification of its error.
static char failed_name[FILE_TABLE_NAME_SIZE];

static bool rename_file(const char *from, const char *to)
{
    clear_file_attributes(from);
    if (move_or_delete_file(from, to, between_tries))
        return true;
    DWORD error = GetLastError();
    copy_text(failed_name, sizeof failed_name, from);
    SetLastError(error);
    return false;
}

static BackupNameState backup_name_state(const char *name)
{
    if (is_pending_at_restart(name))
        return BACKUP_NAME_PENDING;
    return exists(name) ? BACKUP_NAME_KEPT : BACKUP_NAME_FREE;
}

// The target goes to a free backup name. A file that an earlier run could
// not put back comes back first, so that an undo now restores it. Windows 95
// has no MoveFileExA, so a file is never renamed over another: the name
// must be free first.
static bool move_aside(StagedFile &file)
{
    bool target_exists = exists(file.target);
    BackupNameState states[BACKUP_NAME_COUNT];
    char names[BACKUP_NAME_COUNT][STAGED_NAME_SIZE];
    // Only as far as the choice needs: the first free name, and while the
    // target is missing, the first kept one.
    int known = 0;
    bool free_found = false, kept_found = false;
    while (known < BACKUP_NAME_COUNT && !(free_found && (target_exists || kept_found))) {
        if (!make_backup_name(file.resource_id, known, names[known]))
            break;
        states[known] = backup_name_state(names[known]);
        free_found = free_found || states[known] == BACKUP_NAME_FREE;
        kept_found = kept_found || states[known] == BACKUP_NAME_KEPT;
        known++;
    }
    BackupChoice choice = choose_backup_names(target_exists, states, known);
    if (choice.put_back >= 0) {
        if (!rename_file(names[choice.put_back], file.target))
            return false;
        target_exists = true;
    }
    if (!target_exists)
        return true;
    if (choice.use < 0) {
        copy_text(failed_name, sizeof failed_name, file.target);
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    copy_text(file.backup, sizeof file.backup, names[choice.use]);
    file.aside = rename_file(file.target, file.backup);
    return file.aside;
}

static bool move_in(StagedFile &file)
{
    file.placed = rename_file(file.staged, file.target);
    return file.placed;
}

// Undoes the renames done, the last first. A file whose restore fails stays
// where it is, under whichever name, with aside still set: false then.
static bool undo_renames(void)
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

enum { REPORT_SIZE = 64 + STAGED_FILE_LIMIT * (2 * MAX_PATH + 64) };
static char report[REPORT_SIZE];

// Ends the program with text, then a line naming path (relative to the
// current folder) in full and what happened to it.
[[noreturn]] static void fail_with_file(const char *text, const char *path, const char *what)
{
    char full_path[MAX_PATH];
    char *cursor = report;
    char *end = report + sizeof report;
    DWORD length = GetFullPathNameA(path, sizeof full_path, full_path, NULL);
    append_text(&cursor, end, text);
    if (length > 0 && length < sizeof full_path && append_text(&cursor, end, "\r\n") &&
        append_text(&cursor, end, full_path))
        append_text(&cursor, end, what);
    fail_expansion(report);
}

// Undoes every rename. When some earlier file cannot be put back, nothing
// more is touched and the program ends saying where each such file is kept.
static void undo_or_fail(void)
{
    if (undo_renames())
        return;
    char full_path[MAX_PATH];
    char *cursor = report;
    char *end = report + sizeof report;
    append_text(&cursor, end, "ERROR: Could not create file.");
    for (int i = 0; i < staged_count; i++) {
        StagedFile &file = staged_files[i];
        DWORD length = GetFullPathNameA(file.backup, sizeof full_path, full_path, NULL);
        if (!file.aside || length == 0 || length >= sizeof full_path)
            continue;
        append_text(&cursor, end, "\r\nThe earlier ");
        append_text(&cursor, end, file.target);
        append_text(&cursor, end, " could not be put back; it is kept as ");
        append_text(&cursor, end, full_path);
    }
    // Whatever is left is the only copy of some file: keep it all.
    staged_count = 0;
    fail_expansion(report);
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
    if (!failed)
        return true;
    FileProblem problem = classify_file_problem(failed_name, GetLastError());
    undo_or_fail();
    if (problem == FILE_IN_USE) {
        *in_use = failed->target;
        return false;
    }
    fail_with_file("ERROR: Could not create file.", failed->target,
                   problem == FILE_NEEDS_RIGHTS
                       ? " could not be replaced: you do not have the rights to change it."
                       : " could not be replaced.");
}

void keep_replacement(void)
{
    // A backup still in use (a running program) goes at the next restart;
    // the installation itself has succeeded. Nothing is pumped while a
    // backup is waited for: an abort could no longer be honoured.
    for (int i = 0; i < staged_count; i++)
        if (staged_files[i].aside)
            delete_now_or_at_restart(staged_files[i].backup, NULL);
    staged_count = 0;
}

void undo_replacement(void)
{
    undo_or_fail();
    discard_staged_files();
}
