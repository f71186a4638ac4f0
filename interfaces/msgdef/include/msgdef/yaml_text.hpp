// Field values as YAML text, the one place that decides how a value is
// spelled: velmsg prints messages with it and the C++ headers'
// rosidl_generator_traits::to_yaml() writes them with it (through
// msgdef/yaml_message.hpp), so both give the same text. Header-only C++17, so
// that installed message headers can use it.
#ifndef MSGDEF__YAML_TEXT_HPP_
#define MSGDEF__YAML_TEXT_HPP_

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace msgdef
{
namespace yaml
{

inline std::string format_bool(bool value)
{
  return value ? "true" : "false";
}

template<class T>
std::string format_integer(T value)
{
  return std::to_string(+value);  // + prints 8-bit values as numbers
}

// Shortest text that reads back to the same value, always recognisable as a float.
template<class T>
std::string format_float(T value)
{
  if (std::isnan(value)) {
    return ".nan";
  }
  if (std::isinf(value)) {
    return value > 0 ? ".inf" : "-.inf";
  }
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value);
  std::string out(text, result.ptr);
  if (out.find_first_of(".e") == std::string::npos) {
    out += ".0";
  }
  return out;
}

// A string scalar: single-quoted, or double-quoted with escapes when it holds
// characters a single-quoted scalar cannot carry.
inline std::string format_string(std::string_view value)
{
  bool plain_quoting = std::none_of(value.begin(), value.end(),
      [](char ch) {return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f;});
  std::string out;
  if (plain_quoting) {
    out = "'";
    for (char ch : value) {
      out += ch == '\'' ? "''" : std::string(1, ch);
    }
    return out + "'";
  }
  out = "\"";
  for (char ch : value) {
    auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

}  // namespace yaml
}  // namespace msgdef

#endif  // MSGDEF__YAML_TEXT_HPP_
