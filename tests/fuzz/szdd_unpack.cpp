// libFuzzer target: the unpacker on untrusted bytes. Whatever it accepts
// must survive a pack/unpack round trip, which exercises the packer too.
#include "szdd_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> expanded;
    std::string error;
    if (!szdd_unpack(data, size, expanded, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    std::vector<uint8_t> packed;
    if (!szdd_pack(expanded.data(), expanded.size(), static_cast<char>(data[9]), packed)) std::abort();
    std::vector<uint8_t> again;
    if (!szdd_unpack(packed.data(), packed.size(), again, error) || again != expanded) std::abort();
    return 0;
}
