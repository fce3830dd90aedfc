#include "tests/host/code_page_stand_in.h"
#include "services/text.h"
#include "services/wide_path_rules.h"

unsigned stand_in_code_page;

// The lead bytes of each code page as Windows gives them. In all four a
// second byte can be 0x5C, the backslash.
bool is_lead_byte(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    switch (stand_in_code_page) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

// The system's conversion into UTF-16 in the same code page: a character of
// one byte keeps its value, one of two bytes becomes lead << 8 | trail, where
// Windows gives its UTF-16 code (any one-to-one rule serves the tests).
bool widen_text(const char *text, wchar_t *wide, size_t size)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    for (size_t n = 0; n < size; n++) {
        bool pair = is_lead_byte(static_cast<char>(*p)) && p[1];
        wide[n] = static_cast<wchar_t>(pair ? *p << 8 | p[1] : *p);
        if (!*p)
            return true;
        p += pair ? 2 : 1;
    }
    return false;
}
