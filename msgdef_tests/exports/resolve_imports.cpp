// resolve_imports <dll>!<name>...: loads each DLL as the loader would for a
// module that imports from it (by name, through the search path) and finds
// each name in it, as the loader binds an import. Prints what it cannot find;
// exit status 1 if anything is missing.
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
    HMODULE module = LoadLibraryA(dll.c_str());
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
