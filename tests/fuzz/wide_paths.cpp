// The UTF-16 path helpers on any paths and names, each judged by the rule
// written out plainly on std::wstring: join, name, folder, the command line
// of a start, the comparison of folders.
#include <string>
#include "services/wide_path_rules.h"
#include "tests/fuzz/fuzz_input.h"

using Wide = std::wstring;

// A wide text in a heap buffer of exactly its characters and the zero.
struct ExactWide {
    std::unique_ptr<wchar_t[]> text;
    explicit ExactWide(const Wide &from) : text(new wchar_t[from.size() + 1])
    {
        memcpy(text.get(), from.c_str(), (from.size() + 1) * sizeof(wchar_t));
    }
};

// Two bytes a character, any but zero.
static Wide wide_text(const Exact &bytes)
{
    Wide text;
    for (size_t i = 0; i + 1 < bytes.size; i += 2) {
        wchar_t c = static_cast<wchar_t>(static_cast<uint8_t>(bytes.get()[i]) |
                                         static_cast<uint8_t>(bytes.get()[i + 1]) << 8);
        if (c)
            text += c;
    }
    return text;
}

// The ANSI text as the code page's characters in UTF-16 (as the stand-in
// converts them: one byte its value, two bytes lead << 8 | trail).
static Wide widened(const char *text)
{
    Wide wide;
    for (const Character &c : characters_of(text))
        wide += static_cast<wchar_t>(c.code);
    return wide;
}

static Wide lowered_without_backslash(Wide text)
{
    if (!text.empty() && text.back() == L'\\')
        text.pop_back();
    for (wchar_t &c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// Whether the call gave expected: true exactly when it fits size
// characters with its zero, and then the same characters.
static void check_written(bool written, const wchar_t *dest, size_t size, const Wide &expected)
{
    FUZZ_CHECK(written == (expected.size() < size));
    if (written)
        FUZZ_CHECK(Wide(dest) == expected);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    size_t dest_size = input.byte() + 1;
    Wide path = wide_text(input.bytes());
    Exact name = input.text();
    Wide other = wide_text(input.bytes(true));
    ExactWide exact_path(path), exact_other(other);
    std::unique_ptr<wchar_t[]> dest(new wchar_t[dest_size]);

    // folder, one backslash unless it ends with one, then the name.
    Wide joined = path;
    if (!path.empty() && path.back() != L'\\')
        joined += L'\\';
    joined += widened(name.get());
    check_written(join_wide_path(dest.get(), dest_size, exact_path.text.get(), name.get()),
                  dest.get(), dest_size, joined);

    // The name after the last backslash, the folder before it: a drive's
    // root keeps its backslash, nothing before the backslash is no folder.
    size_t backslash = path.rfind(L'\\');
    const wchar_t *name_at = wide_path_name(exact_path.text.get());
    FUZZ_CHECK(name_at == exact_path.text.get() + (backslash == Wide::npos ? 0 : backslash + 1));
    bool folder_read = wide_path_folder(dest.get(), dest_size, exact_path.text.get());
    if (backslash == Wide::npos || backslash == 0) {
        FUZZ_CHECK(!folder_read);
    } else {
        Wide folder = path.substr(0, backslash);
        bool root = folder.size() == 2 && folder[1] == L':';
        check_written(folder_read, dest.get(), dest_size, root ? folder + L'\\' : folder);
        // Put together again, they are the path.
        if (folder_read && !root)
            FUZZ_CHECK(Wide(dest.get()) + L'\\' + name_at == path);
    }

    // A program's command line: the program quoted, a blank, the arguments;
    // a program holding a quote could not be read back.
    bool built = build_wide_command(dest.get(), dest_size, exact_path.text.get(), name.get());
    if (path.find(L'"') != Wide::npos)
        FUZZ_CHECK(!built);
    else
        check_written(built, dest.get(), dest_size, L"\"" + path + L"\" " + widened(name.get()));

    // One folder: ASCII letters in any case, one trailing backslash left off.
    bool same = lowered_without_backslash(path) == lowered_without_backslash(other);
    FUZZ_CHECK(is_same_wide_path(exact_path.text.get(), exact_other.text.get()) == same);
    return 0;
}
