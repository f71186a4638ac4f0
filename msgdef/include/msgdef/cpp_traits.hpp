// Expands a type's field list into the rosidl_generator_traits of its C++
// structure: the part <pkg>/<folder>/detail/<snake>__traits.hpp. Generic ROS 2
// code (client libraries, recorders, tools) reads these:
//   name<T>()             "pkg/folder/Type"
//   data_type<T>()        "pkg::folder::Type"
//   has_fixed_size<T>     false where a string lies anywhere inside the type
//   has_bounded_size<T>   false likewise (no field here carries a bound)
//   is_message<T>, is_service<S>, is_service_request<S_Request>, is_service_response<S_Response>
//   to_yaml(msg), to_yaml(msg, out, indentation)   the text velmsg prints
// The traits of a nested type come from its own traits header, included first.
#ifndef MSGDEF__CPP_TRAITS_HPP_
#define MSGDEF__CPP_TRAITS_HPP_

#include <cstddef>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>

#include "msgdef/yaml_message.hpp"
#include "rosidl_runtime_cpp/traits.hpp"

#define MSGDEF_CPP_SIZE_VALUE(trait, name, kind)
#define MSGDEF_CPP_SIZE_MESSAGE(trait, name, pkg, folder, T) \
  && ::rosidl_generator_traits::trait<::pkg::folder::T>::value
#define MSGDEF_CPP_SIZE_STRING(trait, name) && false

#define MSGDEF_CPP_FIXED_VALUE(name, kind) MSGDEF_CPP_SIZE_VALUE(has_fixed_size, name, kind)
#define MSGDEF_CPP_FIXED_MESSAGE(name, pkg, folder, T) \
  MSGDEF_CPP_SIZE_MESSAGE(has_fixed_size, name, pkg, folder, T)
#define MSGDEF_CPP_FIXED_STRING(name) MSGDEF_CPP_SIZE_STRING(has_fixed_size, name)
#define MSGDEF_CPP_BOUNDED_VALUE(name, kind) MSGDEF_CPP_SIZE_VALUE(has_bounded_size, name, kind)
#define MSGDEF_CPP_BOUNDED_MESSAGE(name, pkg, folder, T) \
  MSGDEF_CPP_SIZE_MESSAGE(has_bounded_size, name, pkg, folder, T)
#define MSGDEF_CPP_BOUNDED_STRING(name) MSGDEF_CPP_SIZE_STRING(has_bounded_size, name)

#define MSGDEF_CPP_YAML_VALUE(name, kind) \
  ::msgdef::yaml::scalar_line(out, indentation, #name, ::msgdef::yaml::value(msg.name));
#define MSGDEF_CPP_YAML_STRING(name) \
  ::msgdef::yaml::scalar_line(out, indentation, #name, ::msgdef::yaml::format_string(msg.name));
#define MSGDEF_CPP_YAML_MESSAGE(name, pkg, folder, T) \
  ::msgdef::yaml::nested_line(out, indentation, #name); \
  ::rosidl_generator_traits::to_yaml(msg.name, out, indentation + ::msgdef::yaml::nested_indentation);

#define MSGDEF_CPP_TRAITS(pkg, folder, T) \
  namespace rosidl_generator_traits \
  { \
  inline void to_yaml(const ::pkg::folder::T & msg, std::ostream & out, size_t indentation = 0) \
  { \
    (void)msg; \
    (void)out; \
    (void)indentation; \
    pkg##__##folder##__##T##__FIELDS( \
      MSGDEF_CPP_YAML_VALUE, MSGDEF_CPP_YAML_MESSAGE, MSGDEF_CPP_YAML_STRING) \
  } \
  inline std::string to_yaml(const ::pkg::folder::T & msg) \
  { \
    std::ostringstream out; \
    ::rosidl_generator_traits::to_yaml(msg, out); \
    return out.str(); \
  } \
  template<> \
  inline const char * data_type<::pkg::folder::T>() {return #pkg "::" #folder "::" #T;} \
  template<> \
  inline const char * name<::pkg::folder::T>() {return #pkg "/" #folder "/" #T;} \
  template<> \
  struct has_fixed_size<::pkg::folder::T> \
    : std::integral_constant<bool, true pkg##__##folder##__##T##__FIELDS( \
        MSGDEF_CPP_FIXED_VALUE, MSGDEF_CPP_FIXED_MESSAGE, MSGDEF_CPP_FIXED_STRING)> {}; \
  template<> \
  struct has_bounded_size<::pkg::folder::T> \
    : std::integral_constant<bool, true pkg##__##folder##__##T##__FIELDS( \
        MSGDEF_CPP_BOUNDED_VALUE, MSGDEF_CPP_BOUNDED_MESSAGE, MSGDEF_CPP_BOUNDED_STRING)> {}; \
  template<> \
  struct is_message<::pkg::folder::T> : std::true_type {}; \
  }

// A service: its own traits, and the roles of its request and response types
// (whose message traits come first).
#define MSGDEF_CPP_SERVICE_TRAITS(pkg, folder, S) \
  namespace rosidl_generator_traits \
  { \
  template<> \
  inline const char * data_type<::pkg::folder::S>() {return #pkg "::" #folder "::" #S;} \
  template<> \
  inline const char * name<::pkg::folder::S>() {return #pkg "/" #folder "/" #S;} \
  template<> \
  struct has_fixed_size<::pkg::folder::S> \
    : std::integral_constant<bool, has_fixed_size<::pkg::folder::S##_Request>::value && \
      has_fixed_size<::pkg::folder::S##_Response>::value> {}; \
  template<> \
  struct has_bounded_size<::pkg::folder::S> \
    : std::integral_constant<bool, has_bounded_size<::pkg::folder::S##_Request>::value && \
      has_bounded_size<::pkg::folder::S##_Response>::value> {}; \
  template<> \
  struct is_service<::pkg::folder::S> : std::true_type {}; \
  template<> \
  struct is_service_request<::pkg::folder::S##_Request> : std::true_type {}; \
  template<> \
  struct is_service_response<::pkg::folder::S##_Response> : std::true_type {}; \
  }

#endif  // MSGDEF__CPP_TRAITS_HPP_
