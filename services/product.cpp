#include "services/product.h"
#include "services/text.h"

const FileTableEntry payload_files[PAYLOAD_FILE_COUNT] = {
    {PROGRAM_FILE_NAME, IDR_PAYLOAD_PROGRAM, FILE_FLAG_EXPAND},
    {HELP_FILE_NAME, IDR_PAYLOAD_HELP, FILE_FLAG_EXPAND},
};

const char *const staged_extensions[STAGED_NAME_KINDS] = {STAGING_EXTENSION, BACKUP_EXTENSION};

bool make_staged_name(uint32_t resource_id, const char *extension, char *name)
{
    char digits[DECIMAL_SIZE];
    const char *first = format_decimal(resource_id, digits);
    if (digits + DECIMAL_SIZE - 1 - first > 5)
        return false;
    char *cursor = name;
    char *end = name + STAGED_NAME_SIZE;
    return append_text(&cursor, end, "~BW") && append_text(&cursor, end, first) &&
           append_text(&cursor, end, extension);
}
