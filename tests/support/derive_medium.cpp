// Makes a test medium's SETUP.EXE from the shipped one: a copy whose payload
// resources are replaced, so that the tests run the shipped code with another
// payload.
//   derive_medium SOURCE TARGET ID=FILE...   resource ID becomes FILE's bytes
//   derive_medium SOURCE TARGET ID+1...      resource ID's SZDD header claims
//                                            one byte more than it holds
//   derive_medium SOURCE TARGET ID^N...      the lowest bit of its byte N
//                                            (from the end if negative) flips
//   derive_medium SOURCE TARGET ID!...       its digest (resource ID + 100)
//                                            records its packed bytes as they
//                                            are, so only an expansion shows
// each on the bytes an earlier argument gave, or the shipped ones.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>
#include "services/crc32.h"

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

std::vector<std::vector<char>> payloads;
std::vector<int> ids;

// Resource id as an earlier argument left it, taken out of the list, or the shipped one.
bool take(HMODULE shipped, int id, std::vector<char> *data)
{
    for (size_t earlier = 0; earlier < ids.size(); earlier++) {
        if (ids[earlier] == id) {
            *data = payloads[earlier];
            ids.erase(ids.begin() + earlier);
            payloads.erase(payloads.begin() + earlier);
            return true;
        }
    }
    return read_payload(shipped, id, data);
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
        std::vector<char> data;
        bool ok;
        if (*rest == '=') {
            ok = read_file(rest + 1, &data);
            std::vector<char> replaced;
            take(shipped, id, &replaced);
        } else if (strcmp(rest, "!") == 0) {
            std::vector<char> digest;
            ok = take(shipped, id, &data) && take(shipped, id + 100, &digest) && digest.size() == 8;
            if (ok) {
                uint32_t crc = update_crc32(0, reinterpret_cast<unsigned char *>(data.data()),
                                            data.size());
                memcpy(&digest[0], &crc, 4);
                ids.push_back(id + 100);
                payloads.push_back(digest);
            }
        } else {
            ok = take(shipped, id, &data);
            long at = *rest == '^' ? strtol(rest + 1, nullptr, 10) : 0;
            if (at < 0)
                at += static_cast<long>(data.size());
            if (ok && *rest == '^' && at >= 0 && at < static_cast<long>(data.size())) {
                data[at] ^= 1;
            } else if (ok && strcmp(rest, "+1") == 0 && data.size() >= 14) {
                // SZDD: the expanded size is the 32-bit value at offset 10.
                unsigned size;
                memcpy(&size, &data[10], 4);
                size++;
                memcpy(&data[10], &size, 4);
            } else {
                ok = false;
            }
        }
        if (!ok) {
            fprintf(stderr, "derive_medium: cannot use %s\n", argv[i]);
            return 1;
        }
        ids.push_back(id);
        payloads.push_back(data);
    }
    FreeLibrary(shipped);

    if (!CopyFileA(source, target, FALSE)) {
        fprintf(stderr, "derive_medium: cannot copy %s to %s (%lu)\n", source, target,
                GetLastError());
        return 1;
    }
    HANDLE update = BeginUpdateResourceA(target, FALSE);
    bool ok = update != nullptr;
    for (size_t i = 0; ok && i < ids.size(); i++)
        ok = UpdateResourceA(update, "RT_RCDATA", MAKEINTRESOURCEA(ids[i]),
                             MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), payloads[i].data(),
                             static_cast<DWORD>(payloads[i].size()));
    if (!update || !EndUpdateResourceA(update, !ok) || !ok) {
        fprintf(stderr, "derive_medium: cannot update the resources of %s (%lu)\n", target,
                GetLastError());
        return 1;
    }
    printf("derive_medium: %s from %s\n", target, source);
    return 0;
}
