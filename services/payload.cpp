#include "services/payload.h"
#include <windows.h>
#include <lzexpand.h>
#include "services/process.h"
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

static void fail_resource(void)
{
    fatal_error("ERROR: Could not find/load resource.");
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

// Ends the program after removing the temporary file.
[[noreturn]] static void fail_expansion(const char *text)
{
    DeleteFileA(temporary_file_name);
    fatal_error(text);
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
        fatal_error("ERROR: Could not create file.");
    // Written straight from the module image, in one write.
    if (!WriteFile(temporary_file, resource_bytes, resource_size, &bytes_written, NULL) ||
        bytes_written != resource_size) {
        CloseHandle(temporary_file);
        fatal_error("ERROR: Could not write to file.");
    }
    CloseHandle(temporary_file);

    // Make sure the named target itself can be created, so that LZ32 never
    // falls back to an underscore-named file of the user's.
    HANDLE probe = CreateFileA(target_name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        fail_expansion("ERROR: Could not create file.");
    CloseHandle(probe);

    source = LZOpenFileA((LPSTR)temporary_file_name, &lz_open_record, OF_READ);
    if (source < 0)
        fail_expansion("ERROR: Could not write to file.");
    target = LZOpenFileA((LPSTR)target_name, &lz_open_record, OF_CREATE | OF_WRITE);
    if (target < 0 || !record_names(target_name)) {
        LZClose(source);
        if (target >= 0)
            LZClose(target);
        fail_expansion("ERROR: Could not create file.");
    }
    LONG copied = LZCopy(source, target);
    LZClose(source);
    LZClose(target);
    DeleteFileA(temporary_file_name);
    if (copied < 0 || (DWORD)copied != expanded_size)
        fatal_error("ERROR: Could not write to file.");
}
