// msgdef_py._cdr: CDR serialization of Python messages the way the middleware
// does it, reached only through what a message class publishes: the
// conversion capsules and the C dispatch handle, asked for the Fast-CDR C
// implementation ("rosidl_typesupport_fastrtps_c"), whose data is the type's
// callbacks record, and for the C introspection tables, whose size, init and
// fini make the C message. (The create and destroy capsules return and take
// the type's own structure pointer: called through a pointer to a function
// of void pointers, as a generic caller would have to, they would be called
// through the wrong function type.) The bytes are a CDR encapsulation header
// (00 01 00 00: plain CDR, little-endian) followed by the body.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstring>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "fastcdr/exceptions/Exception.h"
#include "fastcdr/exceptions/NotEnoughMemoryException.h"
#include "rcutils/allocator.h"
#include "rcutils/error_handling.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"

#include "py_ref.hpp"

namespace
{

constexpr char fastrtps_c_identifier[] = "rosidl_typesupport_fastrtps_c";
constexpr char introspection_c_identifier[] = "rosidl_typesupport_introspection_c";
constexpr size_t encapsulation_size = 4;

using python_messages::Ref;
using python_messages::class_name;

// What the capsules of one message class lead to.
struct MessageSupport
{
  const rosidl_typesupport_introspection_c__MessageMembers * members;
  bool (* from_py)(PyObject *, void *);
  PyObject * (*to_py)(void *);
  const message_type_support_callbacks_t * callbacks;
};

void * capsule_pointer(PyObject * cls, const char * attribute)
{
  Ref capsule(PyObject_GetAttrString(cls, attribute));
  if (!capsule) {
    return nullptr;
  }
  if (!PyCapsule_CheckExact(capsule.get())) {
    Ref name(class_name(cls));
    PyErr_Format(PyExc_TypeError, "%.200S.%s is not a capsule; was the type support imported?",
      name.get(), attribute);
    return nullptr;
  }
  return PyCapsule_GetPointer(capsule.get(), nullptr);
}

template<class F>
bool function_from(PyObject * cls, const char * attribute, F & out)
{
  void * pointer = capsule_pointer(cls, attribute);
  out = reinterpret_cast<F>(pointer);
  return pointer != nullptr;
}

// What message_support found for each class. A class stays referenced here,
// so that its address cannot come back as another class's; message classes
// live as long as their modules anyway.
std::unordered_map<PyObject *, MessageSupport> & known_support()
{
  static std::unordered_map<PyObject *, MessageSupport> known;
  return known;
}

bool find_message_support(PyObject * cls, MessageSupport & support);

// The capsules and the callbacks record are looked up once per class.
bool message_support(PyObject * cls, MessageSupport & support)
{
  const auto found = known_support().find(cls);
  if (found != known_support().end()) {
    support = found->second;
    return true;
  }
  if (!find_message_support(cls, support)) {
    return false;
  }
  try {
    known_support().emplace(cls, support);
  } catch (const std::bad_alloc &) {
    return true;  // found, only not remembered
  }
  Py_INCREF(cls);
  return true;
}

bool find_message_support(PyObject * cls, MessageSupport & support)
{
  if (!PyType_Check(cls)) {
    Ref name(class_name(reinterpret_cast<PyObject *>(Py_TYPE(cls))));
    PyErr_Format(PyExc_TypeError, "expected a message class, not %.200S", name.get());
    return false;
  }
  if (!function_from(cls, "_CONVERT_FROM_PY", support.from_py) ||
    !function_from(cls, "_CONVERT_TO_PY", support.to_py))
  {
    return false;
  }
  auto * handle = static_cast<const rosidl_message_type_support_t *>(
    capsule_pointer(cls, "_TYPE_SUPPORT"));
  if (!handle) {
    return false;
  }
  const rosidl_message_type_support_t * found[2] = {};
  const char * identifiers[2] = {fastrtps_c_identifier, introspection_c_identifier};
  for (int i = 0; i < 2; ++i) {
    found[i] = handle->func(handle, identifiers[i]);
    if (!found[i]) {
      Ref name(class_name(cls));
      PyErr_Format(PyExc_RuntimeError, "%.200S: no %s type support: %s",
        name.get(), identifiers[i],
        rcutils_get_error_string().str);
      rcutils_reset_error();
      return false;
    }
  }
  support.callbacks = static_cast<const message_type_support_callbacks_t *>(found[0]->data);
  support.members =
    static_cast<const rosidl_typesupport_introspection_c__MessageMembers *>(found[1]->data);
  return true;
}

// A C message, made and released as the type's create and destroy do it
// (storage from the default allocator, zero-filled, then init), destroyed
// with the scope.
class RosMessage
{
public:
  explicit RosMessage(const MessageSupport & support)
  : support_(support), allocator_(rcutils_get_default_allocator()),
    message_(allocator_.zero_allocate(1, support.members->size_of_, allocator_.state))
  {
    if (message_) {
      support_.members->init_function(message_, ROSIDL_RUNTIME_C_MSG_INIT_ALL);
    }
  }
  ~RosMessage()
  {
    if (message_) {
      support_.members->fini_function(message_);
      allocator_.deallocate(message_, allocator_.state);
    }
  }
  RosMessage(const RosMessage &) = delete;
  RosMessage & operator=(const RosMessage &) = delete;
  void * get() const {return message_;}

private:
  const MessageSupport & support_;
  rcutils_allocator_t allocator_;
  void * message_;
};

PyObject * serialize(PyObject *, PyObject * message)
{
  MessageSupport support{};
  if (!message_support(reinterpret_cast<PyObject *>(Py_TYPE(message)), support)) {
    return nullptr;
  }
  RosMessage ros(support);
  if (!ros.get()) {
    return PyErr_NoMemory();
  }
  if (!support.from_py(message, ros.get())) {
    return nullptr;
  }
  try {
    std::vector<char> buffer(encapsulation_size + support.callbacks->get_serialized_size(ros.get()));
    eprosima::fastcdr::FastBuffer fast_buffer(buffer.data(), buffer.size());
    eprosima::fastcdr::Cdr cdr(fast_buffer, eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS,
      eprosima::fastcdr::Cdr::DDS_CDR);
    cdr.serialize_encapsulation();
    if (!support.callbacks->cdr_serialize(ros.get(), cdr)) {
      PyErr_SetString(PyExc_RuntimeError, "the serializer refused the message");
      return nullptr;
    }
    return PyBytes_FromStringAndSize(buffer.data(),
      static_cast<Py_ssize_t>(cdr.getSerializedDataLength()));
  } catch (const eprosima::fastcdr::exception::Exception & e) {
    PyErr_Format(PyExc_RuntimeError, "serialization failed: %s", e.what());
  } catch (const std::bad_alloc &) {
    PyErr_NoMemory();
  } catch (const std::exception & e) {
    PyErr_Format(PyExc_RuntimeError, "serialization failed: %s", e.what());
  }
  return nullptr;
}

PyObject * deserialize(PyObject *, PyObject * args)
{
  PyObject * given = nullptr;
  PyObject * cls = nullptr;
  if (!PyArg_ParseTuple(args, "OO:deserialize", &given, &cls)) {
    return nullptr;
  }
  // Any bytes-like object, read as bytes: the buffer protocol itself is not
  // in the stable ABI of Python 3.8, a memoryview of the object and its
  // bytes are (a copy, which Fast-CDR needs anyway: it reads from a mutable buffer).
  Ref bytes;
  if (PyBytes_Check(given)) {
    Py_INCREF(given);
    bytes.reset(given);
  } else {
    Ref view(PyMemoryView_FromObject(given));
    if (!view) {
      return nullptr;
    }
    bytes.reset(PyBytes_FromObject(view.get()));
  }
  char * contents = nullptr;
  Py_ssize_t length = 0;
  if (!bytes || PyBytes_AsStringAndSize(bytes.get(), &contents, &length) != 0) {
    return nullptr;
  }
  std::vector<char> data(contents, contents + length);

  if (data.size() < encapsulation_size) {
    PyErr_Format(PyExc_ValueError, "%zu bytes: shorter than the CDR encapsulation header",
      data.size());
    return nullptr;
  }
  // Byte 0 is always 0; byte 1 is 0 (CDR, big-endian) or 1 (CDR, little-endian).
  if (data[0] != 0 || (data[1] != 0 && data[1] != 1)) {
    PyErr_Format(PyExc_ValueError, "not a plain CDR encapsulation header: %02x %02x",
      static_cast<unsigned char>(data[0]), static_cast<unsigned char>(data[1]));
    return nullptr;
  }
  MessageSupport support{};
  if (!message_support(cls, support)) {
    return nullptr;
  }
  RosMessage ros(support);
  if (!ros.get()) {
    return PyErr_NoMemory();
  }
  try {
    eprosima::fastcdr::FastBuffer fast_buffer(data.data(), data.size());
    eprosima::fastcdr::Cdr cdr(fast_buffer, eprosima::fastcdr::Cdr::DEFAULT_ENDIAN,
      eprosima::fastcdr::Cdr::DDS_CDR);
    cdr.read_encapsulation();
    if (!support.callbacks->cdr_deserialize(cdr, ros.get())) {
      PyErr_SetString(PyExc_ValueError, "the data is not a valid message of this type");
      return nullptr;
    }
    // What follows the message may only be the zero padding with which DDS
    // fills a payload to a multiple of 4 bytes: anything else is not this message.
    const size_t used = cdr.getSerializedDataLength();
    const size_t rest = data.size() - used;
    bool padding = rest < 4 && (data.size() - encapsulation_size) % 4 == 0;
    for (size_t i = used; padding && i < data.size(); ++i) {
      padding = data[i] == 0;
    }
    if (rest && !padding) {
      PyErr_Format(PyExc_ValueError, "%zu bytes follow the message, which ends after %zu bytes",
        rest, used);
      return nullptr;
    }
  } catch (const eprosima::fastcdr::exception::NotEnoughMemoryException &) {
    PyErr_Format(PyExc_ValueError, "%zu bytes: truncated message", data.size());
    return nullptr;
  } catch (const eprosima::fastcdr::exception::Exception & e) {
    PyErr_Format(PyExc_ValueError, "invalid CDR data: %s", e.what());
    return nullptr;
  } catch (const std::bad_alloc &) {
    return PyErr_NoMemory();
  } catch (const std::exception & e) {
    PyErr_Format(PyExc_ValueError, "invalid CDR data: %s", e.what());
    return nullptr;
  }
  return support.to_py(ros.get());
}

PyMethodDef methods[] = {
  {"serialize", serialize, METH_O,
    "serialize(message) -> bytes: CDR encapsulation header and body."},
  {"deserialize", deserialize, METH_VARARGS,
    "deserialize(data, cls) -> message of class cls."},
  {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {
  PyModuleDef_HEAD_INIT, "msgdef_py._cdr", "CDR serialization through the type support.",
  -1, methods, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit__cdr(void)
{
  return PyModule_Create(&definition);
}
