// Field values as YAML text, the way every printer of these messages writes
// them (velmsg's echo and decode among them), so that the same message always
// prints the same text and every reader reads it back unchanged:
//
// - floats in a form that YAML 1.1 readers (PyYAML) and YAML 1.2 readers both
//   take for a float and read back to the same bits: always a '.' in the
//   mantissa and a sign in the exponent ("1.0e-45", "-1.0e-04", "0.5", "16777216.0"),
//   ".nan", ".inf" and "-.inf";
// - bools as "true" and "false", integers in decimal;
// - strings always quoted, so the output is valid YAML whatever they hold:
//   single-quoted when every character prints, else double-quoted with
//   escapes. A byte that is not part of valid UTF-8 prints as "\xNN", which
//   YAML reads as the character U+00NN.
//
// A message prints as a block mapping: "name: value" per field in field order,
// a nested message as "name:" followed by its fields indented by two more spaces.
//
// Self-contained and header-only (C++17), so that installed message headers can use it too.
#ifndef MSGDEF__YAML_TEXT_HPP_
#define MSGDEF__YAML_TEXT_HPP_

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace msgdef
{
namespace yaml
{

template<typename T>
inline std::string format_float(T value)
{
  static_assert(std::is_floating_point_v<T>, "float or double");
  if (std::isnan(value)) {
    return ".nan";
  }
  if (std::isinf(value)) {
    return value > 0 ? ".inf" : "-.inf";
  }
  char text[64];
  // Shortest text that reads back to the same value of type T.
  auto result = std::to_chars(text, text + sizeof text, value);
  std::string out(text, result.ptr);
  size_t exponent = out.find('e');
  std::string mantissa = out.substr(0, exponent);
  if (mantissa.find('.') == std::string::npos) {
    mantissa += ".0";  // YAML 1.1 reads "1e-45" and "16777216" as a string and an integer
  }
  if (exponent == std::string::npos) {
    return mantissa;
  }
  std::string power = out.substr(exponent + 1);
  if (power[0] != '-' && power[0] != '+') {
    power = "+" + power;  // YAML 1.1 wants the sign
  }
  return mantissa + "e" + power;
}

inline std::string format_bool(bool value)
{
  return value ? "true" : "false";
}

template<typename T>
inline std::string format_integer(T value)
{
  static_assert(std::is_integral_v<T>, "an integer type");
  return std::to_string(+value);
}

namespace detail
{

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when the byte starts none.
inline size_t utf8_sequence(std::string_view text, size_t i, uint32_t & code_point)
{
  auto byte = [&](size_t k) {return static_cast<unsigned char>(text[k]);};
  unsigned char lead = byte(i);
  if (lead < 0x80) {
    code_point = lead;
    return 1;
  }
  size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3 :
    lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
  if (length == 0 || i + length > text.size()) {
    return 0;
  }
  code_point = lead & (length == 2 ? 0x1f : length == 3 ? 0x0f : 0x07);
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xc0) != 0x80) {
      return 0;
    }
    code_point = (code_point << 6) | (byte(i + k) & 0x3f);
  }
  bool overlong = (length == 3 && code_point < 0x800) || (length == 4 && code_point < 0x10000);
  bool surrogate = code_point >= 0xd800 && code_point <= 0xdfff;
  if (overlong || surrogate || code_point > 0x10ffff) {
    return 0;
  }
  return length;
}

// Characters YAML lets a scalar hold as they are, outside its line breaks. NEL
// and the Unicode line and paragraph separators are line breaks to YAML 1.1
// readers, the byte order mark is taken for one: those are escaped too.
inline bool prints_as_is(uint32_t c)
{
  return (c >= 0x20 && c <= 0x7e) || (c >= 0xa0 && c <= 0xd7ff && c != 0x2028 && c != 0x2029) ||
         (c >= 0xe000 && c <= 0xfffd && c != 0xfeff) || (c >= 0x10000 && c <= 0x10ffff);
}

}  // namespace detail

inline std::string format_string(std::string_view value)
{
  bool single_quoted = true;
  for (size_t i = 0; i < value.size() && single_quoted; ) {
    uint32_t c = 0;
    size_t length = detail::utf8_sequence(value, i, c);
    single_quoted = length && detail::prints_as_is(c);
    i += length;
  }
  std::string out;
  if (single_quoted) {
    out = "'";
    for (char ch : value) {
      out += ch == '\'' ? std::string("''") : std::string(1, ch);
    }
    return out + "'";
  }
  out = "\"";
  for (size_t i = 0; i < value.size(); ) {
    uint32_t c = 0;
    size_t length = detail::utf8_sequence(value, i, c);
    char escape[16];
    if (length == 0) {
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(value[i]));
      out += escape;
      i += 1;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (detail::prints_as_is(c)) {
      out.append(value.substr(i, length));
    } else {
      if (c < 0x100) {
        std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
      } else if (c < 0x10000) {
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      } else {
        std::snprintf(escape, sizeof escape, "\\U%08x", static_cast<unsigned>(c));
      }
      out += escape;
    }
    i += length;
  }
  return out + "\"";
}

}  // namespace yaml
}  // namespace msgdef

#endif  // MSGDEF__YAML_TEXT_HPP_
