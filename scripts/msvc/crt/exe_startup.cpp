// The entry point of a console EXE: the runtime's start, the module's
// initializers, main, then exit with its result.
#include <windows.h>
#include <stdlib.h>

#include "module.hpp"

extern "C" {
int main(int argc, char** argv, char** envp);
_ACRTIMP int* __cdecl __p___argc(void);
_ACRTIMP char*** __cdecl __p___argv(void);

int mainCRTStartup(void) {
  __security_init_cookie();
  _set_app_type(_crt_console_app);
  if (_configure_narrow_argv(_crt_argv_unexpanded_arguments) != 0 || _initialize_narrow_environment() != 0) {
    _exit(255);
  }
  // exit() runs the module's atexit list (static destructors) through the runtime's own.
  if (msvc_initialize_module() != 0 || _crt_atexit(msvc_run_module_atexit) != 0) {
    _exit(255);
  }
  exit(main(*__p___argc(), *__p___argv(), _get_initial_narrow_environment()));
}
}
