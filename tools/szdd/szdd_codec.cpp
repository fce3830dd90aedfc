#include "szdd_codec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

const uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr uint8_t kMethodA = 'A';

constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kRingStart = 4080;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;

// Farthest distance the packer uses. 4096 would also name a ring cell, the
// one about to be overwritten; it is only correct in decoders that read a
// cell before writing it, so it is left out (costs nothing measurable).
constexpr int kMaxDistance = kRingSize - 1;

// Spaces placed before the input to stand for the ring's initial content.
constexpr int32_t kPadding = kMaxMatch;

// Cost of one item in bits: the control bit plus its bytes. The stream's
// length in bytes is ceil(total bits / 8), so the cheapest path in bits is
// also the shortest file.
constexpr uint64_t kLiteralBits = 9;
constexpr uint64_t kMatchBits = 17;

// Hash heads: up to 2^16, fewer for small inputs so that packing a few
// bytes stays cheap.
constexpr int kMaxHashBits = 16;
constexpr int kMinHashBits = 10;
constexpr int32_t kNoPosition = std::numeric_limits<int32_t>::min();

// Longest-match finder over the sliding window: one binary tree per hash of
// the first three bytes, ordered by the next (up to) 18 bytes, with the
// newest position always at the root (the tree is split along the search
// path, as in LZMA's bt matchers). Children are therefore older than their
// parent, so a search stops at the first node outside the window and
// nothing ever has to be deleted. The in-order neighbours of the new string
// lie on its search path, so the longest match found there is the longest
// in the whole window. A node whose 18 bytes equal the new string's is
// replaced by it, which keeps runs of one byte at a single step.
class MatchFinder {
public:
    MatchFinder(const uint8_t* text, int32_t text_size) : text_(text), text_size_(text_size) {
        hash_bits_ = kMinHashBits;
        while (hash_bits_ < kMaxHashBits && (int32_t{1} << hash_bits_) < text_size) ++hash_bits_;
        head_.assign(size_t{1} << hash_bits_, kNoPosition);
        children_.assign(2 * kRingSize, kNoPosition);
    }

    // Inserts position `pos` (positions must come in increasing order) and
    // returns the longest match length against earlier positions within
    // kMaxDistance, 0 if below kMinMatch; `distance` receives its distance.
    int insert(int32_t pos, int& distance) {
        const int32_t limit = std::min<int32_t>(kMaxMatch, text_size_ - pos);
        if (limit < kMinMatch) return 0;
        const uint8_t* cur = text_ + pos;
        const uint32_t hash =
            ((uint32_t{cur[0]} | uint32_t{cur[1]} << 8 | uint32_t{cur[2]} << 16) * 2654435761u) >>
            (32 - hash_bits_);
        int32_t candidate = head_[hash];
        head_[hash] = pos;

        int32_t* smaller_slot = &children_[2 * (pos & kRingMask)];
        int32_t* larger_slot = smaller_slot + 1;
        int smaller_len = 0;  // common prefix with everything left of the new node
        int larger_len = 0;   // ... and right of it
        int best = 0;
        for (;;) {
            if (candidate == kNoPosition || pos - candidate > kMaxDistance) {
                *smaller_slot = kNoPosition;
                *larger_slot = kNoPosition;
                break;
            }
            int32_t* pair = &children_[2 * (candidate & kRingMask)];
            const uint8_t* old = text_ + candidate;
            int len = std::min(smaller_len, larger_len);
            while (len < limit && old[len] == cur[len]) ++len;
            if (len > best) {
                best = len;
                distance = pos - candidate;
            }
            if (len == limit) {
                // Same key: the new node takes the old one's place.
                *smaller_slot = pair[0];
                *larger_slot = pair[1];
                break;
            }
            if (old[len] < cur[len]) {
                *smaller_slot = candidate;
                smaller_slot = pair + 1;
                candidate = *smaller_slot;
                smaller_len = len;
            } else {
                *larger_slot = candidate;
                larger_slot = pair;
                candidate = *larger_slot;
                larger_len = len;
            }
        }
        return best >= kMinMatch ? best : 0;
    }

private:
    const uint8_t* text_;
    int32_t text_size_;
    int hash_bits_;
    std::vector<int32_t> head_;
    std::vector<int32_t> children_;  // [2*slot] smaller, [2*slot+1] larger
};

void put_u32_le(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

char szdd_name_last_char(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return base.empty() ? '\0' : base.back();
}

bool szdd_pack(const uint8_t* data, size_t size, char name_last, std::vector<uint8_t>& out) {
    // Positions are int32 over the input plus the padding spaces.
    if (size > std::numeric_limits<uint32_t>::max() ||
        size > static_cast<size_t>(std::numeric_limits<int32_t>::max()) - kPadding) {
        return false;
    }
    const int32_t n = static_cast<int32_t>(size);

    // The decoder's ring starts as spaces, so the input is matched as if
    // preceded by 4096 spaces. Only the last kMaxMatch of them need to be
    // there: each earlier one starts the same 18 spaces as the first of
    // these, which replaces it in the tree, so it could offer no other match.
    std::vector<uint8_t> text(kPadding + size, ' ');
    if (size != 0) std::memcpy(text.data() + kPadding, data, size);
    MatchFinder finder(text.data(), static_cast<int32_t>(text.size()));
    int unused_distance = 0;
    for (int32_t i = 0; i < kPadding; ++i) finder.insert(i, unused_distance);

    // Optimal parse: shortest path in bits over positions 0..n. Every match
    // costs the same, and any prefix of the longest match at a position is a
    // match too, so the longest one per position yields all useful edges.
    // Path costs are final once the scan passes them, so only the next
    // kMaxMatch costs are kept, in a small ring.
    std::vector<uint8_t> step_len(size + 1, 0);    // length of the item ending here
    std::vector<uint16_t> step_dist(size + 1, 0);  // its distance if a match
    constexpr uint64_t kUnreached = std::numeric_limits<uint64_t>::max();
    uint64_t cost[32];
    std::fill(std::begin(cost), std::end(cost), kUnreached);
    cost[0] = 0;
    for (int32_t i = 0; i < n; ++i) {
        const uint64_t here = cost[i & 31];
        cost[i & 31] = kUnreached;  // slot is reused for i + 32
        if (here + kLiteralBits < cost[(i + 1) & 31]) {
            cost[(i + 1) & 31] = here + kLiteralBits;
            step_len[i + 1] = 1;
        }
        int distance = 0;
        const int longest = finder.insert(kPadding + i, distance);
        for (int len = kMinMatch; len <= longest; ++len) {
            if (here + kMatchBits < cost[(i + len) & 31]) {
                cost[(i + len) & 31] = here + kMatchBits;
                step_len[i + len] = static_cast<uint8_t>(len);
                step_dist[i + len] = static_cast<uint16_t>(distance);
            }
        }
    }

    // Walk the path back from the end, turning the "item ending here"
    // entries into "item starting here" entries in place.
    int32_t at = n;
    int len = step_len[at];
    int dist = step_dist[at];
    while (at > 0) {
        const int32_t from = at - len;
        const int next_len = step_len[from];
        const int next_dist = step_dist[from];
        step_len[from] = static_cast<uint8_t>(len);
        step_dist[from] = static_cast<uint16_t>(dist);
        at = from;
        len = next_len;
        dist = next_dist;
    }

    out.clear();
    out.reserve(kSzddHeaderSize + size + size / 8 + 1);
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    out.push_back(kMethodA);
    out.push_back(static_cast<uint8_t>(name_last));
    put_u32_le(out, static_cast<uint32_t>(size));

    size_t control_at = 0;
    int items_in_group = 8;
    for (int32_t i = 0; i < n;) {
        if (items_in_group == 8) {
            control_at = out.size();
            out.push_back(0);
            items_in_group = 0;
        }
        const int item_len = step_len[i];
        if (item_len == 1) {
            out[control_at] |= static_cast<uint8_t>(1u << items_in_group);
            out.push_back(data[i]);
        } else {
            const int ring_pos = (kRingStart + i - step_dist[i]) & kRingMask;
            out.push_back(static_cast<uint8_t>(ring_pos & 0xFF));
            out.push_back(static_cast<uint8_t>(((ring_pos >> 4) & 0xF0) | (item_len - kMinMatch)));
        }
        ++items_in_group;
        i += item_len;
    }
    return true;
}

bool szdd_unpack(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    if (size == 0 || std::memcmp(data, kMagic, std::min(size, sizeof kMagic)) != 0) {
        error = "not an SZDD file (bad magic)";
        return false;
    }
    if (size < kSzddHeaderSize) {
        error = "truncated SZDD header (" + std::to_string(size) + " of " +
                std::to_string(kSzddHeaderSize) + " bytes)";
        return false;
    }
    if (data[8] != kMethodA) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", data[8]);
        error = std::string("unsupported SZDD compression method ") + hex + " (only 'A')";
        return false;
    }
    const uint64_t expected = uint64_t{data[10]} | uint64_t{data[11]} << 8 |
                              uint64_t{data[12]} << 16 | uint64_t{data[13]} << 24;

    // Each two input bytes give at most 18 output bytes, so the stream
    // itself bounds what is worth reserving; a lying header gets no more.
    const size_t stream_size = size - kSzddHeaderSize;
    const uint64_t plausible = std::min<uint64_t>(expected, uint64_t{9} * stream_size + 8);
    out.reserve(static_cast<size_t>(std::min<uint64_t>(plausible, uint64_t{64} << 20)));

    uint8_t ring[kRingSize];
    std::memset(ring, ' ', sizeof ring);
    int write_pos = kRingStart;
    size_t in = kSzddHeaderSize;
    while (in < size) {
        const unsigned control = data[in++];
        for (int bit = 0; bit < 8 && in < size; ++bit) {
            if (control & (1u << bit)) {
                const uint8_t byte = data[in++];
                out.push_back(byte);
                ring[write_pos] = byte;
                write_pos = (write_pos + 1) & kRingMask;
            } else {
                if (size - in < 2) {
                    error = "truncated SZDD stream: reference at offset " + std::to_string(in) +
                            " lacks its second byte";
                    return false;
                }
                int pos = data[in] | ((data[in + 1] & 0xF0) << 4);
                const int len = (data[in + 1] & 0x0F) + kMinMatch;
                in += 2;
                // Byte by byte: a reference may overlap what it produces.
                for (int k = 0; k < len; ++k) {
                    const uint8_t byte = ring[pos];
                    out.push_back(byte);
                    ring[write_pos] = byte;
                    write_pos = (write_pos + 1) & kRingMask;
                    pos = (pos + 1) & kRingMask;
                }
            }
            if (out.size() > expected) {
                error = "SZDD stream expands past the header's size of " + std::to_string(expected) +
                        " bytes";
                return false;
            }
        }
    }
    if (out.size() != expected) {
        error = "SZDD stream expands to " + std::to_string(out.size()) +
                " bytes, header says " + std::to_string(expected);
        return false;
    }
    return true;
}
