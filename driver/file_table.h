// The files that the setup program installs, in installation order.
#pragma once
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
