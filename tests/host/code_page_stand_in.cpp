#include "tests/host/code_page_stand_in.h"
#include "services/text.h"

bool use_code_page_932;

// Code page 932's lead bytes; their second bytes run from 0x40 to 0xFC.
bool is_lead_byte(char c)
{
    unsigned char byte = static_cast<unsigned char>(c);
    return use_code_page_932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}
