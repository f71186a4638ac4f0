// What a middleware does with a type it knows only through its handles: for
// the C and the C++ message representation, make, fill, write and read a
// message from its introspection tables alone, and the same through the
// Fast-CDR callbacks record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"

#include "../support/unaligned.hpp"

namespace generic
{

struct CFlavour
{
  using Members = rosidl_typesupport_introspection_c__MessageMembers;
  using ServiceMembers = rosidl_typesupport_introspection_c__ServiceMembers;
  static constexpr const char * suffix = "c";
  static constexpr const char * introspection_separator = "__";

  static void init(const Members & members, void * msg)
  {
    members.init_function(msg, ROSIDL_RUNTIME_C_MSG_INIT_ALL);
  }
  static std::string get_string(const void * at)
  {
    const auto * s = static_cast<const rosidl_runtime_c__String *>(at);
    return std::string(s->data, s->size);
  }
  static bool set_string(void * at, const std::string & text)
  {
    return rosidl_runtime_c__String__assignn(
      static_cast<rosidl_runtime_c__String *>(at), text.data(), text.size());
  }
};

struct CppFlavour
{
  using Members = rosidl_typesupport_introspection_cpp::MessageMembers;
  using ServiceMembers = rosidl_typesupport_introspection_cpp::ServiceMembers;
  static constexpr const char * suffix = "cpp";
  static constexpr const char * introspection_separator = "::";

  static void init(const Members & members, void * msg)
  {
    members.init_function(msg, rosidl_runtime_cpp::MessageInitialization::ALL);
  }
  static std::string get_string(const void * at) {return *static_cast<const std::string *>(at);}
  static bool set_string(void * at, const std::string & text)
  {
    *static_cast<std::string *>(at) = text;
    return true;
  }
};

using unaligned::load;
using unaligned::store;

// Calls visit(T{}) with the C++ type of a primitive kind code; false for a
// code that is not a primitive (string, message, or unknown).
template<class Visit>
bool with_primitive(uint8_t type_id, Visit && visit)
{
  switch (type_id) {
    case rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT: visit(float{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE: visit(double{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_CHAR: visit(char{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN: visit(bool{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_OCTET: visit(uint8_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_UINT8: visit(uint8_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_INT8: visit(int8_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_UINT16: visit(uint16_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_INT16: visit(int16_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_UINT32: visit(uint32_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_INT32: visit(int32_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_UINT64: visit(uint64_t{}); return true;
    case rosidl_typesupport_introspection_c__ROS_TYPE_INT64: visit(int64_t{}); return true;
    default: return false;
  }
}

// The table of a nested message row.
template<class Members, class Row>
const Members & nested(const Row & row)
{
  return *static_cast<const Members *>(row.members_->data);
}

// A message of a type known by its table: storage of size_of_ bytes,
// initialised by the table's init function and finalised by its fini.
template<class F>
class Message
{
public:
  explicit Message(const typename F::Members & members)
  : members_(members),
    storage_(new std::max_align_t[members.size_of_ / sizeof(std::max_align_t) + 1])
  {
    F::init(members_, get());
  }
  ~Message() {members_.fini_function(get());}
  Message(const Message &) = delete;
  Message & operator=(const Message &) = delete;

  void * get() {return storage_.get();}
  const void * get() const {return storage_.get();}

private:
  const typename F::Members & members_;
  std::unique_ptr<std::max_align_t[]> storage_;
};

// Gives every field a value of its own, derived from a running seed, so that
// a field read from the wrong place or written in the wrong order shows.
template<class F>
void fill(const typename F::Members & members, void * msg, unsigned & seed)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    void * at = static_cast<char *>(msg) + row.offset_;
    ++seed;
    if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE) {
      fill<F>(nested<typename F::Members>(row), at, seed);
    } else if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_STRING) {
      F::set_string(at, std::string(seed % 7, 'f') + std::to_string(seed));
    } else {
      with_primitive(row.type_id_, [&](auto type) {
          using T = decltype(type);
          if constexpr (std::is_same_v<T, bool>) {
            store<T>(at, seed % 2 == 1);
          } else if constexpr (std::is_floating_point_v<T>) {
            store<T>(at, static_cast<T>(seed) * T(-1.25));
          } else if constexpr (std::is_signed_v<T>) {
            store<T>(at, static_cast<T>(-static_cast<int64_t>(seed) * 0x01020305LL));
          } else {
            store<T>(at, static_cast<T>(seed * 0x0A0B0C0DULL + 0xF0));
          }
        });
    }
  }
}

// Writes the message field by field as the tables describe it. False on a
// kind code this writer does not know.
template<class F>
bool write(const typename F::Members & members, const void * msg, eprosima::fastcdr::Cdr & cdr)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    const void * at = static_cast<const char *>(msg) + row.offset_;
    if (row.is_array_) {
      return false;
    }
    if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE) {
      if (!write<F>(nested<typename F::Members>(row), at, cdr)) {
        return false;
      }
    } else if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_STRING) {
      cdr.serialize(F::get_string(at));
    } else if (!with_primitive(row.type_id_, [&](auto type) {
        using T = decltype(type);
        if constexpr (std::is_same_v<T, bool>) {
          cdr.serialize(load<uint8_t>(at) != 0);
        } else {
          cdr.serialize(load<T>(at));
        }
      }))
    {
      return false;
    }
  }
  return true;
}

// Reads a message written as the tables describe it.
template<class F>
bool read(const typename F::Members & members, eprosima::fastcdr::Cdr & cdr, void * msg)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    void * at = static_cast<char *>(msg) + row.offset_;
    if (row.is_array_) {
      return false;
    }
    if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE) {
      if (!read<F>(nested<typename F::Members>(row), cdr, at)) {
        return false;
      }
    } else if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_STRING) {
      std::string text;
      cdr.deserialize(text);
      if (!F::set_string(at, text)) {
        return false;
      }
    } else if (!with_primitive(row.type_id_, [&](auto type) {
        using T = decltype(type);
        if constexpr (std::is_same_v<T, bool>) {
          uint8_t byte = 0;
          cdr.deserialize(byte);
          store<bool>(at, byte != 0);
        } else {
          T value{};
          cdr.deserialize(value);
          store<T>(at, value);
        }
      }))
    {
      return false;
    }
  }
  return true;
}

// Whether the type has a string anywhere, nested types included.
template<class F>
bool has_string(const typename F::Members & members)
{
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const auto & row = members.members_[i];
    if (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_STRING ||
      (row.type_id_ == rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE &&
      has_string<F>(nested<typename F::Members>(row))))
    {
      return true;
    }
  }
  return false;
}

// A stream as a middleware sets it up: DDS CDR, encapsulation first.
class Stream
{
public:
  Stream()
  : buffer_(storage_, sizeof(storage_)),
    cdr_(buffer_, eprosima::fastcdr::Cdr::DEFAULT_ENDIAN, eprosima::fastcdr::Cdr::DDS_CDR)
  {
    cdr_.serialize_encapsulation();
  }
  explicit Stream(const std::vector<char> & bytes)
  : Stream()
  {
    std::memcpy(storage_, bytes.data(), bytes.size());
    cdr_.reset();
    cdr_.read_encapsulation();
  }
  eprosima::fastcdr::Cdr & cdr() {return cdr_;}
  // The bytes after the encapsulation header.
  std::vector<char> payload() const
  {
    return std::vector<char>(storage_ + 4, storage_ + cdr_.getSerializedDataLength());
  }
  std::vector<char> bytes() const
  {
    return std::vector<char>(storage_, storage_ + cdr_.getSerializedDataLength());
  }

private:
  char storage_[4096] = {};
  eprosima::fastcdr::FastBuffer buffer_;
  eprosima::fastcdr::Cdr cdr_;
};

}  // namespace generic
