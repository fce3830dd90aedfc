#include "services/payload.h"
#include <windows.h>
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

// The files staged so far: the target names, and the staged and backup names.
static char staged_targets[STAGED_FILE_LIMIT][STAGED_NAME_SIZE];
static char staged_names[STAGED_FILE_LIMIT][STAGED_NAME_SIZE];
static char backup_name[STAGED_NAME_SIZE];
static int staged_count;

void discard_staged_files(void)
{
    for (int i = 0; i < staged_count; i++)
        DeleteFileA(staged_names[i]);
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
    if (staged_count >= STAGED_FILE_LIMIT ||
        !copy_text(staged_targets[staged_count], STAGED_NAME_SIZE, target_name) ||
        !copy_text(staged_names[staged_count], STAGED_NAME_SIZE, target_name))
        fail_expansion("ERROR: Could not create file.");
    // The backup name has the same length, so it fits too.
    char *cursor = staged_names[staged_count] + bounded_length(target_name, STAGED_NAME_SIZE);
    if (!append_text(&cursor, staged_names[staged_count] + STAGED_NAME_SIZE, staging_suffix))
        fail_expansion("ERROR: Could not create file.");
    // Counted before the expansion, so that its failure removes it too.
    extract_payload_file(resource_id, staged_names[staged_count++]);
}

// Windows 95 has no MoveFileExA, so a target is replaced in three renames.
static bool replace_with_staged(const char *target_name, const char *staged_name)
{
    char *cursor = backup_name;
    if (!append_text(&cursor, backup_name + sizeof backup_name, target_name) ||
        !append_text(&cursor, backup_name + sizeof backup_name, backup_suffix))
        return false;
    bool had_old = GetFileAttributesA(target_name) != INVALID_FILE_ATTRIBUTES;
    if (had_old) {
        DeleteFileA(backup_name); // left by an earlier run that was cut short
        if (!MoveFileA(target_name, backup_name))
            return false;
    }
    if (!MoveFileA(staged_name, target_name)) {
        if (had_old)
            MoveFileA(backup_name, target_name);
        return false;
    }
    if (had_old)
        DeleteFileA(backup_name);
    return true;
}

void put_staged_files_in_place(void)
{
    for (int i = 0; i < staged_count; i++)
        if (!replace_with_staged(staged_targets[i], staged_names[i]))
            fail_expansion("ERROR: Could not create file.");
    staged_count = 0;
}
