// What the Fast-CDR serializer tests share: every type of every package with
// its C and C++ entry points, streams over buffers the test owns, and fillers
// that give a C and a C++ message the same values.
#ifndef FASTCDR_TEST_SUPPORT_HPP_
#define FASTCDR_TEST_SUPPORT_HPP_

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "fastcdr/exceptions/NotEnoughMemoryException.h"
#include "../support/field_walk.hpp"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_fastrtps_c/identifier.h"
#include "rosidl_typesupport_fastrtps_cpp/identifier.hpp"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support.h"

#include "builtin_interfaces/msg/detail/time__rosidl_typesupport_fastrtps_c.h"
#include "builtin_interfaces/msg/detail/time__rosidl_typesupport_fastrtps_cpp.hpp"
#include "builtin_interfaces/msgdef_package.h"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_fastrtps_c.h"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_fastrtps_cpp.hpp"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_fastrtps_c.h"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_fastrtps_cpp.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "std_msgs/msg/detail/header__rosidl_typesupport_fastrtps_c.h"
#include "std_msgs/msg/detail/header__rosidl_typesupport_fastrtps_cpp.hpp"
#include "std_msgs/msgdef_package.h"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_cpp.hpp"
#include "velmari_messages/msg/detail/ego_state__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/msg/detail/ego_state__rosidl_typesupport_fastrtps_cpp.hpp"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_fastrtps_cpp.hpp"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_fastrtps_cpp.hpp"

namespace fastcdr_test
{

using Bytes = std::vector<unsigned char>;
using eprosima::fastcdr::Cdr;
using eprosima::fastcdr::FastBuffer;
constexpr Cdr::Endianness kLittle = Cdr::LITTLE_ENDIANNESS;
constexpr Cdr::Endianness kBig = Cdr::BIG_ENDIANNESS;

inline const message_type_support_callbacks_t * callbacks_of(const rosidl_message_type_support_t * h)
{
  return static_cast<const message_type_support_callbacks_t *>(h->data);
}

// Per message type: C structure, C++ structure and every entry point of both libraries.
template<class C>
struct Traits;

#define FASTCDR_TEST_TRAITS(pkg, folder, T, snake) \
  template<> \
  struct Traits<pkg##__##folder##__##T> \
  { \
    using c_type = pkg##__##folder##__##T; \
    using cpp_type = pkg::folder::T; \
    static constexpr const char * name = #pkg "/" #folder "/" #T; \
    static bool init(c_type * m) {return pkg##__##folder##__##T##__init(m);} \
    static void fini(c_type * m) {pkg##__##folder##__##T##__fini(m);} \
    static bool are_equal(const c_type * a, const c_type * b) \
    { \
      return pkg##__##folder##__##T##__are_equal(a, b); \
    } \
    static const rosidl_message_type_support_t * c_handle() \
    { \
      return rosidl_typesupport_fastrtps_c__get_message_type_support_handle__##pkg##__##folder##__##T(); \
    } \
    static size_t c_size(const void * m, size_t start) \
    { \
      return get_serialized_size_##pkg##__##folder##__##T(m, start); \
    } \
    static size_t c_max(bool & bounded, size_t start) \
    { \
      return max_serialized_size_##pkg##__##folder##__##T(bounded, start); \
    } \
    static const rosidl_message_type_support_t * cpp_handle() \
    { \
      return rosidl_typesupport_fastrtps_cpp__get_message_type_support_handle__##pkg##__##folder##__##T(); \
    } \
    static const rosidl_message_type_support_t * cpp_template_handle() \
    { \
      return rosidl_typesupport_fastrtps_cpp::get_message_type_support_handle<cpp_type>(); \
    } \
    static bool cpp_serialize(const cpp_type & m, Cdr & cdr) \
    { \
      return pkg::folder::typesupport_fastrtps_cpp::cdr_serialize(m, cdr); \
    } \
    static bool cpp_deserialize(Cdr & cdr, cpp_type & m) \
    { \
      return pkg::folder::typesupport_fastrtps_cpp::cdr_deserialize(cdr, m); \
    } \
    static size_t cpp_size(const cpp_type & m, size_t start) \
    { \
      return pkg::folder::typesupport_fastrtps_cpp::get_serialized_size(m, start); \
    } \
    static size_t cpp_max(bool & bounded, size_t start) \
    { \
      return pkg::folder::typesupport_fastrtps_cpp::max_serialized_size_##T(bounded, start); \
    } \
  };
builtin_interfaces__MESSAGES(FASTCDR_TEST_TRAITS)
std_msgs__MESSAGES(FASTCDR_TEST_TRAITS)
navunit_common_msgs__MESSAGES(FASTCDR_TEST_TRAITS)
velmari_messages__MESSAGES(FASTCDR_TEST_TRAITS)

// Calls f(Traits<C>{}) for every message type of every package.
#define FASTCDR_TEST_VISIT(pkg, folder, T, snake) f(Traits<pkg##__##folder##__##T>{});
template<class F>
void for_each_type(F && f)
{
  builtin_interfaces__MESSAGES(FASTCDR_TEST_VISIT)
  std_msgs__MESSAGES(FASTCDR_TEST_VISIT)
  navunit_common_msgs__MESSAGES(FASTCDR_TEST_VISIT)
  velmari_messages__MESSAGES(FASTCDR_TEST_VISIT)
}

// An initialised C message, finalised on scope exit.
template<class C>
struct CMessage
{
  C msg;
  CMessage()
  {
    std::memset(static_cast<void *>(&msg), 0, sizeof(msg));
    if (!Traits<C>::init(&msg)) {
      throw std::bad_alloc();
    }
  }
  ~CMessage() {Traits<C>::fini(&msg);}
  CMessage(const CMessage &) = delete;
  CMessage & operator=(const CMessage &) = delete;
};

// A stream over a zero-filled buffer of exactly `size` bytes owned by the
// test, so that a read or write past its end is seen by AddressSanitizer.
struct Stream
{
  std::unique_ptr<char[]> storage;
  FastBuffer buffer;
  Cdr cdr;
  Stream(std::size_t size, Cdr::Endianness endianness = kLittle)
  : storage(new char[size]()), buffer(storage.get(), size), cdr(buffer, endianness, Cdr::DDS_CDR) {}
  Stream(const Bytes & bytes, Cdr::Endianness endianness = kLittle)
  : Stream(bytes.size(), endianness)
  {
    if (!bytes.empty()) {
      std::memcpy(storage.get(), bytes.data(), bytes.size());
    }
  }
  // The bytes written (or read) from `from` to the current position.
  Bytes written(std::size_t from = 0) const
  {
    const std::size_t end = cdr.getSerializedDataLength();
    return Bytes(storage.get() + from, storage.get() + end);
  }
  std::size_t position() const {return cdr.getSerializedDataLength();}
};

constexpr std::size_t kRoom = 1024;

// Serialized bytes of a C message from start offset `start`, through its handle's callbacks.
template<class C>
Bytes c_bytes(const C & msg, std::size_t start = 0, Cdr::Endianness e = kLittle)
{
  Stream s(kRoom, e);
  s.cdr.jump(start);
  EXPECT_TRUE(callbacks_of(Traits<C>::c_handle())->cdr_serialize(&msg, s.cdr));
  return s.written(start);
}

template<class C>
Bytes cpp_bytes(const typename Traits<C>::cpp_type & msg, std::size_t start = 0,
  Cdr::Endianness e = kLittle)
{
  Stream s(kRoom, e);
  s.cdr.jump(start);
  EXPECT_TRUE(Traits<C>::cpp_serialize(msg, s.cdr));
  return s.written(start);
}

// Giving C and C++ messages the same values. -------------------------------

inline void set_string(rosidl_runtime_c__String & s, const std::string & v)
{
  ASSERT_TRUE(rosidl_runtime_c__String__assignn(&s, v.data(), v.size()));
}
inline void set_string(std::string & s, const std::string & v) {s = v;}

using field_walk::fields_of;

// A distinct value per field number, exact in every type (bools alternate).
template<class T>
T pattern(unsigned n)
{
  if constexpr (std::is_same_v<T, bool>) {
    return n % 2 == 1;
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<T>(n) * T(1.5) - T(7);
  } else {
    return static_cast<T>(0x1F3D5B79u * (n + 1));
  }
}

// Fills every field of a C or C++ message; every string becomes `frame_id`.
template<class M>
void fill(M & msg, unsigned & n, const std::string & frame_id)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_arithmetic_v<T>) {
        member = pattern<T>(n++);
      } else if constexpr (std::is_same_v<T, rosidl_runtime_c__String> ||
      std::is_same_v<T, std::string>)
      {
        set_string(member, frame_id);
      } else {
        fill(member, n, frame_id);
      }
    });
}

template<class M>
void fill(M & msg, const std::string & frame_id = "base_link")
{
  unsigned n = 0;
  fill(msg, n, frame_id);
}

// Fast-CDR's own calls, one per field, nested fields included: the yardstick
// of the serializers' bytes and of the state they leave the stream in. ------

inline std::string text_of(const rosidl_runtime_c__String & s) {return std::string(s.data, s.size);}
inline std::string text_of(const std::string & s) {return s;}

template<class M>
void write_field_by_field(const M & msg, Cdr & cdr)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      const auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, bool>) {
        unsigned char byte;
        std::memcpy(&byte, &member, 1);
        cdr.serialize(byte != 0);
      } else if constexpr (std::is_same_v<T, uint8_t>) {
        cdr.serialize(static_cast<char>(member));
      } else if constexpr (std::is_arithmetic_v<T>) {
        cdr.serialize(member);
      } else if constexpr (std::is_same_v<T, rosidl_runtime_c__String> ||
      std::is_same_v<T, std::string>)
      {
        // Its length, then its bytes and NUL. (Fast-CDR's std::string write
        // goes back before the length when the bytes do not fit; the
        // serializers, as ever, leave the length written.)
        const std::string text = text_of(member);
        cdr.serialize(static_cast<uint32_t>(text.size() + 1));
        cdr.serializeArray(text.c_str(), text.size() + 1);
      } else {
        write_field_by_field(member, cdr);
      }
    });
}

template<class M>
void read_field_by_field(Cdr & cdr, M & msg)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, uint8_t>) {
        char byte;
        cdr.deserialize(byte);
        member = std::is_same_v<T, bool> ? T(byte != 0) : static_cast<T>(byte);
      } else if constexpr (std::is_arithmetic_v<T>) {
        cdr.deserialize(member);
      } else if constexpr (std::is_same_v<T, rosidl_runtime_c__String> ||
      std::is_same_v<T, std::string>)
      {
        std::string text;
        cdr.deserialize(text);
        set_string(member, text);
      } else {
        read_field_by_field(cdr, member);
      }
    });
}

// What the stream's next calls will do, seen through them: its position,
// then where a value of each width lands (or 0: raised) after a jump of 0 to
// 7 bytes, which shows the last width the stream keeps (whether it pads) and
// its alignment origin (where to), and where a double lands after one byte.
// The stream is put back as it was; a writing stream's bytes past its
// position are not.
inline std::vector<std::size_t> next_calls(Cdr & cdr, bool reading)
{
  const Cdr::state now(cdr);
  std::vector<std::size_t> landed{cdr.getSerializedDataLength()};
  for (std::size_t skip = 0; skip < 8; ++skip) {
    for (int probe = 0; probe < 4; ++probe) {
      Cdr::state again(now);
      cdr.setState(again);
      try {
        cdr.jump(skip);
        int16_t i16 = 0;
        int32_t i32 = 0;
        double f64 = 0;
        char byte = 0;
        switch (probe) {
          case 0: reading ? cdr.deserialize(i16) : cdr.serialize(i16); break;
          case 1: reading ? cdr.deserialize(i32) : cdr.serialize(i32); break;
          case 2: reading ? cdr.deserialize(f64) : cdr.serialize(f64); break;
          default:
            reading ? cdr.deserialize(byte) : cdr.serialize(byte);
            reading ? cdr.deserialize(f64) : cdr.serialize(f64);
        }
        landed.push_back(cdr.getSerializedDataLength());
      } catch (const eprosima::fastcdr::exception::NotEnoughMemoryException &) {
        landed.push_back(0);
      }
    }
  }
  Cdr::state back(now);
  cdr.setState(back);
  return landed;
}

}  // namespace fastcdr_test

#endif  // FASTCDR_TEST_SUPPORT_HPP_
