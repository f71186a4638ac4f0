// The Python extension module <package>_s__<flavour> of the package named by
// MSGDEF_PACKAGE: on import it publishes, per message type, capsules with the
// create, destroy and conversion functions and the C dispatch handle, then one
// type support capsule per service. It defines no functions and keeps no state.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>

#include "msgdef/fields.hpp"
#include "msgdef/typesupport_c.h"
#include MSGDEF_PACKAGE_HEADER
#include MSGDEF_PACKAGE_PYTHON_HEADER

// The handle functions of the package's C dispatch library.
MSGDEF_TYPESUPPORT_C_DECLARE(MSGDEF_PACKAGE)

namespace
{

// The API version the module was written against.
constexpr int api_version = 1013;

template<class F>
void * address_of(F * function)
{
  return reinterpret_cast<void *>(function);
}

// Everything one message type publishes, in publishing order.
struct MessageEntry
{
  const char * names[5];
  void * functions[4];  // create, destroy, convert_from_py, convert_to_py
  const rosidl_message_type_support_t * (*handle)();
};

struct ServiceEntry
{
  const char * name;
  const rosidl_service_type_support_t * (*handle)();
};

#define MODULE_MESSAGE_ENTRY(pkg, folder, T, snake) \
  MessageEntry{ \
    {"create_ros_message_msg__" #folder "__" #snake, \
      "destroy_ros_message_msg__" #folder "__" #snake, \
      "convert_from_py_msg__" #folder "__" #snake, \
      "convert_to_py_msg__" #folder "__" #snake, \
      "type_support_msg__" #folder "__" #snake}, \
    {address_of(&pkg##__##folder##__##T##__create), \
      address_of(&pkg##__##folder##__##T##__destroy), \
      address_of(&pkg##__##folder##__##snake##__convert_from_py), \
      address_of(&pkg##__##folder##__##snake##__convert_to_py)}, \
    &MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)},
#define MODULE_SERVICE_ENTRY(pkg, folder, T, snake) \
  ServiceEntry{"type_support_srv__" #folder "__" #snake, \
    &MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, T)},

// Wraps pointer in a capsule without name or destructor and adds it to the
// module. Status 0 on success; otherwise non-zero, and nothing of this call
// stays referenced.
int8_t add_capsule(PyObject * module, const char * name, const void * pointer)
{
  PyObject * capsule = PyCapsule_New(const_cast<void *>(pointer), nullptr, nullptr);
  if (!capsule) {
    return -1;
  }
  const int result = PyModule_AddObject(module, name, capsule);
  if (result != 0) {
    Py_DECREF(capsule);  // a failed add leaves the reference with us
    // The status is the result's low byte, but a failure whose low byte is
    // zero must not read as success.
    const auto status = static_cast<int8_t>(result & 0xff);
    return status != 0 ? status : -1;
  }
  return 0;
}

// The five capsules of one message type; the handle is fetched only after
// the first four are in the module.
int8_t register_message(PyObject * module, const MessageEntry & entry)
{
  for (int i = 0; i < 4; ++i) {
    const int8_t status = add_capsule(module, entry.names[i], entry.functions[i]);
    if (status != 0) {
      return status;
    }
  }
  return add_capsule(module, entry.names[4], entry.handle());
}

PyMethodDef no_methods[] = {
  {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {
  PyModuleDef_HEAD_INIT,
  "_" MSGDEF_STR(MSGDEF_PACKAGE) "_support",
  "_" MSGDEF_STR(MSGDEF_PACKAGE) "_doc",
  -1,
  no_methods,
  nullptr,
  nullptr,
  nullptr,
  nullptr,
};

}  // namespace

#define MODULE_INIT_FUNCTION \
  MSGDEF_CAT(PyInit_, MSGDEF_CAT(MSGDEF_PACKAGE, MSGDEF_CAT(_s__, MSGDEF_PYTHON_FLAVOUR)))

PyMODINIT_FUNC MODULE_INIT_FUNCTION(void)
{
  const MessageEntry messages[] = {
    MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(MODULE_MESSAGE_ENTRY)
  };
  const ServiceEntry services[] = {
    MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(MODULE_SERVICE_ENTRY)
    ServiceEntry{nullptr, nullptr},  // keeps the array non-empty
  };

  PyObject * module = PyModule_Create2(&definition, api_version);
  if (!module) {
    return nullptr;
  }
  // The failing Python call has set the error the importer sees; capsules
  // already added go with the module.
  for (const MessageEntry & entry : messages) {
    if (register_message(module, entry) != 0) {
      Py_DECREF(module);
      return nullptr;
    }
  }
  for (const ServiceEntry & entry : services) {
    if (entry.name && add_capsule(module, entry.name, entry.handle()) != 0) {
      Py_DECREF(module);
      return nullptr;
    }
  }
  return module;
}
