// The types of the interface packages installed where velmsg looks (see prefixes.hpp).
#pragma once

#include <vector>

#include "message_type.hpp"

namespace velmsg
{

struct KnownTypes
{
  std::vector<TypeName> messages;  // requests and responses included
  std::vector<TypeName> services;
};

KnownTypes known_types();

}  // namespace velmsg
