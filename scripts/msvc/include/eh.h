/* Wine's <eh.h> declares terminate() with C++ linkage; the UCRT exports it
 * with C linkage, as MSVC's header declares it. */
#pragma once
#define terminate __wine_cxx_terminate
#include_next <eh.h>
#undef terminate
#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP __declspec(noreturn) void __cdecl terminate(void);
_ACRTIMP terminate_handler __cdecl _get_terminate(void);
#ifdef __cplusplus
}
#endif
