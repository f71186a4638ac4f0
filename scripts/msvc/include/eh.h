/* Wine's <eh.h> declares the handler functions with C++ linkage; the UCRT
 * exports them with C linkage, as MSVC's header declares them. Wine's
 * declarations are renamed out of the way. */
#pragma once
#define terminate __wine_cxx_terminate
#define unexpected __wine_cxx_unexpected
#define set_terminate __wine_cxx_set_terminate
#define set_unexpected __wine_cxx_set_unexpected
#include_next <eh.h>
#undef terminate
#undef unexpected
#undef set_terminate
#undef set_unexpected
extern "C" {
_ACRTIMP __declspec(noreturn) void __cdecl terminate(void);
_ACRTIMP __declspec(noreturn) void __cdecl unexpected(void);
_ACRTIMP terminate_handler __cdecl set_terminate(terminate_handler);
_ACRTIMP unexpected_handler __cdecl set_unexpected(unexpected_handler);
_ACRTIMP terminate_handler __cdecl _get_terminate(void);
_ACRTIMP unexpected_handler __cdecl _get_unexpected(void);
}
