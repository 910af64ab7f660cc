#include "picture/png_reader.h"

#include <array>
#include <cstdlib>
#include <stdexcept>

#include "picture/deflate.h"

namespace kelvane::testing {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

class BitReader {
 public:
  explicit BitReader(std::string_view data) : data_(data) {}
  int Bit() {
    if (at_ >= data_.size()) Fail("deflate data ends early");
    const int bit = (static_cast<std::uint8_t>(data_[at_]) >> bit_) & 1;
    if (++bit_ == 8) bit_ = 0, ++at_;
    return bit;
  }
  std::uint32_t Bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<std::uint32_t>(Bit()) << i;
    return value;
  }
  void AlignToByte() {
    if (bit_ != 0) bit_ = 0, ++at_;
  }
  std::uint8_t Byte() {
    if (at_ >= data_.size()) Fail("deflate data ends early");
    return static_cast<std::uint8_t>(data_[at_++]);
  }
  std::size_t position() const { return at_; }

 private:
  std::string_view data_;
  std::size_t at_ = 0;
  int bit_ = 0;
};

// A canonical Huffman code from its code lengths, decoded bit by bit.
class Huffman {
 public:
  explicit Huffman(const std::vector<int>& lengths) {
    counts_.fill(0);
    for (int length : lengths) ++counts_[length];
    counts_[0] = 0;
    std::array<int, 16> offsets{};
    for (int l = 1; l < 16; ++l) offsets[l] = offsets[l - 1] + counts_[l - 1];
    symbols_.resize(lengths.size());
    for (std::size_t s = 0; s < lengths.size(); ++s) {
      if (lengths[s] != 0) symbols_[offsets[lengths[s]]++] = static_cast<int>(s);
    }
  }
  int Decode(BitReader& bits) const {
    int code = 0, first = 0, index = 0;
    for (int l = 1; l < 16; ++l) {
      code |= bits.Bit();
      const int count = counts_[l];
      if (code - first < count) return symbols_[index + code - first];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    Fail("invalid Huffman code");
  }

 private:
  std::array<int, 16> counts_;
  std::vector<int> symbols_;
};

void InflateBlock(BitReader& bits, const Huffman& literals, const Huffman& distances,
                  std::string& out) {
  while (true) {
    const int symbol = literals.Decode(bits);
    if (symbol < 256) {
      out.push_back(static_cast<char>(symbol));
    } else if (symbol == 256) {
      return;
    } else {
      const int l = symbol - 257;
      if (l >= 29) Fail("invalid length symbol");
      const int length = kLengthBase[l] + static_cast<int>(bits.Bits(kLengthExtra[l]));
      const int d = distances.Decode(bits);
      if (d >= 30) Fail("invalid distance symbol");
      const std::size_t distance = kDistanceBase[d] + bits.Bits(kDistanceExtra[d]);
      if (distance > out.size()) Fail("distance reaches before the start");
      for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
    }
  }
}

std::string Inflate(std::string_view data, std::size_t* used) {
  BitReader bits(data);
  std::string out;
  int last = 0;
  do {
    last = bits.Bit();
    const std::uint32_t type = bits.Bits(2);
    if (type == 0) {
      bits.AlignToByte();
      const int length = bits.Byte() | (bits.Byte() << 8);
      const int inverse = bits.Byte() | (bits.Byte() << 8);
      if ((length ^ 0xFFFF) != inverse) Fail("stored block length check fails");
      for (int i = 0; i < length; ++i) out.push_back(static_cast<char>(bits.Byte()));
    } else if (type == 1) {
      std::vector<int> lengths(288);
      for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
      InflateBlock(bits, Huffman(lengths), Huffman(std::vector<int>(30, 5)), out);
    } else if (type == 2) {
      const int literal_count = static_cast<int>(bits.Bits(5)) + 257;
      const int distance_count = static_cast<int>(bits.Bits(5)) + 1;
      const int code_count = static_cast<int>(bits.Bits(4)) + 4;
      static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
      std::vector<int> code_lengths(19, 0);
      for (int i = 0; i < code_count; ++i) code_lengths[kOrder[i]] = static_cast<int>(bits.Bits(3));
      Huffman codes(code_lengths);
      std::vector<int> lengths;
      while (static_cast<int>(lengths.size()) < literal_count + distance_count) {
        const int symbol = codes.Decode(bits);
        if (symbol < 16) {
          lengths.push_back(symbol);
        } else if (symbol == 16) {
          if (lengths.empty()) Fail("repeat with nothing before it");
          const int repeat = 3 + static_cast<int>(bits.Bits(2));
          lengths.insert(lengths.end(), repeat, lengths.back());
        } else {
          const int repeat = symbol == 17 ? 3 + static_cast<int>(bits.Bits(3))
                                          : 11 + static_cast<int>(bits.Bits(7));
          lengths.insert(lengths.end(), repeat, 0);
        }
      }
      std::vector<int> literal(lengths.begin(), lengths.begin() + literal_count);
      std::vector<int> distance(lengths.begin() + literal_count,
                                lengths.begin() + literal_count + distance_count);
      InflateBlock(bits, Huffman(literal), Huffman(distance), out);
    } else {
      Fail("reserved block type");
    }
  } while (!last);
  bits.AlignToByte();
  *used = bits.position();
  return out;
}

std::uint32_t BigEndian(std::string_view data, std::size_t at) {
  if (at + 4 > data.size()) Fail("data ends early");
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<std::uint8_t>(data[at + i]);
  return value;
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

std::string ZlibDecompress(std::string_view stream) {
  if (stream.size() < 6) Fail("zlib stream too short");
  const int cmf = static_cast<std::uint8_t>(stream[0]), flg = static_cast<std::uint8_t>(stream[1]);
  if ((cmf & 15) != 8 || (cmf * 256 + flg) % 31 != 0 || (flg & 32)) Fail("bad zlib header");
  std::size_t used = 0;
  std::string out = Inflate(stream.substr(2), &used);
  if (BigEndian(stream, 2 + used) != Adler32(out)) Fail("Adler-32 mismatch");
  return out;
}

DecodedImage DecodePng(std::string_view file) {
  if (file.substr(0, 8) != std::string_view("\x89PNG\r\n\x1a\n", 8)) Fail("not a PNG");
  std::size_t at = 8;
  int width = 0, height = 0, depth = 0, colour = 0, interlace = 0;
  std::string palette, alpha, idat;
  while (at < file.size()) {
    const std::uint32_t length = BigEndian(file, at);
    if (at + 12 + length > file.size()) Fail("chunk runs past the end");
    const std::string_view typed = file.substr(at + 4, 4 + length);
    if (BigEndian(file, at + 8 + length) != Crc32(typed)) Fail("chunk CRC mismatch");
    const std::string_view type = typed.substr(0, 4), data = typed.substr(4);
    if (type == "IHDR") {
      width = static_cast<int>(BigEndian(data, 0));
      height = static_cast<int>(BigEndian(data, 4));
      depth = static_cast<std::uint8_t>(data[8]);
      colour = static_cast<std::uint8_t>(data[9]);
      interlace = static_cast<std::uint8_t>(data[12]);
    } else if (type == "PLTE") {
      palette = data;
    } else if (type == "tRNS") {
      alpha = data;
    } else if (type == "IDAT") {
      idat += data;
    } else if (type == "IEND") {
      break;
    }
    at += 12 + length;
  }
  if (depth != 8 || interlace != 0) Fail("only 8-bit non-interlaced images are read");
  const int channels = colour == 0 ? 1 : colour == 2 ? 3 : colour == 3 ? 1 : colour == 4 ? 2 : 4;
  const std::string raw = ZlibDecompress(idat);
  const std::size_t stride = static_cast<std::size_t>(width) * channels;
  if (raw.size() != (stride + 1) * height) Fail("image data has the wrong size");
  std::vector<std::uint8_t> pixels(stride * height);
  for (int y = 0; y < height; ++y) {
    const int filter = static_cast<std::uint8_t>(raw[y * (stride + 1)]);
    for (std::size_t i = 0; i < stride; ++i) {
      const int x = static_cast<std::uint8_t>(raw[y * (stride + 1) + 1 + i]);
      const int a = i >= static_cast<std::size_t>(channels) ? pixels[y * stride + i - channels] : 0;
      const int b = y > 0 ? pixels[(y - 1) * stride + i] : 0;
      const int c = (y > 0 && i >= static_cast<std::size_t>(channels))
                        ? pixels[(y - 1) * stride + i - channels]
                        : 0;
      int value;
      switch (filter) {
        case 0: value = x; break;
        case 1: value = x + a; break;
        case 2: value = x + b; break;
        case 3: value = x + (a + b) / 2; break;
        case 4: value = x + Paeth(a, b, c); break;
        default: Fail("unknown filter");
      }
      pixels[y * stride + i] = static_cast<std::uint8_t>(value & 0xFF);
    }
  }
  DecodedImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t p = 0; p < static_cast<std::size_t>(width) * height; ++p) {
    const std::uint8_t* px = &pixels[p * channels];
    std::uint8_t* out = &image.rgba[p * 4];
    switch (colour) {
      case 0: out[0] = out[1] = out[2] = px[0], out[3] = 255; break;
      case 2: out[0] = px[0], out[1] = px[1], out[2] = px[2], out[3] = 255; break;
      case 3:
        if (px[0] * 3u + 2 >= palette.size()) Fail("palette index out of range");
        for (int ch = 0; ch < 3; ++ch) out[ch] = static_cast<std::uint8_t>(palette[px[0] * 3 + ch]);
        out[3] = px[0] < alpha.size() ? static_cast<std::uint8_t>(alpha[px[0]]) : 255;
        break;
      case 4: out[0] = out[1] = out[2] = px[0], out[3] = px[1]; break;
      default: out[0] = px[0], out[1] = px[1], out[2] = px[2], out[3] = px[3]; break;
    }
  }
  return image;
}

}  // namespace kelvane::testing
