// Windows' tidying of a path into its full form (what GetFullPathName gives
// and what the file calls then act on), written out plainly from the rules
// Windows documents: the oracle of the root properties. It knows nothing of
// the tidying under test (services/full_path.cpp).
#pragma once
#include <string>
#include "tests/fuzz/fuzz_input.h"

enum class Tidied {
    FOLDER, // a drive's or a share's root and at least one name under it
    ROOT,   // "X:\", "\\server\share", or a server alone
    DEVICE, // "\\?\...", "\\.\...", or a DOS device's name
    OTHER,  // read against a current folder, or an empty server or share
};

inline bool is_dos_device(std::vector<unsigned> name)
{
    // The name up to a '.' or ':', its trailing blanks left off, any case.
    std::string base;
    for (unsigned c : name) {
        if (c == '.' || c == ':')
            break;
        base += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : static_cast<char>(c & 0xFF);
        if (c > 0xFF)
            base += '#'; // a double-byte character names no device
    }
    base.erase(base.find_last_not_of(' ') + 1);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

inline Tidied tidied_form(const char *path)
{
    // 1. '/' is a separator as '\' is.
    std::vector<unsigned> c;
    for (const Character &character : characters_of(path))
        c.push_back(character.code == '/' ? '\\' : character.code);
    auto separator = [&](size_t i) { return i < c.size() && c[i] == '\\'; };
    auto name_end = [&](size_t i) {
        while (i < c.size() && !separator(i))
            i++;
        return i;
    };
    // 2. The root: two separators, then "?" or "." alone a device path, else
    //    a server and a share; or a character, ':' and a separator.
    size_t i;
    bool share = separator(0) && separator(1);
    if (share) {
        if (c.size() > 2 && (c[2] == '?' || c[2] == '.') && (c.size() == 3 || separator(3)))
            return Tidied::DEVICE;
        size_t server_end = name_end(2);
        if (server_end == 2)
            return Tidied::OTHER;
        if (server_end == c.size())
            return Tidied::ROOT;
        size_t share_end = name_end(server_end + 1);
        if (share_end == server_end + 1)
            return Tidied::OTHER;
        i = share_end;
    } else if (c.size() > 2 && c[1] == ':' && separator(2)) {
        i = 3;
    } else {
        return Tidied::OTHER;
    }
    // 3. The names: runs of separators count as one; "." goes, ".." takes
    //    the name before it (never the root); a name followed by a separator
    //    loses one trailing '.', the last name all its trailing dots and
    //    blanks, and a name left empty goes.
    std::vector<std::vector<unsigned>> names;
    while (i < c.size()) {
        while (separator(i))
            i++;
        if (i == c.size())
            break;
        size_t end = name_end(i);
        std::vector<unsigned> name(c.begin() + i, c.begin() + end);
        i = end;
        if (name == std::vector<unsigned>{'.'})
            continue;
        if (name == std::vector<unsigned>{'.', '.'}) {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        if (end < c.size()) {
            if (name.back() == '.')
                name.pop_back();
        } else {
            while (!name.empty() && (name.back() == '.' || name.back() == ' '))
                name.pop_back();
        }
        if (!name.empty())
            names.push_back(name);
    }
    // 4. On a drive, a path whose last name as written is a DOS device's
    //    names the device ("C:\A\NUL.txt "); not with a separator after it
    //    ("C:\NUL\"), nor on a share. The name is judged before tidying:
    //    "C:\NUL\.." is the root.
    size_t last = c.size();
    while (last > 0 && !separator(last - 1))
        last--;
    std::vector<unsigned> written(c.begin() + last, c.end());
    while (!written.empty() && (written.back() == '.' || written.back() == ' '))
        written.pop_back();
    if (!share && !written.empty() && is_dos_device(written))
        return Tidied::DEVICE;
    return names.empty() ? Tidied::ROOT : Tidied::FOLDER;
}
