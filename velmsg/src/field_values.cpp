#include "field_values.hpp"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "msgdef/yaml_text.hpp"
#include "rosidl_typesupport_introspection_c/field_types.h"

namespace velmsg
{
namespace
{

template<typename T>
T load(const void * field)
{
  T value;
  std::memcpy(&value, field, sizeof value);
  return value;
}

template<typename T>
void store(void * field, T value)
{
  std::memcpy(field, &value, sizeof value);
}

template<typename T>
std::string range_text()
{
  return std::to_string(+std::numeric_limits<T>::lowest()) + " to " +
         std::to_string(+std::numeric_limits<T>::max());
}

// Integers: decimal, 0x hexadecimal or 0o octal, optionally signed; the whole
// text must be the number. A decimal with a leading zero ("010") is refused:
// YAML 1.1 reads it as octal, YAML 1.2 as decimal.
template<typename T>
bool parse_integer(std::string_view text, void * field, std::string & reason)
{
  using Wide = std::conditional_t<std::is_signed_v<T>, long long, unsigned long long>;
  std::string_view digits = text;
  bool negative = !digits.empty() && digits.front() == '-';
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
  } else if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'o' || digits[1] == 'O')) {
    base = 8;
  } else if (digits.size() > 1 && digits[0] == '0' && std::isdigit(static_cast<unsigned char>(digits[1]))) {
    reason = "is ambiguous: YAML 1.1 reads a leading 0 as octal, YAML 1.2 as decimal "
      "(write it without the 0, or as 0o... for octal)";
    return false;
  }
  if (base != 10) {
    digits.remove_prefix(2);
  }
  // The magnitude first, so that "too small" and "not a number" can be told apart.
  unsigned long long magnitude = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (digits.empty() || end != digits.data() + digits.size() || error == std::errc::invalid_argument) {
    reason = "is not an integer (decimal, 0x hexadecimal or 0o octal)";
    return false;
  }
  constexpr unsigned long long most_negative = std::is_signed_v<T> ?
    static_cast<unsigned long long>(std::numeric_limits<T>::max()) + 1 : 0;
  bool fits = error != std::errc::result_out_of_range &&
    (negative ? magnitude <= most_negative :
     magnitude <= static_cast<unsigned long long>(std::numeric_limits<T>::max()));
  if (!fits) {
    reason = "does not fit (range " + range_text<T>() + ")";
    return false;
  }
  Wide wide = negative ? static_cast<Wide>(0 - magnitude) : static_cast<Wide>(magnitude);
  store(field, static_cast<T>(wide));
  return true;
}

template<typename T>
std::string format_integer(const void * field)
{
  return msgdef::yaml::format_integer(load<T>(field));
}

template<typename T>
void example_integer(unsigned n, void * field)
{
  store(field, static_cast<T>(n % 100));
}

// Floating point: decimal or exponent form, nan and inf in plain or YAML spelling.
template<typename T>
bool parse_float(std::string_view text, void * field, std::string & reason)
{
  std::string_view number = text;
  bool negative = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  if (!number.empty() && number.front() == '.' && number.size() > 1 &&
    std::isalpha(static_cast<unsigned char>(number[1])))
  {
    number.remove_prefix(1);  // YAML's .inf and .nan
  }
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (number.empty() || end != number.data() + number.size() || error == std::errc::invalid_argument) {
    reason = "is not a number";
    return false;
  }
  if (error == std::errc::result_out_of_range) {
    // Reported for underflow too: those values round to (sub)normals, strtod gives them.
    value = std::strtod(std::string(number).c_str(), nullptr);
    if (std::isinf(value)) {
      reason = "does not fit float64";
      return false;
    }
  }
  if (negative) {
    value = -value;
  }
  // Finite values round to the nearest T; only those beyond the largest T's
  // rounding interval (half an ulp above it) would turn into infinity.
  const double largest = static_cast<double>(std::numeric_limits<T>::max());
  const double limit = std::is_same_v<T, float> ?
    largest + std::ldexp(1.0, std::numeric_limits<float>::max_exponent - std::numeric_limits<float>::digits - 1) :
    largest;
  if (std::isfinite(value) && std::fabs(value) >= limit && std::fabs(value) != largest) {
    reason = std::is_same_v<T, float> ? "does not fit float32" : "does not fit float64";
    return false;
  }
  store(field, static_cast<T>(value));
  return true;
}

template<typename T>
std::string format_float(const void * field)
{
  return msgdef::yaml::format_float(load<T>(field));
}

template<typename T>
void example_float(unsigned n, void * field)
{
  store(field, static_cast<T>(n) + static_cast<T>(0.5));
}

// The bools of YAML 1.2 and the numbers 1 and 0; YAML 1.1's yes, no, on and off are not taken.
bool parse_bool(std::string_view text, void * field, std::string & reason)
{
  static const std::pair<std::string_view, bool> spellings[] = {
    {"true", true}, {"True", true}, {"TRUE", true}, {"1", true},
    {"false", false}, {"False", false}, {"FALSE", false}, {"0", false}};
  for (auto [spelling, value] : spellings) {
    if (text == spelling) {
      store(field, value);
      return true;
    }
  }
  reason = "is not a bool (true, True, TRUE, 1, false, False, FALSE or 0)";
  return false;
}

std::string format_bool(const void * field)
{
  // Any non-zero byte is true, as the serializers treat it.
  return msgdef::yaml::format_bool(load<uint8_t>(field) != 0);
}

void example_bool(unsigned, void * field)
{
  store(field, true);
}

#define INTEGER_KIND(code, T, name) \
  {code, name, sizeof(T), parse_integer<T>, format_integer<T>, example_integer<T>}

const PrimitiveKind kinds[] = {
  {rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT, "float32", sizeof(float),
    parse_float<float>, format_float<float>, example_float<float>},
  {rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE, "float64", sizeof(double),
    parse_float<double>, format_float<double>, example_float<double>},
  {rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN, "bool", sizeof(bool),
    parse_bool, format_bool, example_bool},
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_CHAR, uint8_t, "char"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_OCTET, uint8_t, "byte"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_UINT8, uint8_t, "uint8"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_INT8, int8_t, "int8"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_UINT16, uint16_t, "uint16"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_INT16, int16_t, "int16"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_UINT32, uint32_t, "uint32"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_INT32, int32_t, "int32"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_UINT64, uint64_t, "uint64"),
  INTEGER_KIND(rosidl_typesupport_introspection_c__ROS_TYPE_INT64, int64_t, "int64"),
};

}  // namespace

const PrimitiveKind * primitive_kind(uint8_t type_id)
{
  for (const PrimitiveKind & kind : kinds) {
    if (kind.type_id == type_id) {
      return &kind;
    }
  }
  return nullptr;
}

std::string type_code_name(uint8_t type_id)
{
  if (const PrimitiveKind * kind = primitive_kind(type_id)) {
    return kind->name;
  }
  switch (type_id) {
    case rosidl_typesupport_introspection_c__ROS_TYPE_LONG_DOUBLE: return "long double";
    case rosidl_typesupport_introspection_c__ROS_TYPE_WCHAR: return "wchar";
    case rosidl_typesupport_introspection_c__ROS_TYPE_STRING: return "string";
    case rosidl_typesupport_introspection_c__ROS_TYPE_WSTRING: return "wstring";
    case rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE: return "message";
    default: return "type code " + std::to_string(type_id);
  }
}

}  // namespace velmsg
