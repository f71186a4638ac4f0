/* Wine's <stdlib.h> as the UCRT's is: atexit and _onexit are each module's
 * own (static runtime, run when a DLL unloads), not imported from the DLL;
 * _dupenv_s, _set_abort_behavior and the quick-exit functions; errno's names, which MSVC's STL expects along. */
#pragma once
#define atexit __wine_atexit
#define _onexit __wine_onexit
#include_next <stdlib.h>
#undef atexit
#undef _onexit
#include <errno.h>
#ifdef __cplusplus
extern "C" {
#endif
int __cdecl atexit(void(__cdecl*)(void));
_onexit_t __cdecl _onexit(_onexit_t);
_ACRTIMP errno_t __cdecl _dupenv_s(char**, size_t*, const char*);
_ACRTIMP unsigned int __cdecl _set_abort_behavior(unsigned int, unsigned int);
_ACRTIMP __declspec(noreturn) void __cdecl quick_exit(int);
_ACRTIMP int __cdecl at_quick_exit(void(__cdecl*)(void));
#ifdef __cplusplus
}
#endif
