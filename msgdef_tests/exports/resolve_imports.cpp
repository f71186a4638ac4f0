// resolve_imports <dll>!<name>...: finds each DLL as the loader would for a
// module that imports from it (by name, through the search path) and each
// name in its exports, as the loader binds an import. The DLL's own imports
// are not bound (each DLL is checked by its own test; python3.dll, which the
// Python libraries import, is not here). Prints what it cannot find; exit
// status 1 if anything is missing.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char ** argv)
{
  int missing = 0;
  for (int i = 1; i < argc; ++i) {
    const char * separator = std::strchr(argv[i], '!');
    if (!separator) {
      std::fprintf(stderr, "not <dll>!<name>: %s\n", argv[i]);
      return 2;
    }
    const std::string dll(argv[i], static_cast<size_t>(separator - argv[i]));
    HMODULE module = LoadLibraryExA(dll.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!module) {
      std::printf("%s: not loaded (error %lu)\n", dll.c_str(), GetLastError());
      ++missing;
    } else if (!GetProcAddress(module, separator + 1)) {
      std::printf("%s: no %s\n", dll.c_str(), separator + 1);
      ++missing;
    }
  }
  return missing ? 1 : 0;
}
