// The lookup behind every dispatch handle, shared by the C and C++ type
// support runtimes: one template over the handle type (message or service)
// and the runtime's map record.
#ifndef ROSIDL_TYPESUPPORT_RUNTIME__TYPE_SUPPORT_LOOKUP_HPP_
#define ROSIDL_TYPESUPPORT_RUNTIME__TYPE_SUPPORT_LOOKUP_HPP_

#include <cstddef>
#include <cstring>

namespace rosidl_typesupport_runtime
{

// Sets the rcutils error state (thread-local) to `message`.
void report(const char * message);

// The library <package_name>__<identifier>, opened on first use and kept in
// *slot for every later call. Null, with the error state set, if it cannot
// be opened. Concurrent first calls open it once.
void * slot_library(void ** slot, const char * package_name, const char * identifier);

// The address of the handle function `symbol` of `library`; null, with the
// error state set, if the library lacks it.
void * find_handle_function(
  void * library, const char * symbol, const char * package_name, const char * identifier);

// Reports a handle function `symbol` that gave no handle.
void report_no_handle(const char * symbol);

// Calls the handle function `symbol` of `library` through its own type, which
// returns a message or service handle: calling it through any other function
// type is undefined. Null, with the error state set, if the symbol is missing
// or the function gives no handle.
template<class Handle>
const Handle * call_handle_function(
  void * library, const char * symbol, const char * package_name, const char * identifier)
{
  using HandleFunction = const Handle * (*)();
  void * address = find_handle_function(library, symbol, package_name, identifier);
  if (!address) {
    return nullptr;
  }
  const Handle * handle = reinterpret_cast<HandleFunction>(address)();
  if (!handle) {
    report_no_handle(symbol);
  }
  return handle;
}

// Reports a request for `identifier`, which `package_name`'s map lacks.
void report_unknown_identifier(const char * identifier, const char * package_name);

// Reports a handle this runtime cannot dispatch: not one of its own.
void report_foreign_handle(const char * handle_identifier, const char * identifier,
  const char * runtime_identifier);

template<class Map, class Handle>
const Handle * get_typesupport_handle(
  const Handle * handle, const char * identifier, const char * runtime_identifier)
{
  if (!handle || !identifier) {
    report(!handle ? "type support handle is null" : "requested type support identifier is null");
    return nullptr;
  }
  const char * handle_identifier = handle->typesupport_identifier;
  if (handle_identifier && std::strcmp(handle_identifier, identifier) == 0) {
    return handle;
  }
  // Only a handle of this runtime carries a map: reading any other handle's
  // data as one would follow foreign pointers.
  if (!handle_identifier || std::strcmp(handle_identifier, runtime_identifier) != 0 ||
    !handle->data)
  {
    report_foreign_handle(handle_identifier, identifier, runtime_identifier);
    return nullptr;
  }
  const Map * map = static_cast<const Map *>(handle->data);
  if (!map->package_name || (map->size > 0 &&
    (!map->typesupport_identifier || !map->symbol_name || !map->data)))
  {
    report("dispatch map is incomplete");
    return nullptr;
  }
  for (std::size_t i = 0; i < map->size; ++i) {
    const char * listed = map->typesupport_identifier[i];
    if (!listed || std::strcmp(listed, identifier) != 0) {
      continue;
    }
    if (!map->symbol_name[i]) {
      report("dispatch map names no symbol for the requested type support");
      return nullptr;
    }
    void * library = slot_library(&map->data[i], map->package_name, identifier);
    if (!library) {
      return nullptr;
    }
    return call_handle_function<Handle>(
      library, map->symbol_name[i], map->package_name, identifier);
  }
  report_unknown_identifier(identifier, map->package_name);
  return nullptr;
}

}  // namespace rosidl_typesupport_runtime

#endif  // ROSIDL_TYPESUPPORT_RUNTIME__TYPE_SUPPORT_LOOKUP_HPP_
