// SZDD method A ("COMPRESS.EXE" LZSS): packing and unpacking of whole
// buffers. Pure code, no I/O, so the host tool, its tests and the fuzzer
// share it.
//
// File layout: "SZDD" 0x88 0xF0 0x27 0x33, 'A', the last character of the
// expanded file's name, the expanded size (u32 little-endian), then the
// compressed stream.
//
// Stream: a control byte governs the next eight items, least significant
// bit first. A set bit is one literal byte; a clear bit a two-byte
// reference b0 b1 to ring position b0 | (b1 & 0xF0) << 4, length
// (b1 & 0x0F) + 3. The 4096-byte ring starts as spaces with the write
// position at 4080; every produced byte is stored at the write position,
// which then advances modulo 4096.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kSzddHeaderSize = 14;

// Packs `size` bytes into a complete SZDD file (header included) in `out`,
// choosing the smallest encoding the format allows. Fails only when the
// size does not fit the 32-bit size field.
bool szdd_pack(const uint8_t* data, size_t size, char name_last, std::vector<uint8_t>& out);

// Unpacks a complete SZDD file. Decoding stops at the end of the input;
// the result is accepted only when it is exactly as long as the header
// says. On failure `error` holds a one-line reason and `out` is unspecified.
// The header's size is trusted only as a limit, never for allocation.
bool szdd_unpack(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error);

// The character stored at offset 9: the last character of `name`, taken
// after its last '/' (a path's base name). Returns '\0' when that base
// name is empty.
char szdd_name_last_char(const std::string& name);
