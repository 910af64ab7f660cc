// A strict reader of JSON text, for tests that check what the report
// prints: it refuses anything RFC 8259 does not allow.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

struct JsonValue {
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };
  Type type = Type::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  bool IsNull() const { return type == Type::kNull; }
  // The member or item; throws std::runtime_error when there is none.
  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](std::size_t index) const;
};

// Throws std::runtime_error naming the offset of the first fault.
JsonValue ParseJson(std::string_view text);

}  // namespace kelvane::testing
