// Field tables for C++ code: the field list of a type, expanded into a tuple of
// descriptors over a structure S, so that one template walks every type.
#ifndef MSGDEF__FIELDS_HPP_
#define MSGDEF__FIELDS_HPP_

#include <cstddef>
#include <tuple>
#include <utility>

namespace msgdef
{

// A function of another library as a static record stores it, read when this
// library is loaded. Written as a constant initialiser, the address of a
// function imported from a DLL is this library's own import stub (MinGW; MSVC
// in C), not the function: a record filled at load holds the address the
// function's library gives, the same in every library.
template<class F>
F * imported_function(F * function) noexcept
{
  return function;
}

// A primitive field: bool, an integer or a float.
template<class S, class T>
struct Value
{
  using type = T;
  const char * name;
  T S::* member;
  std::size_t offset;
};

// An unbounded string field.
template<class S, class T>
struct String
{
  using type = T;
  const char * name;
  T S::* member;
  std::size_t offset;
};

// A nested message, with what the library kind needs to reach the nested type
// (its exported functions, bound by name at build time).
template<class S, class T, class Binding>
struct Message
{
  using type = T;
  const char * name;
  T S::* member;
  std::size_t offset;
  Binding binding;
};

template<class S, class T>
constexpr Value<S, T> value(const char * name, T S::* member, std::size_t offset)
{
  return {name, member, offset};
}

template<class S, class T>
constexpr String<S, T> string(const char * name, T S::* member, std::size_t offset)
{
  return {name, member, offset};
}

template<class S, class T, class Binding>
constexpr Message<S, T, Binding> message(
  const char * name, T S::* member, std::size_t offset, Binding binding)
{
  return {name, member, offset, binding};
}

// Calls f on every descriptor, in field order.
template<class Tuple, class F>
constexpr void for_each(const Tuple & fields, F && f)
{
  std::apply([&](const auto &... field) {(f(field), ...);}, fields);
}

// Calls f on the descriptors in field order until one returns false.
template<class Tuple, class F>
constexpr bool all_of(const Tuple & fields, F && f)
{
  return std::apply([&](const auto &... field) {return (f(field) && ...);}, fields);
}

template<class Tuple>
constexpr std::size_t count(const Tuple &)
{
  return std::tuple_size_v<Tuple>;
}

}  // namespace msgdef

// The descriptor tuple of C name CNAME over structure STRUCT. A nested field's
// binding is MSGDEF_BIND_MESSAGE(pkg, folder, T) as defined where the tuple is
// expanded: each library kind defines its own binding macro and points
// MSGDEF_BIND_MESSAGE at it right before it expands its field tables.
#define MSGDEF_FIELD_TUPLE(STRUCT, CNAME) \
  [] { \
    using S = STRUCT; \
    return std::tuple_cat( \
      CNAME##__FIELDS(MSGDEF_FIELD_VALUE_, MSGDEF_FIELD_MESSAGE_, MSGDEF_FIELD_STRING_) \
      std::tuple<>()); \
  } ()

#define MSGDEF_FIELD_VALUE_(name, kind) \
  std::make_tuple(::msgdef::value(#name, &S::name, offsetof(S, name))),
#define MSGDEF_FIELD_STRING_(name) \
  std::make_tuple(::msgdef::string(#name, &S::name, offsetof(S, name))),
#define MSGDEF_FIELD_MESSAGE_(name, pkg, folder, T) \
  std::make_tuple(::msgdef::message(#name, &S::name, offsetof(S, name), \
    MSGDEF_BIND_MESSAGE(pkg, folder, T))),

#define MSGDEF_CAT(a, b) MSGDEF_CAT_(a, b)
#define MSGDEF_CAT_(a, b) a##b
#define MSGDEF_STR(a) MSGDEF_STR_(a)
#define MSGDEF_STR_(a) #a

#endif  // MSGDEF__FIELDS_HPP_
