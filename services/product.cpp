#include "services/product.h"

const FileTableEntry payload_files[PAYLOAD_FILE_COUNT] = {
    {PROGRAM_FILE_NAME, IDR_PAYLOAD_PROGRAM, FILE_FLAG_EXPAND},
    {HELP_FILE_NAME, IDR_PAYLOAD_HELP, FILE_FLAG_EXPAND},
};
