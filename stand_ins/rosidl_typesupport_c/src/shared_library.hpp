// The few loader calls the type support runtimes need, for POSIX and Windows.
// Compiled into each runtime library; hidden there.
#ifndef ROSIDL_TYPESUPPORT_RUNTIME__SHARED_LIBRARY_HPP_
#define ROSIDL_TYPESUPPORT_RUNTIME__SHARED_LIBRARY_HPP_

#include <string>

namespace rosidl_typesupport_runtime
{

// "lib<base>.so", "<base>.dll" or "lib<base>.dylib".
std::string library_file_name(const std::string & base_name);

// The folder of the library this code is compiled into; empty if unknown.
std::string own_directory();

// Opens library `base_name` from own_directory(), else through the loader's
// own search. Never closed: the handle stays valid while the process runs.
// Null on failure, with the loader's reasons in `error`.
void * open_library(const std::string & base_name, std::string & error);

// The address of exported symbol `name`, or null.
void * find_symbol(void * library, const char * name);

}  // namespace rosidl_typesupport_runtime

#endif  // ROSIDL_TYPESUPPORT_RUNTIME__SHARED_LIBRARY_HPP_
