// A generic reader and writer of messages that knows nothing but the
// introspection tables: what a middleware or a message printer does.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>

#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"

#include "../support/unaligned.hpp"

namespace walker
{

template<class Members>
constexpr bool is_c = std::is_same_v<Members, rosidl_typesupport_introspection_c__MessageMembers>;

using unaligned::load;
using unaligned::store;

// "name=value" per line, nested fields as "outer.inner=value".
template<class Members>
void print(const Members & members, const void * msg, const std::string & prefix, std::ostream & out)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    const void * at = static_cast<const char *>(msg) + row.offset_;
    const std::string name = prefix + row.name_;
    if (row.type_id_ == 18) {
      print(*static_cast<const Members *>(row.members_->data), at, name + ".", out);
      continue;
    }
    out << name << '=';
    switch (row.type_id_) {
      case 1: out << load<float>(at); break;
      case 2: out << load<double>(at); break;
      case 6: out << (load<uint8_t>(at) ? "true" : "false"); break;
      case 8: out << +load<uint8_t>(at); break;
      case 11: out << load<int16_t>(at); break;
      case 12: out << load<uint32_t>(at); break;
      case 13: out << load<int32_t>(at); break;
      case 15: out << load<int64_t>(at); break;
      case 16:
        if constexpr (is_c<Members>) {
          out << static_cast<const rosidl_runtime_c__String *>(at)->data;
        } else {
          out << *static_cast<const std::string *>(at);
        }
        break;
      default: out << "<code " << +row.type_id_ << '>';
    }
    out << '\n';
  }
}

template<class Members>
std::string print(const Members & members, const void * msg)
{
  std::ostringstream out;
  out.precision(17);
  print(members, msg, "", out);
  return out.str();
}

// Writes a distinct value into every field, counting up from next.
template<class Members>
void fill(const Members & members, void * msg, int & next)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    void * at = static_cast<char *>(msg) + row.offset_;
    const int v = next++;
    switch (row.type_id_) {
      case 18: fill(*static_cast<const Members *>(row.members_->data), at, next); break;
      case 1: store<float>(at, v + 0.5f); break;
      case 2: store<double>(at, v + 0.25); break;
      case 6: store<uint8_t>(at, v % 2); break;
      case 8: store<uint8_t>(at, static_cast<uint8_t>(200 + v)); break;
      case 11: store<int16_t>(at, static_cast<int16_t>(-v)); break;
      case 12: store<uint32_t>(at, 4000000000u + v); break;
      case 13: store<int32_t>(at, -100000 * v); break;
      case 15: store<int64_t>(at, -10000000000LL * v); break;
      case 16:
        if constexpr (is_c<Members>) {
          rosidl_runtime_c__String__assign(
            static_cast<rosidl_runtime_c__String *>(at), ("frame_id_number_" + std::to_string(v)).c_str());
        } else {
          *static_cast<std::string *>(at) = "frame_id_number_" + std::to_string(v);
        }
        break;
    }
  }
}

}  // namespace walker

