// Shared by the fuzz targets. The input's first byte picks the code page the
// stand-in plays; the rest is cut into parts, each copied into a heap buffer
// of exactly its size, so that AddressSanitizer stops a read one byte past
// it. A violated property stops the run like a crash.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include "services/text.h"
#include "tests/host/code_page_stand_in.h"

#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition))     \
            __builtin_trap(); \
    } while (0)

// A heap buffer of exactly size bytes.
struct Exact {
    std::unique_ptr<char[]> bytes;
    size_t size;
    explicit Exact(size_t n) : bytes(new char[n]), size(n) {}
    char *get() const { return bytes.get(); }
};

class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : data_(data), size_(size)
    {
        static const unsigned code_pages[] = {0, 932, 936, 949, 950};
        stand_in_code_page = size ? code_pages[data[0] % 5] : 0;
        if (size)
            next_ = 1;
    }

    // One byte, 0 once the input is used up.
    uint8_t byte() { return next_ < size_ ? data_[next_++] : 0; }

    uint32_t number()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; i++)
            value |= static_cast<uint32_t>(byte()) << (8 * i);
        return value;
    }

    // The next part's bytes: a length byte, then as many bytes (fewer at
    // the end); with whole_rest, all bytes left.
    Exact bytes(bool whole_rest = false)
    {
        size_t n = whole_rest ? size_ - next_ : byte();
        if (n > size_ - next_)
            n = size_ - next_;
        Exact part(n);
        memcpy(part.get(), data_ + next_, n);
        next_ += n;
        return part;
    }

    // The same as a text: its bytes and a terminating zero, nothing more.
    Exact text(bool whole_rest = false)
    {
        Exact part = bytes(whole_rest);
        Exact terminated(part.size + 1);
        memcpy(terminated.get(), part.get(), part.size);
        terminated.get()[part.size] = 0;
        return terminated;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t next_ = 0;
};

// Whether text ends inside its buffer of size bytes.
inline bool terminated_within(const char *text, size_t size)
{
    return memchr(text, 0, size) != NULL;
}

// Whether a character starts at at, stepping through text with the code
// page's lead bytes on its own (not with the helpers under test): a lead
// byte and the byte after it are one character unless that byte ends the text.
inline bool is_char_start(const char *text, const char *at)
{
    const char *p = text;
    while (p < at && *p)
        p += is_lead_byte(*p) && p[1] ? 2 : 1;
    return p == at;
}
