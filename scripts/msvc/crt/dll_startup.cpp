// The entry point of a DLL: the module's initializers when it is loaded,
// its atexit list (static destructors) when it is unloaded, and DllMain in between.
#include <windows.h>

#include "module.hpp"

extern "C" {
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    __security_init_cookie();
    if (msvc_initialize_module() != 0) {
      return FALSE;
    }
    if (!DllMain(instance, reason, reserved)) {
      msvc_run_module_atexit();
      return FALSE;
    }
    return TRUE;
  }
  BOOL result = DllMain(instance, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) {
    msvc_run_module_atexit();
  }
  return result;
}
}
