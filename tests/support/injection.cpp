#include "injection.hpp"

#if defined(_WIN32)
// This program defines the functions it replaces: declared for export, not import.
#  define RCUTILS_BUILDING_DLL
#  define ROSIDL_GENERATOR_C_BUILDING_DLL_std_msgs
#endif

#if defined(_WIN32)
#  define WIN32_LEAN_AND_MEAN
#  include <windows.h>
#  include <tlhelp32.h>
#else
#  include <dlfcn.h>
#endif

#include <cstdlib>
#include <cstring>

#include "rcutils/allocator.h"
#include "std_msgs/msg/header.h"

namespace injection
{

Calls calls;
Plan plan;
std::vector<void *> deallocated;
long live = 0;

void reset()
{
  calls = Calls{};
  plan = Plan{};
  deallocated.clear();
  live = 0;
}

namespace
{

// Counts one call among all allocating ones; true when it is to fail.
bool fails_overall()
{
  return ++calls.any == plan.fail_any_at;
}

void * tracked(void * block)
{
  live += block != nullptr;
  return block;
}

void * allocate(size_t size, void *)
{
  const bool fail = fails_overall();
  if (++calls.allocate == plan.fail_allocate_at || fail) {
    return nullptr;
  }
  return tracked(std::malloc(size));
}

void deallocate(void * pointer, void *)
{
  if (pointer) {
    ++calls.deallocate;
    deallocated.push_back(pointer);
    --live;
  }
  std::free(pointer);
}

void * reallocate(void * pointer, size_t size, void *)
{
  if (fails_overall()) {
    return nullptr;
  }
  void * block = std::realloc(pointer, size);
  return pointer ? block : tracked(block);
}

void * zero_allocate(size_t count, size_t size, void *)
{
  const bool fail = fails_overall();
  if (++calls.zero_allocate == plan.fail_zero_allocate_at || fail) {
    return nullptr;
  }
  return tracked(std::calloc(count, size));
}

#if defined(_WIN32)
// Windows has no symbol interposition: a library calls what it imports through
// its import address table. The program rewrites the entries of the functions
// it replaces in every library loaded with it, and finds the real functions in
// the libraries that export them.

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
      visit(entry.hModule);
    }
  }
  CloseHandle(snapshot);
}

template<class F>
F next(const char * name)
{
  F found = nullptr;
  for_each_library([&](HMODULE library) {
      if (!found) {
        found = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(library, name)));
      }
    });
  return found;
}

// Points `library`'s imports of `name` at `replacement`.
void redirect_import(HMODULE library, const char * name, void * replacement)
{
  auto * base = reinterpret_cast<unsigned char *>(library);
  const auto * dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  const auto * nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY & imports =
    nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) {
    return;
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
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
    }
  }
}
#else
template<class F>
F next(const char * name)
{
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
#endif

}  // namespace
}  // namespace injection

extern "C" {

rcutils_allocator_t rcutils_get_default_allocator(void)
{
  rcutils_allocator_t a;
  a.allocate = injection::allocate;
  a.deallocate = injection::deallocate;
  a.reallocate = injection::reallocate;
  a.zero_allocate = injection::zero_allocate;
  a.state = nullptr;
  return a;
}

bool std_msgs__msg__Header__init(std_msgs__msg__Header * msg)
{
  static auto real = injection::next<bool (*)(std_msgs__msg__Header *)>(
    "std_msgs__msg__Header__init");
  ++injection::calls.header_init;
  return real(msg);
}

void std_msgs__msg__Header__fini(std_msgs__msg__Header * msg)
{
  static auto real = injection::next<void (*)(std_msgs__msg__Header *)>(
    "std_msgs__msg__Header__fini");
  ++injection::calls.header_fini;
  real(msg);
}

bool std_msgs__msg__Header__copy(const std_msgs__msg__Header * in, std_msgs__msg__Header * out)
{
  static auto real = injection::next<bool (*)(const std_msgs__msg__Header *,
      std_msgs__msg__Header *)>("std_msgs__msg__Header__copy");
  ++injection::calls.header_copy;
  if (injection::plan.fail_header_copy) {
    return false;
  }
  return real(in, out);
}

bool std_msgs__msg__Header__are_equal(
  const std_msgs__msg__Header * l, const std_msgs__msg__Header * r)
{
  static auto real = injection::next<bool (*)(const std_msgs__msg__Header *,
      const std_msgs__msg__Header *)>("std_msgs__msg__Header__are_equal");
  ++injection::calls.header_are_equal;
  return real(l, r);
}

}  // extern "C"

#if defined(_WIN32)
namespace injection
{
namespace
{
// Before main: the libraries this program links are loaded by then.
const bool redirected = [] {
    const std::pair<const char *, void *> replacements[] = {
      {"rcutils_get_default_allocator", reinterpret_cast<void *>(&rcutils_get_default_allocator)},
      {"std_msgs__msg__Header__init", reinterpret_cast<void *>(&std_msgs__msg__Header__init)},
      {"std_msgs__msg__Header__fini", reinterpret_cast<void *>(&std_msgs__msg__Header__fini)},
      {"std_msgs__msg__Header__copy", reinterpret_cast<void *>(&std_msgs__msg__Header__copy)},
      {"std_msgs__msg__Header__are_equal", reinterpret_cast<void *>(&std_msgs__msg__Header__are_equal)},
    };
    for_each_library([&](HMODULE library) {
        for (const auto & replacement : replacements) {
          redirect_import(library, replacement.first, replacement.second);
        }
      });
    return true;
  }();
}  // namespace
}  // namespace injection
#endif
