/* Wine's <corecrt.h> and the UCRT's _Mbstatet, the 8-byte conversion state
 * that the UCRT's mbstate_t is (see wchar.h). */
#pragma once
#include_next <corecrt.h>
#ifndef _MBSTATET_DEFINED
#define _MBSTATET_DEFINED
typedef struct _Mbstatet {
  unsigned long _Wchar;
  unsigned short _Byte, _State;
} _Mbstatet;
#endif

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP __declspec(noreturn) void __cdecl _invalid_parameter_noinfo_noreturn(void);
#ifdef __cplusplus
}
#endif
/* A desktop application, as the UCRT's corecrt.h decides for one: the STL then
 * declares std::getenv and std::system. */
#ifndef _CRT_USE_WINAPI_FAMILY_DESKTOP_APP
#define _CRT_USE_WINAPI_FAMILY_DESKTOP_APP
#endif
#ifndef _CRT_SECURE_INVALID_PARAMETER
#define _CRT_SECURE_INVALID_PARAMETER(expr) _invalid_parameter_noinfo_noreturn()
#endif
