// The ANSI code page's character boundaries, as the system knows them.
#include <windows.h>
#include "services/text.h"

bool is_lead_byte(char c)
{
    return IsDBCSLeadByte((BYTE)c) != FALSE;
}
