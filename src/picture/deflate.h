// The zlib stream (RFC 1950) around deflate data (RFC 1951) that PNG
// images carry, and the two checksums that go with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// Lengths 257..285 and distances 0..29 of RFC 1951, 3.2.5: the first
// value of each code and the extra bits that follow it.
inline constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,
                                        15, 17, 19, 23, 27, 31, 35, 43, 51,  59,
                                        67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr int kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
inline constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The CRC-32 of PNG chunks and gzip (polynomial 0xEDB88320), continued from
// `crc` (0 to start).
std::uint32_t Crc32(std::string_view data, std::uint32_t crc = 0);

// The Adler-32 checksum of a zlib stream.
std::uint32_t Adler32(std::string_view data);

// A complete zlib stream holding `data`: matches against the last 32 KiB
// coded with the fixed Huffman codes, or stored blocks where that would be
// larger.
std::string ZlibCompress(std::string_view data);

}  // namespace kelvane
