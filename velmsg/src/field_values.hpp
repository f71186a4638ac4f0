// Text <-> value of one primitive field, by introspection type code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmsg
{

struct PrimitiveKind
{
  uint8_t type_id;
  const char * name;  // interface type name: "float32", "int16", ...
  size_t width;       // bytes in the structure
  // Stores the parsed text in the field; on failure returns false and says why.
  bool (*parse)(std::string_view text, void * field, std::string & reason);
  std::string (*format)(const void * field);
  // Stores an example value derived from n (used to fill whole messages).
  void (*example)(unsigned n, void * field);
};

// The kind of a primitive type code, or null for strings, nested messages
// and the codes the tool does not handle (long double, wchar).
const PrimitiveKind * primitive_kind(uint8_t type_id);

// Interface type name of any type code ("string", "float64", ...).
std::string type_code_name(uint8_t type_id);

}  // namespace velmsg
