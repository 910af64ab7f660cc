#include "report/json_reader.h"

#include <charconv>
#include <stdexcept>

namespace kelvane::testing {
namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  JsonValue Document() {
    JsonValue value = Value();
    Blanks();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("JSON at offset " + std::to_string(at_) + ": " + what);
  }
  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                  text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool Take(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  JsonValue Value() {
    Blanks();
    if (at_ >= text_.size()) Fail("the text ends");
    JsonValue v;
    const char c = text_[at_];
    if (c == '{') {
      v.type = JsonValue::Type::kObject;
      ++at_;
      if (Take('}')) return v;
      do {
        Blanks();
        std::string key = String();
        Expect(':');
        if (!v.members.emplace(key, Value()).second) Fail("duplicate key " + key);
      } while (Take(','));
      Expect('}');
    } else if (c == '[') {
      v.type = JsonValue::Type::kArray;
      ++at_;
      if (Take(']')) return v;
      do {
        v.items.push_back(Value());
      } while (Take(','));
      Expect(']');
    } else if (c == '"') {
      v.type = JsonValue::Type::kString;
      v.text = String();
    } else if (Word("null")) {
    } else if (Word("true")) {
      v.type = JsonValue::Type::kBool;
      v.boolean = true;
    } else if (Word("false")) {
      v.type = JsonValue::Type::kBool;
    } else {
      v.type = JsonValue::Type::kNumber;
      v.number = Number();
    }
    return v;
  }

  double Number() {
    const std::size_t begin = at_;
    auto digits = [&] {
      std::size_t start = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - start;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    const std::size_t int_start = at_;
    const std::size_t int_digits = digits();
    if (int_digits == 0 || (int_digits > 1 && text_[int_start] == '0')) Fail("bad number");
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (digits() == 0) Fail("bad fraction");
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (digits() == 0) Fail("bad exponent");
    }
    double value = 0;
    auto [end, ec] = std::from_chars(text_.data() + begin, text_.data() + at_, value);
    if (ec != std::errc() || end != text_.data() + at_) Fail("bad number");
    return value;
  }

  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail("short \\u escape");
    unsigned value = 0;
    auto [end, ec] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, value, 16);
    if (ec != std::errc() || end != text_.data() + at_ + 4) Fail("bad \\u escape");
    at_ += 4;
    return value;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string String() {
    if (at_ >= text_.size() || text_[at_] != '"') Fail("expected a string");
    ++at_;
    std::string out;
    while (true) {
      if (at_ >= text_.size()) Fail("unterminated string");
      const unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return out;
      if (c < 0x20) Fail("raw control character in a string");
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[at_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned code = Hex4();
          if (code >= 0xD800 && code <= 0xDBFF) {
            if (!Word("\\u")) Fail("lone high surrogate");
            unsigned low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("bad low surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code <= 0xDFFF) {
            Fail("lone low surrogate");
          }
          AppendUtf8(out, code);
          break;
        }
        default: Fail("unknown escape");
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  auto it = members.find(key);
  if (type != Type::kObject || it == members.end()) {
    throw std::runtime_error("JSON: no member " + key);
  }
  return it->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
  if (type != Type::kArray || index >= items.size()) {
    throw std::runtime_error("JSON: no item " + std::to_string(index));
  }
  return items[index];
}

JsonValue ParseJson(std::string_view text) { return Reader(text).Document(); }

}  // namespace kelvane::testing
