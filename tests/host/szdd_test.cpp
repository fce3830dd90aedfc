// SZDD method A packer/unpacker: round trips, header, optimality against a
// brute-force parse, malformed input, the msexpand reference decoder and the
// command-line tool.
#include "szdd_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes random_bytes(size_t size, uint32_t seed, int alphabet = 256) {
    std::mt19937 rng(seed);
    Bytes data(size);
    for (auto& byte : data) byte = static_cast<uint8_t>(rng() % alphabet);
    return data;
}

// Random block of `period` bytes repeated: every later byte has a match
// exactly `period` back, so with a period near 4096 the references reach
// across the ring's wrap.
Bytes repeated_block(size_t period, size_t size, uint32_t seed) {
    const Bytes block = random_bytes(period, seed);
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = block[i % period];
    return data;
}

// Something shaped like a small PE image: header text, zero padding, code
// made of recurring instruction snippets, a string table, a sorted
// relocation-like table and a random (compressed resource-like) tail.
Bytes pe_like_buffer() {
    std::mt19937 rng(7);
    Bytes data = bytes_of("MZ");
    data.resize(0x80, 0);
    const std::string stub = "This program cannot be run in DOS mode.\r\r\n$";
    data.insert(data.end(), stub.begin(), stub.end());
    data.resize(0x400, 0);
    const Bytes snippets[] = {{0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10}, {0x8B, 0x45, 0x08, 0x50},
                              {0xE8, 0x00, 0x00, 0x00, 0x00}, {0x5D, 0xC3}, {0xFF, 0x15}};
    while (data.size() < 0x6000) {
        const Bytes& snippet = snippets[rng() % std::size(snippets)];
        data.insert(data.end(), snippet.begin(), snippet.end());
        if (rng() % 3 == 0) data.push_back(static_cast<uint8_t>(rng()));
    }
    const char* names[] = {"GetProcAddress", "LoadLibraryA", "CreateFileA", "RegSetValueExA",
                           "LZOpenFileA"};
    for (int i = 0; i < 200; ++i) {
        const std::string name = names[rng() % std::size(names)];
        data.insert(data.end(), name.begin(), name.end());
        data.push_back(0);
    }
    for (uint16_t offset = 0x10; offset < 0x3000; offset += 4 + rng() % 12) {
        data.push_back(static_cast<uint8_t>(offset));
        data.push_back(static_cast<uint8_t>(0x30 | (offset >> 8)));
    }
    const Bytes tail = random_bytes(0x800, 8);
    data.insert(data.end(), tail.begin(), tail.end());
    return data;
}

struct RoundTripCase {
    const char* name;
    Bytes data;
};

std::vector<RoundTripCase> round_trip_cases() {
    Bytes leading_spaces(1000, ' ');
    const std::string text = "text after the spaces, text after the spaces";
    leading_spaces.insert(leading_spaces.end(), text.begin(), text.end());
    return {
        {"empty", {}},
        {"one_byte", {0x42}},
        {"two_bytes", {0x20, 0x20}},
        {"run_of_19", Bytes(19, 'x')},
        {"run_of_1000", Bytes(1000, 0)},
        {"runs_of_various_lengths",
         [] {
             Bytes d;
             for (int len = 1; len < 60; ++len) d.insert(d.end(), len, static_cast<uint8_t>(len));
             return d;
         }()},
        {"repeat_at_distance_4090", repeated_block(4090, 3 * 4090, 1)},
        {"repeat_at_distance_4095", repeated_block(4095, 3 * 4095, 2)},
        {"repeat_at_distance_4096", repeated_block(4096, 3 * 4096, 3)},
        {"random_64k", random_bytes(65536, 4)},
        {"two_letter_alphabet", random_bytes(20000, 5, 2)},
        {"leading_spaces", leading_spaces},
        {"only_spaces", Bytes(5000, ' ')},
        {"pe_like", pe_like_buffer()},
    };
}

Bytes pack(const Bytes& data, char name_last = 'x') {
    Bytes packed;
    EXPECT_TRUE(szdd_pack(data.data(), data.size(), name_last, packed));
    return packed;
}

uint32_t header_size_field(const Bytes& packed) {
    return uint32_t{packed[10]} | uint32_t{packed[11]} << 8 | uint32_t{packed[12]} << 16 |
           uint32_t{packed[13]} << 24;
}

// Largest stream any input can need: all literals, one control byte per 8.
size_t literal_only_stream_size(size_t size) { return size + (size + 7) / 8; }

TEST(SzddCodec, RoundTripsEdgeInputs) {
    for (const auto& c : round_trip_cases()) {
        SCOPED_TRACE(c.name);
        const Bytes packed = pack(c.data);
        ASSERT_GE(packed.size(), kSzddHeaderSize);
        EXPECT_LE(packed.size() - kSzddHeaderSize, literal_only_stream_size(c.data.size()));
        Bytes back = {0xEE};  // sentinel: must be replaced
        std::string error;
        ASSERT_TRUE(szdd_unpack(packed.data(), packed.size(), back, error)) << error;
        EXPECT_TRUE(back == c.data) << "expanded " << back.size() << " bytes, expected " << c.data.size();
    }
}

// Sizes that show references were really used where they must be.
TEST(SzddCodec, UsesReferencesAcrossTheWrapAndIntoTheInitialSpaces) {
    const struct {
        const char* name;
        Bytes data;
        size_t max_stream;
    } cases[] = {
        // 4090 literals (4602 bytes) then 8180 bytes as 455 references of
        // at most 18 (967 bytes).
        {"repeat_at_distance_4090", repeated_block(4090, 3 * 4090, 1), 4602 + 967},
        // Every byte, the first included, comes from the initial spaces:
        // ceil(5000 / 18) = 278 references of 17 bits.
        {"only_spaces", Bytes(5000, ' '), (278 * 17 + 7) / 8},
        // One literal, then 999 bytes as 56 references: 961 bits.
        {"run_of_1000", Bytes(1000, 0), (9 + 56 * 17 + 7) / 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes packed = pack(c.data);
        EXPECT_LE(packed.size() - kSzddHeaderSize, c.max_stream);
    }
}

TEST(SzddCodec, HeaderFields) {
    const Bytes data = random_bytes(0x11170, 9);
    const Bytes packed = pack(data, 'e');
    ASSERT_GE(packed.size(), kSzddHeaderSize);
    const Bytes magic = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    EXPECT_TRUE(std::equal(magic.begin(), magic.end(), packed.begin()));
    EXPECT_EQ(packed[8], 'A');
    EXPECT_EQ(packed[9], 'e');
    EXPECT_EQ(packed[10], 0x70);
    EXPECT_EQ(packed[11], 0x11);
    EXPECT_EQ(packed[12], 0x01);
    EXPECT_EQ(packed[13], 0x00);
    EXPECT_EQ(header_size_field(packed), data.size());
}

TEST(SzddCodec, NameCharacterIsTheLastOfTheBaseName) {
    const struct {
        const char* name;
        char expected;
    } cases[] = {
        {"Brimwave.exe", 'e'}, {"payload/Brimwave.chm", 'm'}, {"/abs/dir/x.dl_", '_'},
        {"a", 'a'},            {"dir/", '\0'},                {"", '\0'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(szdd_name_last_char(c.name), c.expected) << "name '" << c.name << "'";
    }
}

// Made by hand: "abc" has no earlier occurrence, so three literals; the
// other nine bytes repeat the output at distance 3, one reference of length
// 9 to ring position 4080 (where output byte 0 went): 0xF0, then
// (0xFF0 >> 4 & 0xF0) | (9 - 3) = 0xF6. Items: lit, lit, lit, ref, so the
// control byte is 0b0111. Nothing cheaper exists (3*9 + 17 = 44 bits).
TEST(SzddCodec, KnownAnswer) {
    const Bytes expected = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 't', 12, 0, 0, 0,
                            0x07, 'a', 'b', 'c', 0xF0, 0xF6};
    EXPECT_TRUE(pack(bytes_of("abcabcabcabc"), 't') == expected);
    Bytes back;
    std::string error;
    ASSERT_TRUE(szdd_unpack(expected.data(), expected.size(), back, error)) << error;
    EXPECT_TRUE(back == bytes_of("abcabcabcabc"));
}

// A reference to ring cells never written yet reads the initial spaces.
// Control 0x01: a literal 'A', then a reference to position 0 (the write
// position starts at 4080, so 0 is unwritten) of length 4.
TEST(SzddCodec, ReferenceIntoUnwrittenRingGivesSpaces) {
    const Bytes stream = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 'x', 5, 0, 0, 0,
                          0x01, 'A', 0x00, 0x01};
    Bytes back;
    std::string error;
    ASSERT_TRUE(szdd_unpack(stream.data(), stream.size(), back, error)) << error;
    EXPECT_TRUE(back == bytes_of("A    ")) << std::string(back.begin(), back.end());
}

// A reference overlapping the bytes it produces copies byte by byte:
// 'x' at 4080, then 5 bytes from 4080 give "xxxxx".
TEST(SzddCodec, OverlappingReferenceRepeats) {
    const Bytes stream = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 'x', 6, 0, 0, 0,
                          0x01, 'x', 0xF0, 0xF2};
    Bytes back;
    std::string error;
    ASSERT_TRUE(szdd_unpack(stream.data(), stream.size(), back, error)) << error;
    EXPECT_TRUE(back == bytes_of("xxxxxx")) << std::string(back.begin(), back.end());
}

// Independent reference: brute-force longest match over every distance,
// then the same shortest-path cost. The packer's stream must be exactly as
// short, which checks that its match finder misses nothing.
size_t optimal_stream_size(const Bytes& data) {
    const size_t pad = 4096;
    Bytes text(pad, ' ');
    text.insert(text.end(), data.begin(), data.end());
    const size_t n = data.size();
    std::vector<uint64_t> bits(n + 1, UINT64_MAX);
    bits[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        bits[i + 1] = std::min(bits[i + 1], bits[i] + 9);
        size_t longest = 0;
        const size_t limit = std::min<size_t>(18, n - i);
        for (size_t d = 1; d <= 4095; ++d) {
            size_t len = 0;
            while (len < limit && text[pad + i + len] == text[pad + i - d + len]) ++len;
            longest = std::max(longest, len);
        }
        for (size_t len = 3; len <= longest; ++len) bits[i + len] = std::min(bits[i + len], bits[i] + 17);
    }
    return (bits[n] + 7) / 8;
}

TEST(SzddCodec, MatchesBruteForceOptimum) {
    Bytes spaces_and_text(300, ' ');
    const Bytes tail = random_bytes(3000, 10, 4);
    spaces_and_text.insert(spaces_and_text.end(), tail.begin(), tail.end());
    // Spaces and letters past 4078 bytes: the initial spaces leave the
    // window while the input's own spaces take over.
    Bytes spaces_and_a = random_bytes(6000, 15, 2);
    for (auto& byte : spaces_and_a) byte = byte ? 'a' : ' ';
    // 36 spaces take two references only when the first 18 are found whole:
    // in the ring's initial content for the first run, in the first run for
    // the second (the initial spaces have left the window by then).
    Bytes text_then_spaces = random_bytes(100, 16, 16);
    text_then_spaces.insert(text_then_spaces.end(), 36, ' ');
    const Bytes middle = random_bytes(4000, 17, 16);
    text_then_spaces.insert(text_then_spaces.end(), middle.begin(), middle.end());
    text_then_spaces.insert(text_then_spaces.end(), 36, ' ');
    Bytes pe_like_head = pe_like_buffer();
    pe_like_head.resize(7000);
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"alphabet_2", random_bytes(5000, 11, 2)},
        {"alphabet_3", random_bytes(5000, 12, 3)},
        {"alphabet_16", random_bytes(6000, 13, 16)},
        {"repeat_at_4093", repeated_block(4093, 6000, 14)},
        {"spaces_then_text", spaces_and_text},
        {"spaces_and_a", spaces_and_a},
        {"text_then_spaces", text_then_spaces},
        {"pe_like_head", pe_like_head},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes packed = pack(c.data);
        EXPECT_EQ(packed.size() - kSzddHeaderSize, optimal_stream_size(c.data));
    }
}

Bytes header(uint32_t size, uint8_t method = 'A') {
    return {'S',
            'Z',
            'D',
            'D',
            0x88,
            0xF0,
            0x27,
            0x33,
            method,
            'x',
            static_cast<uint8_t>(size),
            static_cast<uint8_t>(size >> 8),
            static_cast<uint8_t>(size >> 16),
            static_cast<uint8_t>(size >> 24)};
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SzddCodec, RejectsMalformedInput) {
    const Bytes good = pack(bytes_of("hello hello hello"));
    const struct {
        const char* name;
        Bytes data;
        const char* error_part;
    } cases[] = {
        {"empty", {}, "bad magic"},
        {"short_wrong_magic", bytes_of("SZ!"), "bad magic"},
        {"wrong_magic", concat(bytes_of("SZDD\x88\xF0\x27\x34"), Bytes(20, 0)), "bad magic"},
        {"kwaj_magic", concat(bytes_of("KWAJ\x88\xF0\x27\xD1"), Bytes(20, 0)), "bad magic"},
        {"magic_only", Bytes(good.begin(), good.begin() + 8), "truncated SZDD header"},
        {"header_cut_in_size", Bytes(good.begin(), good.begin() + 13), "truncated SZDD header"},
        {"method_b", concat(header(1, 'B'), {0xFF, 'x'}), "method 0x42"},
        {"reference_without_second_byte", concat(header(3), {0x00, 0xF0}), "lacks its second byte"},
        {"reference_cut_after_literals", concat(header(5), {0x03, 'a', 'b', 0x00}),
         "lacks its second byte"},
        {"size_larger_than_data", concat(header(6), {0x03, 'a', 'b'}), "expands to 2 bytes, header says 6"},
        {"size_smaller_than_data", concat(header(1), {0x03, 'a', 'b'}), "past the header's size of 1"},
        {"size_zero_with_data", concat(header(0), {0x01, 'a'}), "past the header's size of 0"},
        {"reference_past_size", concat(header(2), {0x01, 'a', 0xF0, 0x0F}), "past the header's size of 2"},
        {"last_reference_cut_off", Bytes(good.begin(), good.end() - 2), "header says 17"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        std::string error;
        EXPECT_FALSE(szdd_unpack(c.data.data(), c.data.size(), out, error));
        EXPECT_NE(error.find(c.error_part), std::string::npos) << "error: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "error: " << error;
    }
}

TEST(SzddCodec, LyingSizeFieldGetsNoLargeAllocation) {
    // Claims 4 GiB but carries 3 bytes of data.
    const Bytes data = concat(header(0xFFFFFFFFu), {0x07, 'a', 'b', 'c'});
    Bytes out;
    std::string error;
    EXPECT_FALSE(szdd_unpack(data.data(), data.size(), out, error));
    EXPECT_LT(out.capacity(), size_t{4096}) << "capacity " << out.capacity();
    EXPECT_NE(error.find("expands to 3 bytes, header says 4294967295"), std::string::npos) << error;
}

// Each test owns a scratch folder, cleared first and removed afterwards.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name)
        : path_(fs::temp_directory_path() / ("szdd_test_" + name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& file) const { return (path_ / file).string(); }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

void write_bytes(const std::string& path, const Bytes& data) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    ASSERT_TRUE(file.good()) << path;
}

Bytes read_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string read_text(const std::string& path) {
    const Bytes data = read_bytes(path);
    return std::string(data.begin(), data.end());
}

// Runs a shell command; returns its exit status, or -1.
int run(const std::string& command) {
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SzddMsexpand, ExpandsOurOutputByteExact) {
    if (run("command -v msexpand >/dev/null 2>&1") != 0) GTEST_SKIP() << "msexpand is not installed";
    ScratchDir dir("msexpand");
    for (const auto& c : round_trip_cases()) {
        SCOPED_TRACE(c.name);
        write_bytes(dir / "packed", pack(c.data));
        ASSERT_EQ(run("cd '" + dir.str() + "' && msexpand < packed > expanded 2>stderr"), 0)
            << read_text(dir / "stderr");
        const Bytes expanded = read_bytes(dir / "expanded");
        EXPECT_TRUE(expanded == c.data) << "msexpand gave " << expanded.size() << " bytes, expected "
                                        << c.data.size();
    }
}

// The command-line tool as others script it.
struct CliResult {
    int status;
    std::string stderr_text;
};

CliResult run_szdd(const ScratchDir& dir, const std::string& args) {
    const int status = run(std::string("'") + SZDD_EXE + "' " + args + " 2>'" + (dir / "stderr") + "'");
    return {status, read_text(dir / "stderr")};
}

size_t line_count(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(SzddCli, PacksWithNameCharacterAndUnpacks) {
    ScratchDir dir("cli_ok");
    const Bytes data = pe_like_buffer();
    write_bytes(dir / "app.exe", data);

    CliResult r = run_szdd(dir, "pack '" + (dir / "app.exe") + "' '" + (dir / "from_basename") + "'");
    ASSERT_EQ(r.status, 0) << r.stderr_text;
    EXPECT_EQ(r.stderr_text, "");
    const Bytes from_basename = read_bytes(dir / "from_basename");
    ASSERT_GE(from_basename.size(), kSzddHeaderSize);
    EXPECT_EQ(from_basename[9], 'e');
    EXPECT_EQ(header_size_field(from_basename), data.size());

    r = run_szdd(dir, "pack '" + (dir / "app.exe") + "' '" + (dir / "named") + "' Brimwave.chm");
    ASSERT_EQ(r.status, 0) << r.stderr_text;
    const Bytes named = read_bytes(dir / "named");
    ASSERT_GE(named.size(), kSzddHeaderSize);
    EXPECT_EQ(named[9], 'm');

    r = run_szdd(dir, "unpack '" + (dir / "named") + "' '" + (dir / "back") + "'");
    ASSERT_EQ(r.status, 0) << r.stderr_text;
    EXPECT_TRUE(read_bytes(dir / "back") == data);
}

TEST(SzddCli, FailsWithOneLine) {
    ScratchDir dir("cli_fail");
    write_bytes(dir / "garbage", bytes_of("not an szdd file at all"));
    write_bytes(dir / "truncated", concat(header(3), {0x00, 0xF0}));
    const struct {
        const char* name;
        std::string args;
        int status;
        const char* message_part;
    } cases[] = {
        {"no_arguments", "", 2, "usage"},
        {"unknown_command", "squash a b", 2, "usage"},
        {"pack_missing_output", "pack '" + (dir / "garbage") + "'", 2, "usage"},
        {"unpack_extra_argument", "unpack a b c", 2, "usage"},
        {"missing_input", "pack '" + (dir / "none") + "' '" + (dir / "out") + "'", 1, "cannot open"},
        {"empty_name", "pack '" + (dir / "garbage") + "' '" + (dir / "out") + "' ''", 1, "no file name"},
        {"unwritable_output", "pack '" + (dir / "garbage") + "' '" + (dir / "no/such/dir") + "'", 1,
         "cannot create"},
        {"bad_magic", "unpack '" + (dir / "garbage") + "' '" + (dir / "out") + "'", 1, "bad magic"},
        {"truncated", "unpack '" + (dir / "truncated") + "' '" + (dir / "out") + "'", 1, "second byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CliResult r = run_szdd(dir, c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(line_count(r.stderr_text), 1u) << r.stderr_text;
        EXPECT_NE(r.stderr_text.find(c.message_part), std::string::npos) << r.stderr_text;
        EXPECT_FALSE(fs::exists(dir / "out")) << "output written despite the failure";
    }
}

}  // namespace
