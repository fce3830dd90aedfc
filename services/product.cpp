#include "services/product.h"
#include "services/text.h"

const FileTableEntry payload_files[PAYLOAD_FILE_COUNT] = {
    {PROGRAM_FILE_NAME, IDR_PAYLOAD_PROGRAM, FILE_FLAG_EXPAND},
    {HELP_FILE_NAME, IDR_PAYLOAD_HELP, FILE_FLAG_EXPAND},
};

bool format_display_version(uint32_t version, char *text, size_t size)
{
    char digits[DECIMAL_SIZE];
    uint32_t hundredths = version % 100;
    const char fraction[4] = {'.', (char)('0' + hundredths / 10), (char)('0' + hundredths % 10), 0};
    char *cursor = text;
    return size > 0 && append_text(&cursor, text + size, format_decimal(version / 100, digits)) &&
           append_text(&cursor, text + size, fraction);
}

static bool make_staged_name(uint32_t resource_id, const char *extension, char *name)
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

bool make_staging_name(uint32_t resource_id, char *name)
{
    return make_staged_name(resource_id, STAGING_EXTENSION, name);
}

bool make_backup_name(uint32_t resource_id, int index, char *name)
{
    if (index < 0 || index >= BACKUP_NAME_COUNT)
        return false;
    if (index == 0)
        return make_staged_name(resource_id, BACKUP_EXTENSION, name);
    char extension[] = ".O00";
    extension[2] = (char)('0' + index / 10);
    extension[3] = (char)('0' + index % 10);
    return make_staged_name(resource_id, extension, name);
}

static bool is_same_name(const char *name, const char *staged)
{
    size_t length = text_length(staged);
    return bounded_length(name, length + 1) == length && same_ignoring_case(name, staged, length);
}

bool is_staged_name(const char *name)
{
    char staged[STAGED_NAME_SIZE];
    for (const FileTableEntry &entry : payload_files) {
        if (!(entry.flags & FILE_FLAG_EXPAND))
            continue;
        if (make_staging_name(entry.resource_id, staged) && is_same_name(name, staged))
            return true;
        for (int i = 0; i < BACKUP_NAME_COUNT; i++)
            if (make_backup_name(entry.resource_id, i, staged) && is_same_name(name, staged))
                return true;
    }
    return false;
}
