// Shared by the fuzz targets. The input's first byte picks the code page the
// stand-in plays; the rest is cut into parts, each copied into a heap buffer
// of exactly its size, so that AddressSanitizer stops a read one byte past
// it. A violated property stops the run like a crash.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <memory>
#include <vector>
#include "services/text.h"
#include "tests/host/code_page_stand_in.h"

#define FUZZ_CHECK(condition)                                                           \
    do {                                                                                \
        if (!(condition)) {                                                             \
            fprintf(stderr, "broken property at %s:%d: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                           \
        }                                                                               \
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
    // the end); with whole_rest, all bytes left. A length byte of 255 takes
    // two more bytes to add, so that a part can fill a buffer of 256 bytes
    // or more exactly, and overfill it.
    Exact bytes(bool whole_rest = false)
    {
        size_t n = whole_rest ? size_ - next_ : byte();
        if (!whole_rest && n == 255)
            n += byte() | byte() << 8;
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

// The characters of a text as the code page's table has them, worked out
// here on its own (not with the stand-in nor the helpers under test): the
// lead bytes Windows lists for each code page; a lead byte and the byte
// after it are one character, a lead byte before the terminating zero one
// on its own. code is a one-byte character's byte, lead << 8 | trail for
// two.
inline bool model_lead_byte(uint8_t byte)
{
    switch (stand_in_code_page) {
    case 932: // Shift JIS
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936: // GBK
    case 949: // Unified Hangul
    case 950: // Big5
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

struct Character {
    size_t at;
    unsigned code;
};

inline std::vector<Character> characters_of(const char *text)
{
    std::vector<Character> characters;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(text);
    for (size_t i = 0; bytes[i];) {
        bool pair = model_lead_byte(bytes[i]) && bytes[i + 1];
        characters.push_back({i, pair ? static_cast<unsigned>(bytes[i] << 8 | bytes[i + 1]) : bytes[i]});
        i += pair ? 2 : 1;
    }
    return characters;
}

// Whether a character of text (or its terminating zero) starts at at.
inline bool is_char_start(const char *text, const char *at)
{
    size_t offset = static_cast<size_t>(at - text);
    if (offset == strlen(text))
        return true;
    for (const Character &c : characters_of(text))
        if (c.at == offset)
            return true;
    return false;
}

// The text's characters, ASCII letters lowered: the bytes of others (a
// double-byte character's second byte too) stay as they are.
inline std::vector<unsigned> folded(const char *text)
{
    std::vector<unsigned> codes;
    for (const Character &c : characters_of(text))
        codes.push_back(c.code >= 'A' && c.code <= 'Z' ? c.code + 32 : c.code);
    return codes;
}

// The last backslash of text that is a character of its own, or NULL.
inline const char *model_last_backslash(const char *text)
{
    const char *last = NULL;
    for (const Character &c : characters_of(text))
        if (c.code == '\\')
            last = text + c.at;
    return last;
}
