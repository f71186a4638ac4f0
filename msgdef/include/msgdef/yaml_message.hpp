// A message as YAML text: one block mapping, "name: value" per field in field
// order, a nested message as "name:" followed by its fields indented by two
// more spaces. velmsg lays out what it prints with it, and the C++ headers'
// rosidl_generator_traits::to_yaml() what it writes; values are spelled by
// msgdef/yaml_text.hpp.
#ifndef MSGDEF__YAML_MESSAGE_HPP_
#define MSGDEF__YAML_MESSAGE_HPP_

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

#include "msgdef/yaml_text.hpp"

namespace msgdef
{
namespace yaml
{

// The text of a primitive field. A bool is read by its byte: any non-zero
// byte is true, as the serializers treat it.
template<class T>
std::string value(const T & field)
{
  if constexpr (std::is_same_v<T, bool>) {
    unsigned char byte;
    std::memcpy(&byte, &field, 1);
    return format_bool(byte != 0);
  } else if constexpr (std::is_floating_point_v<T>) {
    return format_float(field);
  } else {
    return format_integer(field);
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

#endif  // MSGDEF__YAML_MESSAGE_HPP_
