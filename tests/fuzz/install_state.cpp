// The installation state from raw registry data: ProgramDirectory,
// ProgramVersion and ProgramFilesDir as any earlier installation, program or
// damaged profile left them, of any type and size, terminated or not; then
// the mode, the version label and the default destination, as
// driver/install_state.cpp puts these rules together.
#include "driver/destination.h"
#include "driver/install_state_rules.h"
#include "services/registry_path.h"
#include "tests/fuzz/fuzz_input.h"

// What RegQueryValueExA leaves in a buffer of size bytes: the value's bytes
// whatever its type (the readers never look at it), or nothing and false
// when the value is missing or larger. The rest of the buffer holds no zero.
static bool query(FuzzInput &input, char *buffer, size_t size, size_t *data_size)
{
    bool present = input.byte() & 1;
    Exact value = input.bytes();
    memset(buffer, 'x', size);
    if (!present || value.size > size)
        return false;
    memcpy(buffer, value.get(), value.size);
    *data_size = value.size;
    return true;
}

// Reads "v<units>.<hundredths>" back, one digit of hundredths counting tens.
static bool read_label(const char *label, uint32_t *version)
{
    if (*label++ != 'v')
        return false;
    uint64_t units = 0;
    for (; *label >= '0' && *label <= '9'; label++)
        units = units * 10 + static_cast<unsigned>(*label - '0');
    if (*label++ != '.' || *label < '0' || *label > '9')
        return false;
    uint32_t hundredths = static_cast<uint32_t>(*label++ - '0') * 10;
    if (*label >= '0' && *label <= '9')
        hundredths += static_cast<uint32_t>(*label++ - '0');
    *version = static_cast<uint32_t>(units * 100 + hundredths);
    return *label == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    Exact previous(DESTINATION_SIZE);
    size_t length = 0;
    bool read = query(input, previous.get(), previous.size, &length);
    bool installed = read && terminate_registry_text(previous.get(), previous.size, length);
    if (installed)
        FUZZ_CHECK(terminated_within(previous.get(), previous.size));
    else if (read) // refused only when it fills the buffer without a zero
        FUZZ_CHECK(length == previous.size && !memchr(previous.get(), 0, length));

    // Up to 4 bytes fill the version from its lowest byte.
    unsigned char version_bytes[4] = {};
    size_t version_size = 0;
    Exact raw(4);
    bool has_version = query(input, raw.get(), raw.size, &version_size);
    memcpy(version_bytes, raw.get(), has_version ? version_size : 0);
    uint32_t version = has_version ? version_bytes[0] | version_bytes[1] << 8 |
                                         version_bytes[2] << 16 |
                                         static_cast<uint32_t>(version_bytes[3]) << 24
                                   : 0;
    installed = installed && has_version;

    SetupMode mode = classify_setup_mode(installed, version);
    FUZZ_CHECK((mode == SETUP_FRESH) == !installed);
    if (installed)
        FUZZ_CHECK(mode == (version == BUILD_VERSION  ? SETUP_REINSTALL
                            : version < BUILD_VERSION ? SETUP_UPDATE
                                                      : SETUP_NEWER));

    Exact label(VERSION_LABEL_SIZE);
    uint32_t read_back = 0;
    FUZZ_CHECK(build_version_label(version, label.get(), label.size));
    FUZZ_CHECK(terminated_within(label.get(), label.size));
    FUZZ_CHECK(read_label(label.get(), &read_back) && read_back == version);

    Exact destination(DESTINATION_SIZE);
    if (mode != SETUP_FRESH) {
        // The previous folder, whole.
        FUZZ_CHECK(copy_text(destination.get(), destination.size, previous.get()));
        return 0;
    }
    Exact program_files(DESTINATION_SIZE);
    size_t program_files_size = 0;
    bool have_program_files =
        query(input, program_files.get(), program_files.size, &program_files_size) &&
        terminate_registry_text(program_files.get(), program_files.size, program_files_size);
    Exact windows_directory = input.text(true);
    choose_fresh_destination(destination.get(), have_program_files ? program_files.get() : NULL,
                             windows_directory.get());
    const char *chosen = destination.get();
    FUZZ_CHECK(terminated_within(chosen, destination.size));
    if (!*chosen)
        return 0;
    // Whatever it was made of, it ends in the product's folder, named by a
    // backslash of its own.
    static const char product_folder[] = "\\Brimwave";
    size_t chosen_length = strlen(chosen);
    FUZZ_CHECK(chosen_length >= sizeof product_folder - 1);
    const char *folder_at = chosen + chosen_length - (sizeof product_folder - 1);
    FUZZ_CHECK(strcmp(folder_at, product_folder) == 0);
    FUZZ_CHECK(is_char_start(chosen, folder_at));
    return 0;
}
