// Messages as YAML text: the one place that decides how a value is spelled
// and how a message is laid out. velmsg prints messages with it and the C++
// headers' rosidl_generator_traits::to_yaml() writes them with it, so both
// give the same text.
#ifndef MSGDEF__YAML_HPP_
#define MSGDEF__YAML_HPP_

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

namespace msgdef
{
namespace yaml
{

inline std::string boolean(bool value)
{
  return value ? "true" : "false";
}

template<class T>
std::string integer(T value)
{
  return std::to_string(+value);  // + prints 8-bit values as numbers
}

// Shortest text that reads back to the same value, always recognisable as a float.
template<class T>
std::string floating(T value)
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
inline std::string string(std::string_view value)
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

// The text of a primitive field. A bool is read by its byte: any non-zero
// byte is true, as the serializers treat it.
template<class T>
std::string value(const T & field)
{
  if constexpr (std::is_same_v<T, bool>) {
    unsigned char byte;
    std::memcpy(&byte, &field, 1);
    return boolean(byte != 0);
  } else if constexpr (std::is_floating_point_v<T>) {
    return floating(field);
  } else {
    return integer(field);
  }
}

// Block layout: one line "<indentation><name>: <text>" per field; a nested
// message's line ends at the colon and its fields follow, indented further.
constexpr std::size_t nested_indentation = 2;

inline void scalar_line(
  std::ostream & out, std::size_t indentation, std::string_view name, const std::string & text)
{
  out << std::string(indentation, ' ') << name << ": " << text << "\n";
}

inline void nested_line(std::ostream & out, std::size_t indentation, std::string_view name)
{
  out << std::string(indentation, ' ') << name << ":\n";
}

}  // namespace yaml
}  // namespace msgdef

#endif  // MSGDEF__YAML_HPP_
