// The catalogue as test data: for every type, its expected rows (name and
// kind code, with the position and width taken from the structure S, which
// may be the C or the C++ structure), and the handle functions of both flavours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_introspection_c.h"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_introspection_cpp.hpp"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_introspection_c.h"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_introspection_cpp.hpp"
#include "std_msgs/msg/detail/header__rosidl_typesupport_introspection_c.h"
#include "std_msgs/msg/detail/header__rosidl_typesupport_introspection_cpp.hpp"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_cpp.hpp"
#include "velmari_messages/msg/detail/ego_state__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/ego_state__rosidl_typesupport_introspection_cpp.hpp"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_introspection_cpp.hpp"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_introspection_cpp.hpp"

struct ExpectedRow
{
  const char * name;
  std::uint8_t code;
  std::size_t offset;
  std::size_t size;
};

#define ROW(field, code) ExpectedRow{#field, code, offsetof(S, field), sizeof(S::field)}

template<class S>
std::vector<ExpectedRow> control_rows()
{
  return {ROW(header, 18), ROW(valid, 6), ROW(throttle, 2), ROW(brake, 2), ROW(steer, 2),
    ROW(mode, 13), ROW(gear, 13)};
}
template<class S>
std::vector<ExpectedRow> ego_state_rows()
{
  return {ROW(header, 18), ROW(x, 2), ROW(y, 2), ROW(z, 2), ROW(yaw, 2), ROW(pitch, 2),
    ROW(roll, 2), ROW(speed, 2)};
}
template<class S>
std::vector<ExpectedRow> num_rows() {return {ROW(num, 15)};}
template<class S>
std::vector<ExpectedRow> add_three_ints_request_rows()
{
  return {ROW(a, 15), ROW(b, 15), ROW(c, 15)};
}
template<class S>
std::vector<ExpectedRow> add_three_ints_response_rows() {return {ROW(num, 15)};}
template<class S>
std::vector<ExpectedRow> zodizu610_rows()
{
  return {ROW(header, 18), ROW(gpsweek, 13), ROW(gpstime, 2), ROW(heading, 1), ROW(pitch, 1),
    ROW(roll, 1), ROW(gyro_x, 1), ROW(gyro_y, 1), ROW(gyro_z, 1), ROW(acc_x, 1), ROW(acc_y, 1),
    ROW(acc_z, 1), ROW(lat, 2), ROW(lon, 2), ROW(alt, 2), ROW(ve, 1), ROW(vn, 1), ROW(vu, 1),
    ROW(v, 1), ROW(nsv1, 11), ROW(nsv2, 11), ROW(status, 8), ROW(age, 11), ROW(warning, 11)};
}
template<class S>
std::vector<ExpectedRow> velmari_ego_cache_rows()
{
  return {ROW(x, 1), ROW(y, 1), ROW(z, 1), ROW(yaw, 1), ROW(pitch, 1), ROW(roll, 1),
    ROW(speed, 1)};
}
#undef ROW

using MessageHandleFunction = const rosidl_message_type_support_t * (*)();

// One message type in both flavours.
struct TypeCase
{
  const char * name;
  const char * c_namespace;
  const char * cpp_namespace;
  std::size_t c_size;
  std::size_t cpp_size;
  std::vector<ExpectedRow> c_rows;
  std::vector<ExpectedRow> cpp_rows;
  MessageHandleFunction c_handle;
  MessageHandleFunction cpp_handle;
  MessageHandleFunction cpp_template_handle;
  bool (* c_init)(void *);
  void (* c_fini)(void *);
  bool (* c_are_equal)(const void *, const void *);
};

// Test names and failure messages show the type's name.
inline void PrintTo(const TypeCase & type, std::ostream * out) {*out << type.name;}

#define TYPE_CASE(pkg, folder, T, snake) \
  TypeCase{#T, #pkg "__" #folder, #pkg "::" #folder, \
    sizeof(pkg##__##folder##__##T), sizeof(pkg::folder::T), \
    snake##_rows<pkg##__##folder##__##T>(), snake##_rows<pkg::folder::T>(), \
    &rosidl_typesupport_introspection_c__get_message_type_support_handle__##pkg##__##folder##__##T, \
    &rosidl_typesupport_introspection_cpp__get_message_type_support_handle__##pkg##__##folder##__##T, \
    &rosidl_typesupport_introspection_cpp::get_message_type_support_handle<pkg::folder::T>, \
    [](void * m) {return pkg##__##folder##__##T##__init(static_cast<pkg##__##folder##__##T *>(m));}, \
    [](void * m) {pkg##__##folder##__##T##__fini(static_cast<pkg##__##folder##__##T *>(m));}, \
    [](const void * a, const void * b) { \
      return pkg##__##folder##__##T##__are_equal( \
        static_cast<const pkg##__##folder##__##T *>(a), \
        static_cast<const pkg##__##folder##__##T *>(b)); \
    }}

inline std::vector<TypeCase> all_types()
{
  return {
    TYPE_CASE(velmari_messages, msg, Control, control),
    TYPE_CASE(velmari_messages, msg, EgoState, ego_state),
    TYPE_CASE(velmari_messages, msg, Num, num),
    TYPE_CASE(velmari_messages, srv, AddThreeInts_Request, add_three_ints_request),
    TYPE_CASE(velmari_messages, srv, AddThreeInts_Response, add_three_ints_response),
    TYPE_CASE(navunit_common_msgs, msg, Zodizu610, zodizu610),
    TYPE_CASE(navunit_common_msgs, msg, VelmariEgoCache, velmari_ego_cache),
  };
}
