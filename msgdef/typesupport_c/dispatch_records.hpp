// The five records behind one type's dispatch handle, for the C and the C++
// dispatch libraries alike: identifier list, symbol list, slot array, map and
// handle. FLAVOUR (c or cpp) selects the implementations the map names:
// rosidl_typesupport_fastrtps_<FLAVOUR>, then
// rosidl_typesupport_introspection_<FLAVOUR>. Every text is composed here from
// the package, folder and type tokens of the package's type list.
//
// Expects type_support_map_t from the runtime's type_support_map.h.
#ifndef TYPESUPPORT_C__DISPATCH_RECORDS_HPP_
#define TYPESUPPORT_C__DISPATCH_RECORDS_HPP_

#include "msgdef/fields.hpp"
#include "rosidl_typesupport_interface/macros.h"

// X(kind, ...) for every implementation a dispatch map names, in map order.
// The extra expansion splits __VA_ARGS__ into X's parameters under MSVC's
// traditional preprocessor too, which otherwise passes it as one argument.
#define DISPATCH_EXPAND_(x) x
#define DISPATCH_IMPLEMENTATIONS(X, ...) \
  DISPATCH_EXPAND_(X(rosidl_typesupport_fastrtps, __VA_ARGS__)) \
  DISPATCH_EXPAND_(X(rosidl_typesupport_introspection, __VA_ARGS__))

#define DISPATCH_IDENTIFIER_(kind, FLAVOUR) MSGDEF_STR(kind##_##FLAVOUR),
#define DISPATCH_SYMBOL_(kind, FLAVOUR, function, pkg, folder, T) \
  MSGDEF_STR(ROSIDL_TYPESUPPORT_INTERFACE__SYMBOL_NAME(kind##_##FLAVOUR, function, pkg, folder, T)),
#define DISPATCH_EMPTY_SLOT_(kind, unused) nullptr,

// The records of pkg/folder/T in namespace pkg__folder__T__dispatch. `what`
// is message or service; the handle is filled when the library is loaded,
// since `runtime_identifier` and `lookup` belong to the runtime library.
#define DISPATCH_RECORDS(FLAVOUR, what, Handle, runtime_identifier, lookup, pkg, folder, T) \
  namespace pkg##__##folder##__##T##__dispatch \
  { \
  const char * const identifiers[] = {DISPATCH_IMPLEMENTATIONS(DISPATCH_IDENTIFIER_, FLAVOUR)}; \
  const char * const symbols[] = {DISPATCH_IMPLEMENTATIONS( \
    DISPATCH_SYMBOL_, FLAVOUR, get_##what##_type_support_handle, pkg, folder, T)}; \
  void * slots[] = {DISPATCH_IMPLEMENTATIONS(DISPATCH_EMPTY_SLOT_, ~)}; \
  static_assert(sizeof(symbols) == sizeof(identifiers) && sizeof(slots) == sizeof(identifiers), \
    "one symbol and one slot per implementation"); \
  const type_support_map_t map = { \
    sizeof(identifiers) / sizeof(identifiers[0]), #pkg, identifiers, symbols, slots}; \
  const Handle handle = {runtime_identifier, &map, msgdef::imported_function(&lookup)}; \
  }

#endif  // TYPESUPPORT_C__DISPATCH_RECORDS_HPP_
