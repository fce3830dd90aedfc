#include "driver/install_state_rules.h"
#include "services/text.h"

SetupMode classify_setup_mode(bool installed, uint32_t installed_version)
{
    if (!installed)
        return SETUP_FRESH;
    if (installed_version == BUILD_VERSION)
        return SETUP_REINSTALL;
    return installed_version < BUILD_VERSION ? SETUP_UPDATE : SETUP_NEWER;
}

bool build_version_label(uint32_t version, char *label, size_t size)
{
    char digits[DECIMAL_SIZE];
    const char *first = format_decimal(version / 100, digits);

    uint32_t hundredths = version % 100;
    char fraction[4] = {'.', (char)('0' + hundredths / 10), (char)('0' + hundredths % 10), 0};
    if (fraction[2] == '0')
        fraction[2] = 0;

    char *cursor = label;
    char *end = label + size;
    return append_text(&cursor, end, "v") && append_text(&cursor, end, first) &&
           append_text(&cursor, end, fraction);
}
