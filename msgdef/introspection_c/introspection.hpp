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
#include <atomic>
#include <cstdint>
#include <thread>
#include <type_traits>
#include <utility>

#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"

// The tables are data the compiler lays out; nothing runs at load. Not so in
// the MSVC ABI, where the runtime's dispatch function, imported from its DLL,
// has no constant address: there its handles are set as the library loads.
#if defined(_MSC_VER)
#  define INTROSPECTION_CONSTINIT
#elif defined(__clang__)
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

// Runs a function once; callers that come while it runs wait until it has
// run. One atomic byte in static storage, constant-initialised; no lock object,
// no allocation, nothing exported (std::call_once would export helpers).
class OnceGuard
{
public:
  constexpr OnceGuard() = default;

  template<class Function>
  void run(Function && function)
  {
    if (state_.load(std::memory_order_acquire) == done) {
      return;
    }
    unsigned char expected = idle;
    if (state_.compare_exchange_strong(expected, running, std::memory_order_acquire)) {
      function();
      state_.store(done, std::memory_order_release);
      return;
    }
    while (state_.load(std::memory_order_acquire) != done) {
      std::this_thread::yield();
    }
  }

private:
  enum : unsigned char {idle, running, done};
  std::atomic<unsigned char> state_{idle};
};

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

  INTROSPECTION_CONSTINIT static inline OnceGuard bound;
};

// Makes every nested row hold its nested type's handle (calling that type's
// handle function), writing only the rows that do not.
template<class F, class T>
void bind_nested_rows()
{
  using Tables = MessageTables<F, T>;
  std::size_t index = 0;
  msgdef::for_each(T::fields, [&index](const auto & field) {
      if constexpr (is_message<std::decay_t<decltype(field)>>::value) {
        const rosidl_message_type_support_t * nested = field.binding();
        if (Tables::rows[index].members_ != nested) {
          Tables::rows[index].members_ = nested;
        }
      }
      ++index;
    });
}

// The handle of message type T. The first call binds the nested rows and sets
// the identifier under a once-guard: concurrent first callers wait for it, so
// every caller, and every reader it hands the handle to, sees complete records
// that no other thread is writing. Later calls check the nested rows again and
// write none that holds its handle already.
template<class F, class T>
const rosidl_message_type_support_t * message_handle()
{
  using Tables = MessageTables<F, T>;
  Tables::bound.run([] {
      bind_nested_rows<F, T>();
      Tables::handle.typesupport_identifier = F::identifier();
      // Read here, the lookup is rosidl_runtime_c's own address, not an import stub.
      Tables::handle.func = &get_message_typesupport_handle_function;
    });
  bind_nested_rows<F, T>();
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

  INTROSPECTION_CONSTINIT static inline OnceGuard bound;
};

// The service handle. Its first call sets the identifier and binds the request
// and response records, through their own handle functions, which also set
// their identifiers and bind their nested rows; later calls change nothing.
template<class F, class V>
const rosidl_service_type_support_t * service_handle()
{
  using Tables = ServiceTables<F, V>;
  using Members = typename F::Members;
  Tables::bound.run([] {
      Tables::handle.typesupport_identifier = F::identifier();
      Tables::handle.func = &get_service_typesupport_handle_function;
      Tables::members.request_members_ =
        static_cast<const Members *>(message_handle<F, typename V::Request>()->data);
      Tables::members.response_members_ =
        static_cast<const Members *>(message_handle<F, typename V::Response>()->data);
    });
  return &Tables::handle;
}

}  // namespace introspection

// Field-list entries for walks that only look at nested types.
#define INTROSPECTION_IGNORE_VALUE(name, kind)
#define INTROSPECTION_IGNORE_STRING(name)

#endif  // INTROSPECTION_C__INTROSPECTION_HPP_
