#include "driver/file_table.h"

const FileTableEntry payload_files[PAYLOAD_FILE_COUNT] = {
    {"Brimwave.exe", 5000, FILE_FLAG_EXPAND},
    {"Brimwave.chm", 5001, FILE_FLAG_EXPAND},
};
