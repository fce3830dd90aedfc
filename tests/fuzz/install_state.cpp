// The installation state from raw registry data: ProgramDirectory,
// ProgramVersion and ProgramFilesDir as any earlier installation, program or
// damaged profile left them, of any type and size, terminated or not; then
// the version label and the destination offered.
#include <string>
#include "driver/install_state_rules.h"
#include "tests/fuzz/fuzz_input.h"

// A value as RegQueryValueExA gives it into a buffer of size bytes: its
// bytes whatever its type (the readers never look at it), or nothing and
// false when it is missing or larger. The rest of the buffer stays as it
// was; for a text, it holds no zero.
struct Value {
    bool present;
    std::string bytes;

    RegistryRead query(void *buffer, size_t size, bool text = true) const
    {
        if (text)
            memset(buffer, 'x', size);
        if (!present || bytes.size() > size)
            return {false, 0};
        memcpy(buffer, bytes.data(), bytes.size());
        return {true, bytes.size()};
    }
    // The text it holds when it fits a buffer of size bytes with its zero.
    bool text(size_t size, std::string *text) const
    {
        if (!present || bytes.size() > size)
            return false;
        *text = bytes.substr(0, bytes.find('\0'));
        return text->size() < size;
    }
};

static Value value(FuzzInput &input)
{
    bool present = input.byte() & 1;
    Exact bytes = input.bytes();
    return {present, std::string(bytes.get(), bytes.size)};
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

// The Program Files rule: the folder and "\Brimwave" (the folder's own
// trailing backslash serving), when that fits and the folder does not end
// in a lead byte on its own; else the Windows folder's drive with
// "\Program Files\Brimwave"; else nothing.
static std::string fresh_destination(const std::string *program_files, const char *windows)
{
    if (program_files && !program_files->empty()) {
        std::vector<Character> characters = characters_of(program_files->c_str());
        unsigned last = characters.back().code;
        std::string joined = *program_files + (last == '\\' ? "" : "\\") + "Brimwave";
        if (!(last < 256 && model_lead_byte(static_cast<uint8_t>(last))) &&
            joined.size() < DESTINATION_SIZE)
            return joined;
    }
    if (!windows || !windows[0] || windows[1] != ':')
        return "";
    return std::string(1, windows[0]) + ":\\Program Files\\Brimwave";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    Value directory = value(input), version_value = value(input);
    Value program_files = value(input);
    bool have_windows = input.byte() & 1;
    Exact windows = input.text(true);

    InstallState state;
    state.installed_version = 0;
    RegistryRead directory_read =
        directory.query(state.previous_directory, sizeof state.previous_directory);
    RegistryRead version_read = version_value.query(&state.installed_version, 4, false);
    judge_previous_installation(&state, directory_read, version_read);

    // Installed when the folder is a text that fits and a version is there;
    // up to 4 bytes fill the version from its lowest byte.
    std::string previous;
    bool installed = directory.text(DESTINATION_SIZE, &previous) && version_value.present &&
                     version_value.bytes.size() <= 4;
    uint32_t version = 0;
    for (size_t i = 0; installed && i < version_value.bytes.size(); i++)
        version |= static_cast<uint32_t>(static_cast<uint8_t>(version_value.bytes[i])) << 8 * i;
    FUZZ_CHECK(state.installed == installed && state.installed_version == version);
    FUZZ_CHECK(terminated_within(state.previous_directory, sizeof state.previous_directory));
    FUZZ_CHECK(state.previous_directory == (installed ? previous : ""));

    Exact label(VERSION_LABEL_SIZE);
    uint32_t read_back = 0;
    FUZZ_CHECK(build_version_label(version, label.get(), label.size));
    FUZZ_CHECK(read_label(label.get(), &read_back) && read_back == version);

    SetupMode mode = classify_setup_mode(installed, version);
    FUZZ_CHECK((mode == SETUP_FRESH) == !installed);
    Exact offered(DESTINATION_SIZE);
    Exact program_files_buffer(DESTINATION_SIZE);
    RegistryRead program_files_read =
        program_files.query(program_files_buffer.get(), program_files_buffer.size);
    choose_offered_destination(offered.get(), mode, state.previous_directory,
                               program_files_buffer.get(), program_files_buffer.size,
                               program_files_read, have_windows ? windows.get() : NULL);
    FUZZ_CHECK(terminated_within(offered.get(), offered.size));
    std::string expected = previous;
    std::string program_files_text;
    if (!installed)
        expected = fresh_destination(
            program_files.text(DESTINATION_SIZE, &program_files_text) ? &program_files_text : NULL,
            have_windows ? windows.get() : NULL);
    FUZZ_CHECK(offered.get() == expected);
    return 0;
}
