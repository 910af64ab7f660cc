#include "picture/deflate.h"

#include <array>
#include <vector>

namespace kelvane {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// Bits go out least significant first, as deflate packs them.
class BitWriter {
 public:
  void Bits(std::uint32_t value, int count) {
    buffer_ |= static_cast<std::uint64_t>(value) << filled_;
    filled_ += count;
    while (filled_ >= 8) {
      out_.push_back(static_cast<char>(buffer_ & 0xFF));
      buffer_ >>= 8;
      filled_ -= 8;
    }
  }
  // A Huffman code is sent from its most significant bit on.
  void Code(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Bits(reversed, length);
  }
  void AlignToByte() {
    if (filled_ > 0) Bits(0, 8 - filled_);
  }
  std::string& out() { return out_; }

 private:
  std::string out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

// The fixed literal/length code of RFC 1951, 3.2.6.
void FixedSymbol(BitWriter& bits, int symbol) {
  if (symbol <= 143) {
    bits.Code(0x30 + symbol, 8);
  } else if (symbol <= 255) {
    bits.Code(0x190 + (symbol - 144), 9);
  } else if (symbol <= 279) {
    bits.Code(symbol - 256, 7);
  } else {
    bits.Code(0xC0 + (symbol - 280), 8);
  }
}

void FixedMatch(BitWriter& bits, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  FixedSymbol(bits, 257 + l);
  bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  bits.Code(static_cast<std::uint32_t>(d), 5);
  bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kHashBits = 15;
constexpr int kMaxChain = 48;

std::uint32_t Hash3(const unsigned char* p) {
  const std::uint32_t v = (static_cast<std::uint32_t>(p[0]) << 16) |
                          (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

// One final block with the fixed codes; greedy matching over hash chains.
std::string FixedHuffmanBlock(std::string_view data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t size = data.size();
  std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
  std::vector<std::int64_t> previous(kWindow, -1);
  auto insert = [&](std::size_t at) {
    if (at + kMinMatch > size) return;
    const std::uint32_t h = Hash3(bytes + at);
    previous[at % kWindow] = head[h];
    head[h] = static_cast<std::int64_t>(at);
  };
  BitWriter bits;
  bits.Bits(1, 1);  // last block
  bits.Bits(1, 2);  // fixed Huffman codes
  std::size_t at = 0;
  while (at < size) {
    int best_length = 0;
    std::size_t best_distance = 0;
    if (at + kMinMatch <= size) {
      const std::size_t limit = std::min<std::size_t>(kMaxMatch, size - at);
      std::int64_t candidate = head[Hash3(bytes + at)];
      for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
        const std::size_t from = static_cast<std::size_t>(candidate);
        if (at - from > kWindow - 1) break;
        std::size_t length = 0;
        while (length < limit && bytes[from + length] == bytes[at + length]) ++length;
        if (static_cast<int>(length) > best_length) {
          best_length = static_cast<int>(length);
          best_distance = at - from;
          if (length == limit) break;
        }
        const std::int64_t next = previous[from % kWindow];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
      }
    }
    if (best_length >= kMinMatch) {
      FixedMatch(bits, best_length, static_cast<int>(best_distance));
      for (int i = 0; i < best_length; ++i) insert(at + i);
      at += best_length;
    } else {
      FixedSymbol(bits, bytes[at]);
      insert(at);
      ++at;
    }
  }
  FixedSymbol(bits, 256);
  bits.AlignToByte();
  return std::move(bits.out());
}

std::string StoredBlocks(std::string_view data) {
  std::string out;
  std::size_t at = 0;
  do {
    const std::size_t length = std::min<std::size_t>(65535, data.size() - at);
    const bool last = at + length == data.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(length >> 8));
    out.push_back(static_cast<char>(~length & 0xFF));
    out.push_back(static_cast<char>((~length >> 8) & 0xFF));
    out.append(data.substr(at, length));
    at += length;
  } while (at < data.size());
  return out;
}

}  // namespace

std::uint32_t Crc32(std::string_view data, std::uint32_t crc) {
  std::uint32_t c = crc ^ 0xFFFFFFFFu;
  for (unsigned char byte : data) c = kCrcTable[(c ^ byte) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(std::string_view data) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string ZlibCompress(std::string_view data) {
  std::string deflated = FixedHuffmanBlock(data);
  std::string stored = StoredBlocks(data);
  std::string out = "\x78\x01";  // 32 KiB window, no dictionary; 0x7801 % 31 == 0
  out += deflated.size() < stored.size() ? deflated : stored;
  const std::uint32_t adler = Adler32(data);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(adler >> shift));
  return out;
}

}  // namespace kelvane
