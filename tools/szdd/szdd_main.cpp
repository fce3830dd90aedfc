// szdd: packs files into SZDD method A for the setup program's payload, and
// unpacks them again.
//
//   szdd pack IN OUT [NAME [DIGEST]]
//                             NAME: the name the file is installed under;
//                             its last character goes into the header
//                             (default: IN's base name). DIGEST: the file
//                             setup checks the payload against, the CRC-32
//                             of OUT's bytes and of IN's (u32 little-endian
//                             each), written once OUT expands to IN again.
//   szdd unpack IN OUT
//
// Exit status 0 on success; otherwise 1 (2 for bad arguments) with one line
// on stderr. OUT is written only once the whole result is ready.
#include "szdd_codec.h"
#include "services/crc32.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: szdd pack IN OUT [NAME [DIGEST]] | szdd unpack IN OUT";

int fail(const std::string& message) {
    std::fprintf(stderr, "szdd: %s\n", message.c_str());
    return 1;
}

bool read_file(const std::string& path, std::vector<uint8_t>& data, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    data.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        data.insert(data.end(), chunk, chunk + got);
    }
    const bool read_failed = std::ferror(file) != 0;
    const int read_errno = errno;
    std::fclose(file);
    if (read_failed) {
        error = "cannot read '" + path + "': " + std::strerror(read_errno);
        return false;
    }
    return true;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& data, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    // A write counts as failed until the close has flushed it.
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
    int write_errno = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        write_errno = errno;
    }
    if (!ok) {
        error = "cannot write '" + path + "': " + std::strerror(write_errno);
        std::remove(path.c_str());
    }
    return ok;
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The digest of a payload, once its packed bytes are known to expand to the input.
bool write_digest(const std::string& path, const std::vector<uint8_t>& data,
                  const std::vector<uint8_t>& packed, std::string& error) {
    std::vector<uint8_t> expanded;
    if (!szdd_unpack(packed.data(), packed.size(), expanded, error) || expanded != data) {
        error = "the packed bytes do not expand to the input";
        return false;
    }
    std::vector<uint8_t> digest;
    put_u32(digest, update_crc32(0, packed.data(), packed.size()));
    put_u32(digest, update_crc32(0, data.data(), data.size()));
    return write_file(path, digest, error);
}

int pack(const std::string& in_path, const std::string& out_path, const std::string& name,
         const std::string& digest_path) {
    const char name_last = szdd_name_last_char(name);
    if (name_last == '\0') return fail("no file name to take the header's name character from: '" + name + "'");
    std::vector<uint8_t> data;
    std::string error;
    if (!read_file(in_path, data, error)) return fail(error);
    std::vector<uint8_t> packed;
    if (!szdd_pack(data.data(), data.size(), name_last, packed)) {
        return fail("'" + in_path + "' is too large for SZDD (" + std::to_string(data.size()) + " bytes)");
    }
    if (!write_file(out_path, packed, error)) return fail(error);
    if (!digest_path.empty() && !write_digest(digest_path, data, packed, error)) {
        std::remove(out_path.c_str());
        return fail(error);
    }
    return 0;
}

int unpack(const std::string& in_path, const std::string& out_path) {
    std::vector<uint8_t> data;
    std::string error;
    if (!read_file(in_path, data, error)) return fail(error);
    std::vector<uint8_t> expanded;
    if (!szdd_unpack(data.data(), data.size(), expanded, error)) return fail("'" + in_path + "': " + error);
    if (!write_file(out_path, expanded, error)) return fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "pack" && argc >= 4 && argc <= 6) {
        return pack(argv[2], argv[3], argc >= 5 ? argv[4] : argv[2], argc == 6 ? argv[5] : "");
    }
    if (command == "unpack" && argc == 4) return unpack(argv[2], argv[3]);
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
}
