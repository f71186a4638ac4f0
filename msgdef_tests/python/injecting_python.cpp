// A Python interpreter (Debian's libpython3.11) that reports and can fail the
// C API calls an extension module makes while it is being imported.
//
// Debian's python3 executable carries the C API itself, so calls from an
// extension module bind to it before any LD_PRELOAD library; this program
// links libpython instead and exports its own PyModule_Create2,
// PyCapsule_New and PyModule_AddObject (and the C dispatch handle functions
// of velmari_messages), which forward to the real ones.
//
// Environment:
//   INJECT_MODULE   name in the module definition to watch, e.g. "_velmari_messages_support"
//   INJECT_FAIL     "<call>:<n>[:<result>]": the n-th (1-based) watched call of
//                   create_module, capsule or add fails; add returns <result>
//                   (default -1). A failing call sets RuntimeError("injected").
// Every watched call, every handle function call and every release of a
// capsule made by a watched call is written to stderr as an "inject:" line.
//
// It also hands out the rcutils default allocator (used by the C messages and
// their strings); a script fails its allocations from some point on by
// calling the exported inject_failing_allocations(allowed) through ctypes
// (allowed < 0: never fail), and counts the blocks not given back yet
// (injected_live_allocations()).
#define PY_SSIZE_T_CLEAN
#include <Python.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "rcutils/allocator.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"

namespace
{

struct Injection
{
  std::string module;
  std::string call;
  long at = 0;
  int result = -1;
  long module_calls = 0;
  long capsule_calls = 0;
  long add_calls = 0;
  bool watching = false;
};

Injection & injection()
{
  static Injection config = [] {
      Injection c;
      if (const char * module = std::getenv("INJECT_MODULE")) {
        c.module = module;
      }
      if (const char * fail = std::getenv("INJECT_FAIL")) {
        char call[32] = {0};
        long at = 0;
        int result = -1;
        if (std::sscanf(fail, "%31[a-z_]:%ld:%d", call, &at, &result) >= 2) {
          c.call = call;
          c.at = at;
          c.result = result;
        }
      }
      return c;
    }();
  return config;
}

bool fails(const char * call, long count)
{
  const Injection & c = injection();
  return c.call == call && c.at == count;
}

void report(const char * format, ...)
{
  va_list args;
  va_start(args, format);
  std::fputs("inject: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  va_end(args);
}

template<class F>
F next_definition(const char * name)
{
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Capsules made by watched calls, and the capsule type's own deallocator.
std::set<PyObject *> & watched_capsules()
{
  static std::set<PyObject *> capsules;
  return capsules;
}
destructor real_capsule_dealloc = nullptr;

void reporting_capsule_dealloc(PyObject * capsule)
{
  if (watched_capsules().erase(capsule)) {
    report("release capsule");
  }
  real_capsule_dealloc(capsule);
}

bool is_watched(PyObject * module)
{
  const char * name = PyModule_GetName(module);
  if (!name) {
    PyErr_Clear();
    return false;
  }
  return injection().module == name;
}

}  // namespace

extern "C" {

PyObject * PyModule_Create2(PyModuleDef * definition, int api_version)
{
  static auto real = next_definition<PyObject * (*)(PyModuleDef *, int)>("PyModule_Create2");
  Injection & c = injection();
  if (definition->m_name && c.module == definition->m_name) {
    c.watching = true;
    const PyModuleDef_Base & base = definition->m_base;
    const bool no_methods = definition->m_methods && !definition->m_methods[0].ml_name &&
      !definition->m_methods[0].ml_meth;
    report("create_module api=%d name=%s doc=%s size=%zd no_methods=%d slots=%p traverse=%p "
      "clear=%p free=%p base_refcnt=%zd base_type=%p base_init=%p base_index=%zd base_copy=%p",
      api_version, definition->m_name, definition->m_doc ? definition->m_doc : "(null)",
      definition->m_size, no_methods ? 1 : 0, static_cast<void *>(definition->m_slots),
      reinterpret_cast<void *>(definition->m_traverse),
      reinterpret_cast<void *>(definition->m_clear), reinterpret_cast<void *>(definition->m_free),
      base.ob_base.ob_refcnt, static_cast<void *>(base.ob_base.ob_type), reinterpret_cast<void *>(base.m_init),
      base.m_index, static_cast<void *>(base.m_copy));
    if (fails("create_module", ++c.module_calls)) {
      PyErr_SetString(PyExc_RuntimeError, "injected");
      return nullptr;
    }
  }
  return real(definition, api_version);
}

PyObject * PyCapsule_New(void * pointer, const char * name, PyCapsule_Destructor destructor)
{
  static auto real = next_definition<PyObject * (*)(void *, const char *, PyCapsule_Destructor)>(
    "PyCapsule_New");
  Injection & c = injection();
  if (!c.watching) {
    return real(pointer, name, destructor);
  }
  report("capsule pointer=%p name=%s destructor=%p", pointer, name ? name : "(null)",
    reinterpret_cast<void *>(destructor));
  if (fails("capsule", ++c.capsule_calls)) {
    PyErr_SetString(PyExc_RuntimeError, "injected");
    return nullptr;
  }
  PyObject * capsule = real(pointer, name, destructor);
  if (capsule) {
    if (!real_capsule_dealloc) {
      real_capsule_dealloc = Py_TYPE(capsule)->tp_dealloc;
      Py_TYPE(capsule)->tp_dealloc = reporting_capsule_dealloc;
    }
    watched_capsules().insert(capsule);
  }
  return capsule;
}

int PyModule_AddObject(PyObject * module, const char * name, PyObject * value)
{
  static auto real = next_definition<int (*)(PyObject *, const char *, PyObject *)>(
    "PyModule_AddObject");
  Injection & c = injection();
  if (!is_watched(module)) {
    return real(module, name, value);
  }
  report("add %s refcnt=%zd", name, Py_REFCNT(value));
  if (fails("add", ++c.add_calls)) {
    PyErr_SetString(PyExc_RuntimeError, "injected");
    return c.result;
  }
  return real(module, name, value);
}

}  // extern "C"

// The C dispatch handle functions of velmari_messages: reported, then
// forwarded to the dispatch library.
namespace
{
template<class Handle>
const Handle * forward_handle(const char * symbol)
{
  report("handle %s", symbol);
  void * library = dlopen("libvelmari_messages__rosidl_typesupport_c.so", RTLD_NOW | RTLD_NOLOAD);
  auto function = library ?
    reinterpret_cast<const Handle * (*)()>(dlsym(library, symbol)) : nullptr;
  if (!function) {
    std::fprintf(stderr, "inject: cannot forward %s\n", symbol);
    std::abort();
  }
  return function();
}
}  // namespace

#define FORWARD_MESSAGE_HANDLE(type) \
  extern "C" const rosidl_message_type_support_t * \
  rosidl_typesupport_c__get_message_type_support_handle__##type(void) \
  { \
    return forward_handle<rosidl_message_type_support_t>( \
      "rosidl_typesupport_c__get_message_type_support_handle__" #type); \
  }
FORWARD_MESSAGE_HANDLE(velmari_messages__msg__Control)
FORWARD_MESSAGE_HANDLE(velmari_messages__msg__EgoState)
FORWARD_MESSAGE_HANDLE(velmari_messages__msg__Num)
FORWARD_MESSAGE_HANDLE(velmari_messages__srv__AddThreeInts_Request)
FORWARD_MESSAGE_HANDLE(velmari_messages__srv__AddThreeInts_Response)

extern "C" const rosidl_service_type_support_t *
rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts(void)
{
  return forward_handle<rosidl_service_type_support_t>(
    "rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts");
}

// The default allocator, failing once the allowed number of allocations is
// used up, and counting the blocks it has handed out and not got back.
namespace
{
long allocations_allowed = -1;
long live_blocks = 0;

void * counted(void * block)
{
  live_blocks += block != nullptr;
  return block;
}

bool may_allocate()
{
  if (allocations_allowed < 0) {
    return true;
  }
  if (allocations_allowed == 0) {
    report("allocation refused");
    return false;
  }
  --allocations_allowed;
  return true;
}

void * allocate(size_t size, void *) {return may_allocate() ? counted(std::malloc(size)) : nullptr;}
void deallocate(void * pointer, void *)
{
  live_blocks -= pointer != nullptr;
  std::free(pointer);
}
void * reallocate(void * pointer, size_t size, void *)
{
  if (!may_allocate()) {
    return nullptr;
  }
  void * block = std::realloc(pointer, size);
  return pointer ? block : counted(block);
}
void * zero_allocate(size_t count, size_t size, void *)
{
  return may_allocate() ? counted(std::calloc(count, size)) : nullptr;
}
}  // namespace

extern "C" void inject_failing_allocations(long allowed)
{
  allocations_allowed = allowed;
}

extern "C" long injected_live_allocations()
{
  return live_blocks;
}

extern "C" rcutils_allocator_t rcutils_get_default_allocator(void)
{
  return rcutils_allocator_t{allocate, deallocate, reallocate, zero_allocate, nullptr};
}

int main(int argc, char ** argv)
{
  return Py_BytesMain(argc, argv);
}
