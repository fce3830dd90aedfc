// Makes a test medium's SETUP.EXE from the shipped one: a copy whose payload
// resources are replaced or changed, so that the tests run the shipped code
// with another payload. Each argument works on the bytes the arguments
// before it left (at first the shipped ones):
//   derive_medium SOURCE TARGET ID=FILE...   resource ID becomes FILE's bytes
//   derive_medium SOURCE TARGET ID+1...      payload ID's SZDD header claims
//                                            one byte more than it holds
//   derive_medium SOURCE TARGET ID^N...      the lowest bit of payload ID's
//                                            byte N (from the end if
//                                            negative) flips
//   derive_medium SOURCE TARGET ID!...       payload ID's digest records its
//                                            packed bytes as they are now, so
//                                            that only its expansion shows a
//                                            change
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>
#include "services/crc32.h"
#include "services/payload_header.h"
#include "services/product.h"

namespace {
bool read_file(const char *path, std::vector<char> *data)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        data->insert(data->end(), chunk, chunk + got);
    fclose(file);
    return true;
}

// The bytes of a payload resource of module.
bool read_payload(HMODULE module, int id, std::vector<char> *data)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "RT_RCDATA");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char *bytes = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return false;
    data->assign(bytes, bytes + SizeofResource(module, found));
    return true;
}

struct Resource {
    int id;
    std::vector<char> data;
};
std::vector<Resource> resources;

// Resource id as the earlier arguments left it; null when the shipped file has none.
std::vector<char> *resource(HMODULE shipped, int id)
{
    for (Resource &r : resources)
        if (r.id == id)
            return &r.data;
    Resource added = {id, {}};
    if (!read_payload(shipped, id, &added.data))
        return nullptr;
    resources.push_back(added);
    return &resources.back().data;
}

bool change(HMODULE shipped, int id, const char *rest)
{
    if (*rest == '=') {
        std::vector<char> data;
        if (!read_file(rest + 1, &data))
            return false;
        std::vector<char> *known = resource(shipped, id);
        if (known) {
            *known = data;
        } else {
            resources.push_back({id, data});
        }
        return true;
    }
    std::vector<char> *data = resource(shipped, id);
    if (!data)
        return false;
    if (strcmp(rest, "+1") == 0 && data->size() >= SZDD_HEADER_SIZE) {
        // SZDD: the expanded size is the 32-bit value at offset 10.
        unsigned size;
        memcpy(&size, &(*data)[10], 4);
        size++;
        memcpy(&(*data)[10], &size, 4);
        return true;
    }
    if (*rest == '^') {
        char *end;
        long at = strtol(rest + 1, &end, 10);
        if (at < 0)
            at += static_cast<long>(data->size());
        if (*end || at < 0 || at >= static_cast<long>(data->size()))
            return false;
        (*data)[at] ^= 1;
        return true;
    }
    std::vector<char> *digest = resource(shipped, id + PAYLOAD_DIGEST_ID_OFFSET);
    if (strcmp(rest, "!") == 0 && digest && digest->size() == PAYLOAD_DIGEST_SIZE) {
        data = resource(shipped, id); // the digest may have moved it
        uint32_t crc = update_crc32(0, reinterpret_cast<const unsigned char *>(data->data()),
                                    data->size());
        memcpy(digest->data(), &crc, 4);
        return true;
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: derive_medium SOURCE TARGET ID=FILE|ID+1|ID^N|ID!...\n");
        return 2;
    }
    const char *source = argv[1], *target = argv[2];
    HMODULE shipped = LoadLibraryExA(source, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!shipped) {
        fprintf(stderr, "derive_medium: cannot load %s (%lu)\n", source, GetLastError());
        return 1;
    }
    for (int i = 3; i < argc; i++) {
        char *rest;
        int id = static_cast<int>(strtol(argv[i], &rest, 10));
        if (!change(shipped, id, rest)) {
            fprintf(stderr, "derive_medium: cannot use %s\n", argv[i]);
            return 1;
        }
    }
    FreeLibrary(shipped);

    if (!CopyFileA(source, target, FALSE)) {
        fprintf(stderr, "derive_medium: cannot copy %s to %s (%lu)\n", source, target,
                GetLastError());
        return 1;
    }
    HANDLE update = BeginUpdateResourceA(target, FALSE);
    bool ok = update != nullptr;
    for (size_t i = 0; ok && i < resources.size(); i++)
        ok = UpdateResourceA(update, "RT_RCDATA", MAKEINTRESOURCEA(resources[i].id),
                             MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                             resources[i].data.data(),
                             static_cast<DWORD>(resources[i].data.size()));
    if (!update || !EndUpdateResourceA(update, !ok) || !ok) {
        fprintf(stderr, "derive_medium: cannot update the resources of %s (%lu)\n", target,
                GetLastError());
        return 1;
    }
    printf("derive_medium: %s from %s\n", target, source);
    return 0;
}
