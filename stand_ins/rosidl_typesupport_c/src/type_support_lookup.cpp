#include "type_support_lookup.hpp"

#include <mutex>
#include <string>

#include "rcutils/error_handling.h"
#include "shared_library.hpp"

namespace rosidl_typesupport_runtime
{

void report(const char * message)
{
  // A caller that did not reset an earlier failure still gets the latest one.
  rcutils_reset_error();
  RCUTILS_SET_ERROR_MSG(message);
}

namespace
{
// Guards every slot of every map this runtime serves. Recursive because a
// library's initialisers, run inside the load, may themselves look up a type.
std::recursive_mutex & slot_mutex()
{
  static std::recursive_mutex mutex;
  return mutex;
}

std::string library_base_name(const char * package_name, const char * identifier)
{
  return std::string(package_name) + "__" + identifier;
}
}  // namespace

void * slot_library(void ** slot, const char * package_name, const char * identifier)
{
  std::lock_guard<std::recursive_mutex> lock(slot_mutex());
  if (*slot) {
    return *slot;
  }
  const std::string base_name = library_base_name(package_name, identifier);
  std::string why;
  void * library = open_library(base_name, why);
  if (!library) {
    report(("could not load library '" + base_name + "' (" + library_file_name(base_name) +
      ") for type support '" + identifier + "': " + why).c_str());
    return nullptr;
  }
  *slot = library;
  return library;
}

void * find_handle_function(
  void * library, const char * symbol, const char * package_name, const char * identifier)
{
  void * address = find_symbol(library, symbol);
  if (!address) {
    report(("symbol '" + std::string(symbol) + "' not found in library '" +
      library_base_name(package_name, identifier) + "'").c_str());
  }
  return address;
}

void report_no_handle(const char * symbol)
{
  report(("'" + std::string(symbol) + "' returned no type support handle").c_str());
}

void report_unknown_identifier(const char * identifier, const char * package_name)
{
  report(("type support identifier '" + std::string(identifier) +
    "' is not in the map of package '" + (package_name ? package_name : "") + "'").c_str());
}

void report_foreign_handle(
  const char * handle_identifier, const char * identifier, const char * runtime_identifier)
{
  report(("cannot get type support '" + std::string(identifier) + "' from a handle of '" +
    (handle_identifier ? handle_identifier : "(null)") + "': only '" + runtime_identifier +
    "' handles carry a map").c_str());
}

}  // namespace rosidl_typesupport_runtime
