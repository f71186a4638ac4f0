/* The map a C++ dispatch handle carries in its data field. */
#ifndef ROSIDL_TYPESUPPORT_CPP__TYPE_SUPPORT_MAP_H_
#define ROSIDL_TYPESUPPORT_CPP__TYPE_SUPPORT_MAP_H_

#include <stddef.h>

#ifdef __cplusplus
extern "C"
{
#endif

/* rosidl_typesupport_c/type_support_map.h declares the same record; the
 * guard lets one translation unit include both headers. */
#ifndef ROSIDL_TYPESUPPORT__TYPE_SUPPORT_MAP_T_DEFINED
#define ROSIDL_TYPESUPPORT__TYPE_SUPPORT_MAP_T_DEFINED
/* Entry i of typesupport_identifier, symbol_name and data describe one
 * implementation: it lives in the library <package_name>__<identifier> and
 * symbol_name[i] returns its handle. data[i] belongs to the runtime, which
 * keeps the loaded library there. */
typedef struct type_support_map_t
{
  const size_t size;
  const char * package_name;
  const char * const * typesupport_identifier;
  const char * const * symbol_name;
  void ** data;
} type_support_map_t;
#endif

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_CPP__TYPE_SUPPORT_MAP_H_ */
