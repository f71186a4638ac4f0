// What the startup code of an EXE or a DLL calls in the module part of the runtime.
#pragma once
#include <corecrt_startup.h>
#include <vcruntime.h>

extern "C" {
_ACRTIMP void __cdecl _initterm(_PVFV* first, _PVFV* last);
_ACRTIMP int __cdecl _initterm_e(_PIFV* first, _PIFV* last);
// Runs the C and C++ initializers of the module; nonzero when one failed.
int msvc_initialize_module(void);
// Runs what the module registered with atexit, latest first.
void __cdecl msvc_run_module_atexit(void);
}
