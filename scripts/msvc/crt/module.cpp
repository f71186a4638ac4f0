// The part of MSVC's C runtime that is linked into every module (EXE or DLL)
// rather than called in a DLL: the initializer tables, per-module atexit, the
// stack cookie, thread-local storage and its initializers and destructors,
// thread-safe function statics, and the type_info pieces the compiler refers to.
#include <windows.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>

#include "module.hpp"

// What every module imports: the runtime DLLs and the system.
#pragma comment(lib, "ucrt.lib")
#pragma comment(lib, "vcruntime.lib")
#pragma comment(lib, "kernel32.lib")

extern "C" {
// Floating point in use: the linker's marker, as MSVC's runtime defines it.
int _fltused = 0x9875;

// The initializer tables the compiler fills (.CRT$XCU for C++ statics), bounded
// by entries in sections that the linker sorts before and after them.
#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
__declspec(allocate(".CRT$XIA")) _PIFV __xi_a[] = {nullptr};
__declspec(allocate(".CRT$XIZ")) _PIFV __xi_z[] = {nullptr};
__declspec(allocate(".CRT$XCA")) _PVFV __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) _PVFV __xc_z[] = {nullptr};

// This module's own atexit list: a DLL's static destructors run when it is
// unloaded, an EXE's when the process exits (msvc_run_module_atexit).
static _onexit_table_t module_atexit_table;

int msvc_initialize_module(void) {
  if (_initialize_onexit_table(&module_atexit_table) != 0) {
    return -1;
  }
  if (_initterm_e(__xi_a, __xi_z) != 0) {
    return -1;
  }
  _initterm(__xc_a, __xc_z);
  return 0;
}

void __cdecl msvc_run_module_atexit(void) { _execute_onexit_table(&module_atexit_table); }

_onexit_t __cdecl _onexit(_onexit_t function) {
  return _register_onexit_function(&module_atexit_table, function) == 0 ? function : nullptr;
}

int __cdecl atexit(void(__cdecl* function)(void)) {
  return _onexit(reinterpret_cast<_onexit_t>(reinterpret_cast<void*>(function))) ? 0 : -1;
}

// The /GS stack cookie: a fixed value until startup mixes in values that
// differ per process; the top 16 bits stay zero as in MSVC's runtime.
static const uintptr_t default_security_cookie = 0x00002B992DDFA232ull;
uintptr_t __security_cookie = default_security_cookie;
uintptr_t __security_cookie_complement = ~default_security_cookie;

void __cdecl __security_init_cookie(void) {
  if (__security_cookie != default_security_cookie) {
    return;
  }
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  uintptr_t cookie = static_cast<uintptr_t>(counter.QuadPart);
  cookie ^= static_cast<uintptr_t>(GetCurrentProcessId()) << 32;
  cookie ^= GetCurrentThreadId();
  cookie ^= GetTickCount64() << 24;
  cookie ^= reinterpret_cast<uintptr_t>(&cookie);
  cookie &= 0x0000FFFFFFFFFFFFull;
  if (cookie == default_security_cookie || cookie == 0) {
    cookie = default_security_cookie + 1;
  }
  __security_cookie = cookie;
  __security_cookie_complement = ~cookie;
}

__declspec(noreturn) void __cdecl __report_gsfailure(uintptr_t) { __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE); }

void __cdecl __security_check_cookie(uintptr_t cookie) {
  if (cookie != __security_cookie) {
    __report_gsfailure(cookie);
  }
}

// Thread-local storage: the directory the loader reads (_tls_used), the
// template bounds, the slot index, and the callbacks it calls per thread.
ULONG _tls_index = 0;
#pragma data_seg(".tls")
char _tls_start = 0;
#pragma data_seg(".tls$ZZZ")
char _tls_end = 0;
#pragma data_seg()

#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;

#pragma section(".rdata$T", long, read)
__declspec(allocate(".rdata$T")) extern const IMAGE_TLS_DIRECTORY64 _tls_used = {
    reinterpret_cast<ULONGLONG>(&_tls_start), reinterpret_cast<ULONGLONG>(&_tls_end),
    reinterpret_cast<ULONGLONG>(&_tls_index), reinterpret_cast<ULONGLONG>(&__xl_a + 1), 0, {}};

// Dynamic initializers of thread_local variables (.CRT$XDU), run once per
// thread: when the thread starts, or on its first use of such a variable
// (__dyn_tls_on_demand_init, for threads that predate a DLL's loading).
#pragma section(".CRT$XDA", long, read)
#pragma section(".CRT$XDZ", long, read)
__declspec(allocate(".CRT$XDA")) _PVFV __xd_a = nullptr;
__declspec(allocate(".CRT$XDZ")) _PVFV __xd_z = nullptr;
__declspec(thread) bool __tls_guard = false;

void NTAPI __dyn_tls_init(PVOID, DWORD reason, PVOID) {
  if ((reason != DLL_THREAD_ATTACH && reason != DLL_PROCESS_ATTACH) || __tls_guard) {
    return;
  }
  __tls_guard = true;
  for (_PVFV* init = &__xd_a + 1; init != &__xd_z; ++init) {
    if (*init) {
      (*init)();
    }
  }
}

void __cdecl __dyn_tls_on_demand_init(void) { __dyn_tls_init(nullptr, DLL_THREAD_ATTACH, nullptr); }

// Destructors of thread_local variables, registered per thread by
// __tlregdtor as the variables are initialized and run in reverse order when
// the thread (or, for the thread that unloads, the module) ends.
struct tls_destructor {
  _PVFV function;
  tls_destructor* next;
};
static __declspec(thread) tls_destructor* tls_destructors = nullptr;

int __cdecl __tlregdtor(_PVFV function) {
  auto* entry = static_cast<tls_destructor*>(malloc(sizeof(tls_destructor)));
  if (!entry) {
    return -1;
  }
  entry->function = function;
  entry->next = tls_destructors;
  tls_destructors = entry;
  return 0;
}

static void NTAPI dyn_tls_dtor(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_THREAD_DETACH && reason != DLL_PROCESS_DETACH) {
    return;
  }
  while (tls_destructor* entry = tls_destructors) {
    tls_destructors = entry->next;
    entry->function();
    free(entry);
  }
}

#pragma section(".CRT$XLC", long, read)
#pragma section(".CRT$XLD", long, read)
__declspec(allocate(".CRT$XLC")) PIMAGE_TLS_CALLBACK __xl_c = __dyn_tls_init;
__declspec(allocate(".CRT$XLD")) PIMAGE_TLS_CALLBACK __xl_d = dyn_tls_dtor;

// Thread-safe initialization of function statics, in MSVC's scheme: a guard
// is 0 before, -1 during and an epoch number after initialization; a thread
// whose own epoch is at least the guard's knows the static is ready without
// taking the lock.
int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;
static SRWLOCK init_thread_lock = SRWLOCK_INIT;
static CONDITION_VARIABLE init_thread_done = CONDITION_VARIABLE_INIT;
static const int being_initialized = -1;

void __cdecl _Init_thread_header(int* guard) {
  AcquireSRWLockExclusive(&init_thread_lock);
  while (*guard == being_initialized) {
    SleepConditionVariableSRW(&init_thread_done, &init_thread_lock, INFINITE, 0);
  }
  if (*guard == 0) {
    *guard = being_initialized;
  } else {
    _Init_thread_epoch = _Init_global_epoch;
  }
  ReleaseSRWLockExclusive(&init_thread_lock);
}

void __cdecl _Init_thread_footer(int* guard) {
  AcquireSRWLockExclusive(&init_thread_lock);
  ++_Init_global_epoch;
  *guard = _Init_global_epoch;
  _Init_thread_epoch = _Init_global_epoch;
  ReleaseSRWLockExclusive(&init_thread_lock);
  WakeAllConditionVariable(&init_thread_done);
}

void __cdecl _Init_thread_abort(int* guard) {
  AcquireSRWLockExclusive(&init_thread_lock);
  *guard = 0;
  ReleaseSRWLockExclusive(&init_thread_lock);
  WakeAllConditionVariable(&init_thread_done);
}

// The processor level the STL's vectorized paths may use: the plain one.
int __isa_available = 0;

// The root of this module's list of undecorated type names (type_info::name).
struct __type_info_node {
  __declspec(align(16)) void* header[2];
};
__type_info_node __type_info_root_node = {};

// type_info's virtual function table, to which the compiler points every type
// descriptor. type_info objects are static and never destroyed through it.
static void* __cdecl type_info_deleting_destructor(void* self, unsigned) { return self; }
extern const void* const type_info_vftable[1] __asm__("??_7type_info@@6B@");
const void* const type_info_vftable[1] = {reinterpret_cast<const void*>(&type_info_deleting_destructor)};
}
