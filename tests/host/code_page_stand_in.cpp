#include "tests/host/code_page_stand_in.h"
#include "services/text.h"

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
