#include "interpose.hpp"

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#  include <tlhelp32.h>
#else
#  include <dlfcn.h>
#endif

#include <cstdlib>
#include <cstring>

namespace interpose
{

#if defined(_WIN32)
namespace
{

// Every module of the process but the program itself.
template<class Visit>
void for_each_library(Visit visit)
{
  const HMODULE program = GetModuleHandleA(nullptr);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot == INVALID_HANDLE_VALUE) {
    return;
  }
  MODULEENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    if (entry.hModule != program) {
      visit(entry.hModule, entry.szModule);
    }
  }
  CloseHandle(snapshot);
}

// Points `library`'s imports of `name` at `replacement`; what the last one held.
void * redirect_imports(HMODULE library, const char * name, void * replacement)
{
  void * previous = nullptr;
  auto * base = reinterpret_cast<unsigned char *>(library);
  const auto * dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  const auto * nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY & imports =
    nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) {
    return nullptr;
  }
  for (auto * from = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
    from->Name; ++from)
  {
    if (!from->OriginalFirstThunk) {
      continue;
    }
    const auto * names = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + from->OriginalFirstThunk);
    auto * slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + from->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
        continue;
      }
      const auto * by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(
        base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char *>(by_name->Name), name) != 0) {
        continue;
      }
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
      previous = reinterpret_cast<void *>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
    }
  }
  return previous;
}

}  // namespace

void * next_address(const char * name)
{
  void * found = nullptr;
  for_each_library([&](HMODULE library, const char *) {
      if (!found) {
        found = reinterpret_cast<void *>(GetProcAddress(library, name));
      }
    });
  if (!found) {
    std::abort();
  }
  return found;
}

void * redirect(const char * name, void * replacement, const char * only_in)
{
  void * previous = nullptr;
  for_each_library([&](HMODULE library, const char * module) {
      if (!only_in || _stricmp(module, only_in) == 0) {
        if (void * held = redirect_imports(library, name, replacement)) {
          previous = held;
        }
      }
    });
  return previous;
}
#else
void * next_address(const char * name)
{
  void * found = dlsym(RTLD_NEXT, name);
  if (!found) {
    std::abort();
  }
  return found;
}

void * redirect(const char *, void *, const char *)
{
  return nullptr;
}
#endif

}  // namespace interpose
