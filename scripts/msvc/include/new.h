/* MSVC's <new.h>: the allocation functions and the new handler of the CRT. */
#pragma once
#include <vcruntime_new.h>
#ifdef __cplusplus
extern "C" {
typedef int(__cdecl* _PNH)(size_t);
_ACRTIMP _PNH __cdecl _query_new_handler(void);
_ACRTIMP _PNH __cdecl _set_new_handler(_PNH _NewHandler);
_ACRTIMP int __cdecl _query_new_mode(void);
_ACRTIMP int __cdecl _set_new_mode(int _NewMode);
}
#endif
