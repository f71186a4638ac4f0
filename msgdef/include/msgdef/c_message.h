/* Expands the one field list of a message type into its C structure, its
 * sequence structure and the declarations of its C message functions.
 *
 * A type's definition is a macro <C name>__FIELDS(VALUE, MESSAGE, STRING) that
 * lists its fields in wire order:
 *   VALUE(name, kind)              a primitive: bool uint8 int16 uint16 int32
 *                                  uint32 int64 float32 float64
 *   MESSAGE(name, pkg, folder, T)  a nested message, embedded by value
 *   STRING(name)                   an unbounded string
 * Every library kind expands the same list with its own three macros. */
#ifndef MSGDEF__C_MESSAGE_H_
#define MSGDEF__C_MESSAGE_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_runtime_c/string.h"
#include "rosidl_typesupport_interface/macros.h"

#if defined(_WIN32)
#  define MSGDEF_EXPORT __declspec(dllexport)
#  define MSGDEF_IMPORT __declspec(dllimport)
#else
#  define MSGDEF_EXPORT __attribute__((visibility("default")))
#  define MSGDEF_IMPORT
#endif
/* Imported functions whose addresses the libraries' field tables hold (the
 * nested types' C message and serializer functions of other packages). In
 * the MSVC ABI the address of a dllimport function is no constant: those are
 * imported through the import library's stubs instead, as MinGW does, so
 * that the tables are laid out by the compiler and every call goes through
 * the importing library's import table. */
#if defined(_WIN32) && defined(_MSC_VER)
#  define MSGDEF_IMPORT_TABLED
#else
#  define MSGDEF_IMPORT_TABLED MSGDEF_IMPORT
#endif

#define MSGDEF_C_TYPE_bool bool
#define MSGDEF_C_TYPE_uint8 uint8_t
#define MSGDEF_C_TYPE_int16 int16_t
#define MSGDEF_C_TYPE_uint16 uint16_t
#define MSGDEF_C_TYPE_int32 int32_t
#define MSGDEF_C_TYPE_uint32 uint32_t
#define MSGDEF_C_TYPE_int64 int64_t
#define MSGDEF_C_TYPE_float32 float
#define MSGDEF_C_TYPE_float64 double

#define MSGDEF_C_VALUE_MEMBER(name, kind) MSGDEF_C_TYPE_##kind name;
#define MSGDEF_C_MESSAGE_MEMBER(name, pkg, folder, T) pkg##__##folder##__##T name;
#define MSGDEF_C_STRING_MEMBER(name) rosidl_runtime_c__String name;

/* The type support handle functions live in the package's C dispatch library. */
#ifdef MSGDEF_TYPESUPPORT_C_BUILDING
#  define MSGDEF_TYPESUPPORT_C_API MSGDEF_EXPORT
#else
#  define MSGDEF_TYPESUPPORT_C_API MSGDEF_IMPORT
#endif

#ifdef __cplusplus
#  define MSGDEF_C_LINKAGE_BEGIN extern "C" {
#  define MSGDEF_C_LINKAGE_END }
#else
#  define MSGDEF_C_LINKAGE_BEGIN
#  define MSGDEF_C_LINKAGE_END
#endif

/* A type's definition header <pkg>/<folder>/<snake>.h defines the field list
 * of each of its types and then includes the three parts of the ROS 2 header
 * set, which the package's build writes beside it in detail/:
 *   <snake>__struct.h        MSGDEF_C_STRUCT: the structure and its sequence
 *   <snake>__functions.h     MSGDEF_C_FUNCTIONS: the twelve C message functions
 *   <snake>__type_support.h  MSGDEF_C_TYPE_SUPPORT / MSGDEF_C_SERVICE_TYPE_SUPPORT:
 *                            the dispatch handle functions, so that C code can write
 *                            ROSIDL_GET_MSG_TYPE_SUPPORT(pkg, folder, T)
 * Each part includes the definition header first, so any one of them may be
 * included on its own. The export macro ROSIDL_GENERATOR_C_PUBLIC_<pkg> comes
 * from the package's <pkg>/msg/rosidl_generator_c__visibility_control.h. */
#define MSGDEF_C_STRUCT(pkg, folder, T) MSGDEF_C_STRUCT_(pkg##__##folder##__##T)
#define MSGDEF_C_STRUCT_(S) \
  typedef struct S { \
    S##__FIELDS(MSGDEF_C_VALUE_MEMBER, MSGDEF_C_MESSAGE_MEMBER, MSGDEF_C_STRING_MEMBER) \
  } S; \
  typedef struct S##__Sequence { \
    S * data; \
    size_t size; \
    size_t capacity; \
  } S##__Sequence;

#define MSGDEF_C_FUNCTIONS(pkg, folder, T) \
  MSGDEF_C_FUNCTIONS_(ROSIDL_GENERATOR_C_PUBLIC_##pkg, pkg##__##folder##__##T)
#define MSGDEF_C_FUNCTIONS_(API, S) \
  MSGDEF_C_LINKAGE_BEGIN \
  API bool S##__init(S * msg); \
  API void S##__fini(S * msg); \
  API S * S##__create(void); \
  API void S##__destroy(S * msg); \
  API bool S##__are_equal(const S * lhs, const S * rhs); \
  API bool S##__copy(const S * input, S * output); \
  API bool S##__Sequence__init(S##__Sequence * array, size_t size); \
  API void S##__Sequence__fini(S##__Sequence * array); \
  API S##__Sequence * S##__Sequence__create(size_t size); \
  API void S##__Sequence__destroy(S##__Sequence * array); \
  API bool S##__Sequence__are_equal(const S##__Sequence * lhs, const S##__Sequence * rhs); \
  API bool S##__Sequence__copy(const S##__Sequence * input, S##__Sequence * output); \
  MSGDEF_C_LINKAGE_END

#define MSGDEF_C_TYPE_SUPPORT(pkg, folder, T) \
  MSGDEF_C_LINKAGE_BEGIN \
  MSGDEF_TYPESUPPORT_C_API const rosidl_message_type_support_t * \
  ROSIDL_TYPESUPPORT_INTERFACE__MESSAGE_SYMBOL_NAME(rosidl_typesupport_c, pkg, folder, T)(void); \
  MSGDEF_C_LINKAGE_END

#define MSGDEF_C_SERVICE_TYPE_SUPPORT(pkg, folder, S) \
  MSGDEF_C_LINKAGE_BEGIN \
  MSGDEF_TYPESUPPORT_C_API const rosidl_service_type_support_t * \
  ROSIDL_TYPESUPPORT_INTERFACE__SERVICE_SYMBOL_NAME(rosidl_typesupport_c, pkg, folder, S)(void); \
  MSGDEF_C_LINKAGE_END

#endif  /* MSGDEF__C_MESSAGE_H_ */
