// The types of the interface packages this tool is built with.
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

const KnownTypes & known_types();

}  // namespace velmsg
