#include "shared_library.hpp"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace rosidl_typesupport_runtime
{

std::string library_file_name(const std::string & base_name)
{
#if defined(_WIN32)
  return base_name + ".dll";
#elif defined(__APPLE__)
  return "lib" + base_name + ".dylib";
#else
  return "lib" + base_name + ".so";
#endif
}

namespace
{
// Any address inside this library identifies it to the loader.
void anchor() {}

#if defined(_WIN32)
std::string last_error_text()
{
  char text[512] = "";
  FormatMessageA(
    FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
    text, sizeof(text), nullptr);
  return text;
}
#else
std::string last_error_text()
{
  const char * text = dlerror();
  return text ? text : "unknown loader error";
}
#endif
}  // namespace

std::string own_directory()
{
  std::string path;
#if defined(_WIN32)
  HMODULE self = nullptr;
  if (GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&anchor), &self))
  {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      path.assign(buffer, length);
    }
  }
  const std::string::size_type slash = path.find_last_of("\\/");
#else
  Dl_info info{};
  if (dladdr(reinterpret_cast<void *>(&anchor), &info) && info.dli_fname) {
    path = info.dli_fname;
  }
  const std::string::size_type slash = path.rfind('/');
#endif
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void * open_library(const std::string & base_name, std::string & error)
{
  const std::string file = library_file_name(base_name);
  const std::string directory = own_directory();
  error.clear();
#if defined(_WIN32)
  if (!directory.empty()) {
    const std::string path = directory + "\\" + file;
    if (HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
      return library;
    }
    error = path + ": " + last_error_text() + "; ";
  }
  if (HMODULE library = LoadLibraryA(file.c_str())) {
    error.clear();
    return library;
  }
#else
  if (!directory.empty()) {
    const std::string path = directory + "/" + file;
    if (void * library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      return library;
    }
    error = last_error_text() + "; ";
  }
  if (void * library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    error.clear();
    return library;
  }
#endif
  error += last_error_text();
  return nullptr;
}

void * find_symbol(void * library, const char * name)
{
#if defined(_WIN32)
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  dlerror();
  return dlsym(library, name);
#endif
}

}  // namespace rosidl_typesupport_runtime
