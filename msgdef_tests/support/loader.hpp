// Opening shared libraries from tests, alike on ELF platforms and Windows.
#ifndef TESTS__SUPPORT__LOADER_HPP_
#define TESTS__SUPPORT__LOADER_HPP_

#include <string>

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#else
#  include <dlfcn.h>
#endif

namespace loader
{

// The file name of library `base`: lib<base>.so, or <base>.dll on Windows.
inline std::string file_name(const std::string & base)
{
#if defined(_WIN32)
  return base + ".dll";
#else
  return "lib" + base + ".so";
#endif
}

// Loads the library at `path` (or by file name through the loader's search). Null on failure.
inline void * open(const std::string & path)
{
#if defined(_WIN32)
  return static_cast<void *>(LoadLibraryA(path.c_str()));
#else
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
}

// The library with file name `file` if the process holds it already, else null.
inline void * loaded(const std::string & file)
{
#if defined(_WIN32)
  return static_cast<void *>(GetModuleHandleA(file.c_str()));
#else
  void * library = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (library) {
    dlclose(library);  // the process's own reference keeps it
  }
  return library;
#endif
}

inline void * symbol(void * library, const char * name)
{
#if defined(_WIN32)
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

inline void close(void * library)
{
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(library));
#else
  dlclose(library);
#endif
}

// The file of the library (or program) that holds `address`; empty if unknown.
inline std::string file_of(const void * address)
{
#if defined(_WIN32)
  HMODULE module = nullptr;
  char path[MAX_PATH];
  if (!GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<LPCSTR>(address), &module))
  {
    return "";
  }
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
#else
  Dl_info info{};
  return dladdr(address, &info) && info.dli_fname ? info.dli_fname : "";
#endif
}

// What the last failed call reported.
inline std::string error()
{
#if defined(_WIN32)
  return "Windows error " + std::to_string(GetLastError());
#else
  const char * text = dlerror();
  return text ? text : "";
#endif
}

}  // namespace loader

#endif  // TESTS__SUPPORT__LOADER_HPP_
