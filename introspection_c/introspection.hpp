// Introspection tables of any message type, as templates over its field table
// and over the record types of one flavour (C or C++ structures).
//
// A flavour F provides:
//   Member, Members, ServiceMembers   the record types it publishes
//   codes                              its numbering of field kinds
//   identifier()                       the runtime's identifier pointer, read when called
// A type T (made per message type by the library's DEFINE macro) provides:
//   Struct, fields (MSGDEF_FIELD_TUPLE of Struct), namespace_name, type_name,
//   init(void *, mode) and fini(void *) matching F::Members.
// A service type provides namespace_name, type_name, Request and Response.
#ifndef INTROSPECTION_C__INTROSPECTION_HPP_
#define INTROSPECTION_C__INTROSPECTION_HPP_

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "msgdef/atomic_pointer.hpp"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"

// The tables are data the compiler lays out; nothing runs at load.
#if defined(__clang__)
#  define INTROSPECTION_CONSTINIT [[clang::require_constant_initialization]]
#elif defined(__GNUC__) && __GNUC__ >= 10
#  define INTROSPECTION_CONSTINIT __constinit
#elif defined(__cpp_constinit)
#  define INTROSPECTION_CONSTINIT constinit
#else
#  define INTROSPECTION_CONSTINIT
#endif

namespace introspection
{

// A flavour's codes for the field kinds the interface types use.
struct TypeCodes
{
  std::uint8_t float32, float64, long_double, boolean, uint8, int8, uint16, int16,
    uint32, int32, uint64, int64, string, message;
};

template<class>
constexpr bool unsupported = false;

// The code of a primitive field, from its C/C++ type.
template<class T>
constexpr std::uint8_t value_code(const TypeCodes & c)
{
  if constexpr (std::is_same_v<T, bool>) {return c.boolean;}
  else if constexpr (std::is_same_v<T, float>) {return c.float32;}
  else if constexpr (std::is_same_v<T, double>) {return c.float64;}
  else if constexpr (std::is_same_v<T, long double>) {return c.long_double;}
  else if constexpr (std::is_same_v<T, std::uint8_t>) {return c.uint8;}
  else if constexpr (std::is_same_v<T, std::int8_t>) {return c.int8;}
  else if constexpr (std::is_same_v<T, std::uint16_t>) {return c.uint16;}
  else if constexpr (std::is_same_v<T, std::int16_t>) {return c.int16;}
  else if constexpr (std::is_same_v<T, std::uint32_t>) {return c.uint32;}
  else if constexpr (std::is_same_v<T, std::int32_t>) {return c.int32;}
  else if constexpr (std::is_same_v<T, std::uint64_t>) {return c.uint64;}
  else if constexpr (std::is_same_v<T, std::int64_t>) {return c.int64;}
  else {
    static_assert(unsupported<T>, "field type without an introspection code");
    return 0;
  }
}

template<class S, class T>
constexpr std::uint8_t field_code(const msgdef::Value<S, T> &, const TypeCodes & c)
{
  return value_code<T>(c);
}
template<class S, class T>
constexpr std::uint8_t field_code(const msgdef::String<S, T> &, const TypeCodes & c)
{
  return c.string;
}
template<class S, class T, class B>
constexpr std::uint8_t field_code(const msgdef::Message<S, T, B> &, const TypeCodes & c)
{
  return c.message;
}

template<class F>
struct is_message : std::false_type {};
template<class S, class T, class B>
struct is_message<msgdef::Message<S, T, B>>: std::true_type {};

// One row: single value, no bound, no default, no accessors. A nested type is
// bound when the handle function runs, since it lives in another library.
template<class Member, class Field>
constexpr Member make_row(const Field & field, const TypeCodes & codes)
{
  Member row{};
  row.name_ = field.name;
  row.type_id_ = field_code(field, codes);
  row.string_upper_bound_ = 0;
  row.members_ = nullptr;
  row.is_array_ = false;
  row.array_size_ = 0;
  row.is_upper_bound_ = false;
  row.offset_ = static_cast<std::uint32_t>(field.offset);
  row.default_value_ = nullptr;
  row.size_function = nullptr;
  row.get_const_function = nullptr;
  row.get_function = nullptr;
  row.resize_function = nullptr;
  return row;
}

template<class Member, class Tuple, std::size_t... I>
constexpr std::array<Member, sizeof...(I)> make_rows(
  const Tuple & fields, const TypeCodes & codes, std::index_sequence<I...>)
{
  return {{make_row<Member>(std::get<I>(fields), codes)...}};
}

template<class Member, class Tuple>
constexpr auto make_rows(const Tuple & fields, const TypeCodes & codes)
{
  return make_rows<Member>(fields, codes, std::make_index_sequence<std::tuple_size_v<Tuple>>());
}

// The static records of message type T in flavour F.
template<class F, class T>
struct MessageTables
{
  using Member = typename F::Member;
  using Members = typename F::Members;

  static constexpr std::array<Member, std::tuple_size_v<decltype(T::fields)>> initial_rows =
    make_rows<Member>(T::fields, F::codes);

  // Writable: the nested-type fields are written at run time.
  INTROSPECTION_CONSTINIT static inline auto rows = initial_rows;

  INTROSPECTION_CONSTINIT static inline const Members members = {
    T::namespace_name,
    T::type_name,
    static_cast<std::uint32_t>(initial_rows.size()),
    sizeof(typename T::Struct),
    rows.data(),
    T::init,
    T::fini,
  };

  // The identifier is the runtime's pointer, known only once it is loaded:
  // set by the first call of the handle function.
  INTROSPECTION_CONSTINIT static inline rosidl_message_type_support_t handle = {
    nullptr, &members, &get_message_typesupport_handle_function};
};

// The handle of message type T. Every call checks that each nested row holds
// its nested type's handle (calling that type's handle function) and writes the
// rows that do not; a row already bound is only read, so a reader walking the
// tables in another thread never races with a redundant store. The identifier
// is set once.
template<class F, class T>
const rosidl_message_type_support_t * message_handle()
{
  using Tables = MessageTables<F, T>;
  std::size_t index = 0;
  msgdef::for_each(T::fields, [&index](const auto & field) {
      if constexpr (is_message<std::decay_t<decltype(field)>>::value) {
        msgdef::ensure(&Tables::rows[index].members_, field.binding());
      }
      ++index;
    });
  msgdef::set_once(&Tables::handle.typesupport_identifier, F::identifier());
  return &Tables::handle;
}

// The static records of service type V in flavour F.
template<class F, class V>
struct ServiceTables
{
  // Writable: the request and response records are bound at run time.
  INTROSPECTION_CONSTINIT static inline typename F::ServiceMembers members = {
    V::namespace_name, V::type_name, nullptr, nullptr};

  INTROSPECTION_CONSTINIT static inline rosidl_service_type_support_t handle = {
    nullptr, &members, &get_service_typesupport_handle_function};
};

// Binds *slot to the message members record of type T once. Going through
// T's own handle function also sets T's identifier and binds its nested rows,
// so the record is complete when reached through the service.
template<class F, class T, class Members>
void bind_service_part(const Members ** slot)
{
  if (msgdef::atomic_load(slot) == nullptr) {
    const rosidl_message_type_support_t * part = message_handle<F, T>();
    msgdef::set_once(slot, static_cast<const Members *>(part->data));
  }
}

template<class F, class V>
const rosidl_service_type_support_t * service_handle()
{
  using Tables = ServiceTables<F, V>;
  msgdef::set_once(&Tables::handle.typesupport_identifier, F::identifier());
  bind_service_part<F, typename V::Request>(&Tables::members.request_members_);
  bind_service_part<F, typename V::Response>(&Tables::members.response_members_);
  return &Tables::handle;
}

}  // namespace introspection

// Field-list entries for walks that only look at nested types.
#define INTROSPECTION_IGNORE_VALUE(name, kind)
#define INTROSPECTION_IGNORE_STRING(name)

#endif  // INTROSPECTION_C__INTROSPECTION_HPP_
