// Conversion between Python message objects and C message structures, as
// templates over a type's field table, so that one walk serves every type.
//
// convert_from_py(message, ros_message): message must be an instance of the
// type's Python class; ros_message an initialised C message. The values are
// converted into a fresh C message first and only swapped into ros_message
// when every field converted, so a failure leaves ros_message as it was.
// Errors (false, with the Python exception set):
//   TypeError      not an instance of the class; a field unset or of the
//                  wrong Python type (bool fields take only bool, integer
//                  fields int, float fields float or int, strings str)
//   OverflowError  an integer outside the field's width; a finite value that
//                  would become infinite as float32
//   ValueError     a string with an embedded NUL (not representable on the
//                  wire); a null argument
//   UnicodeError   a string that is not valid UTF-8 (either direction)
//   MemoryError    allocation failed
// NaN and infinities are valid float values.
//
// convert_to_py(ros_message): a new instance of the class whose slots are
// filled straight from the C message, without the checks of assignment
// (the values are valid by their C types). A string with an embedded NUL,
// which no Python message may hold, is a ValueError; one that is not UTF-8
// a UnicodeError.
#ifndef PYTHON__CONVERSION_HPP_
#define PYTHON__CONVERSION_HPP_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "msgdef/fields.hpp"
#include "py_ref.hpp"
#include "rosidl_runtime_c/string_functions.h"

namespace python_messages
{

// A nested message is converted by its own package's exported functions.
struct Nested
{
  bool (* from_py)(PyObject * message, void * ros_message);
  PyObject * (*to_py)(void * ros_message);
};

// Type<S>: fields (descriptor tuple), module and class of the Python class,
// init and fini of the C message.
template<class S>
struct Type;

// Where a value belongs, for error messages.
struct Place
{
  const char * module;
  const char * type;
  const char * field;
};

// The name of an object's type, for error messages.
inline PyObject * type_name(PyObject * value)
{
  return class_name(reinterpret_cast<PyObject *>(Py_TYPE(value)));
}

inline bool type_error(const Place & at, const char * expected, PyObject * value)
{
  Ref name(type_name(value));
  PyErr_Format(PyExc_TypeError, "%s.%s.%s must be %s, not %.200S",
    at.module, at.type, at.field, expected, name.get());
  return false;
}

inline bool overflow_error(const Place & at, const char * kind, PyObject * value)
{
  PyErr_Format(PyExc_OverflowError, "%s.%s.%s: %R does not fit in %s",
    at.module, at.type, at.field, value, kind);
  return false;
}

// The Python class of a message type: attribute `type` of module `module`.
// Usually imported already: found in sys.modules and the module's dict
// without the general attribute machinery, which costs far more per call.
inline PyObject * message_class(const char * module, const char * type)
{
  PyObject * imported = PyDict_GetItemString(PyImport_GetModuleDict(), module);  // borrowed
  Ref owned;
  if (!imported) {
    owned.reset(PyImport_ImportModule(module));
    if (!owned) {
      return nullptr;
    }
    imported = owned.get();
  }
  if (PyModule_CheckExact(imported)) {
    if (PyObject * cls = PyDict_GetItemString(PyModule_GetDict(imported), type)) {
      Py_INCREF(cls);
      return cls;
    }
  }
  return PyObject_GetAttrString(imported, type);
}

// Primitive values. ------------------------------------------------------------

template<class T>
constexpr const char * kind_name()
{
  if constexpr (std::is_same_v<T, uint8_t>) {return "uint8";}
  if constexpr (std::is_same_v<T, int16_t>) {return "int16";}
  if constexpr (std::is_same_v<T, uint16_t>) {return "uint16";}
  if constexpr (std::is_same_v<T, int32_t>) {return "int32";}
  if constexpr (std::is_same_v<T, uint32_t>) {return "uint32";}
  if constexpr (std::is_same_v<T, int64_t>) {return "int64";}
  if constexpr (std::is_same_v<T, float>) {return "float32";}
  return "float64";
}

template<class T>
bool value_from_py(PyObject * value, T & out, const Place & at)
{
  if constexpr (std::is_same_v<T, bool>) {
    if (!PyBool_Check(value)) {
      return type_error(at, "bool", value);
    }
    out = value == Py_True;
    return true;
  } else if constexpr (std::is_integral_v<T>) {
    static_assert(sizeof(T) < sizeof(long long) || std::is_signed_v<T>,
      "every integer kind fits in long long");
    if (!PyLong_Check(value)) {
      return type_error(at, "int", value);
    }
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (number == -1 && PyErr_Occurred()) {
      return false;
    }
    if (overflow || number < static_cast<long long>(std::numeric_limits<T>::min()) ||
      number > static_cast<long long>(std::numeric_limits<T>::max()))
    {
      return overflow_error(at, kind_name<T>(), value);
    }
    out = static_cast<T>(number);
    return true;
  } else {
    if (!PyFloat_Check(value) && !(PyLong_Check(value) && !PyBool_Check(value))) {
      return type_error(at, "float", value);
    }
    const double number = PyFloat_AsDouble(value);  // OverflowError for a huge int
    if (number == -1.0 && PyErr_Occurred()) {
      return false;
    }
    if constexpr (std::is_same_v<T, float>) {
      // From the midpoint between FLT_MAX and 2^128 on, float32 rounding
      // gives infinity: refuse rather than store a different value.
      if (std::isfinite(number) && std::fabs(number) >= 0x1.ffffffp127) {
        return overflow_error(at, kind_name<T>(), value);
      }
    }
    out = static_cast<T>(number);
    return true;
  }
}

template<class T>
PyObject * value_to_py(const T & value)
{
  if constexpr (std::is_same_v<T, bool>) {
    // The byte may hold other values than 0 and 1 when filled by C code.
    unsigned char byte;
    std::memcpy(&byte, &value, 1);
    return PyBool_FromLong(byte != 0);
  } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
    return PyLong_FromLongLong(value);
  } else if constexpr (std::is_integral_v<T>) {
    return PyLong_FromUnsignedLongLong(value);
  } else {
    return PyFloat_FromDouble(value);
  }
}

// Field rules, by field kind. ------------------------------------------------

template<class S, class T>
bool field_from_py(const msgdef::Value<S, T> & f, PyObject * value, S & out, const Place & at)
{
  return value_from_py(value, out.*f.member, at);
}

template<class S, class T>
PyObject * field_to_py(const msgdef::Value<S, T> & f, const S & in, const Place &)
{
  return value_to_py(in.*f.member);
}

template<class S, class T>
bool field_from_py(const msgdef::String<S, T> & f, PyObject * value, S & out, const Place & at)
{
  if (!PyUnicode_Check(value)) {
    return type_error(at, "str", value);
  }
  // UTF-8 through a bytes object: the str's own UTF-8 cache is not in the stable ABI.
  Ref utf8(PyUnicode_AsUTF8String(value));
  char * text = nullptr;
  Py_ssize_t size = 0;
  if (!utf8 || PyBytes_AsStringAndSize(utf8.get(), &text, &size) != 0) {
    return false;
  }
  // The wire form ends a string at its first NUL: the rest would be lost.
  if (std::memchr(text, '\0', static_cast<size_t>(size))) {
    PyErr_Format(PyExc_ValueError, "%s.%s.%s must not contain NUL characters",
      at.module, at.type, at.field);
    return false;
  }
  if (!rosidl_runtime_c__String__assignn(&(out.*f.member), text, static_cast<size_t>(size))) {
    PyErr_NoMemory();
    return false;
  }
  return true;
}

template<class S, class T>
PyObject * field_to_py(const msgdef::String<S, T> & f, const S & in, const Place & at)
{
  const T & s = in.*f.member;
  // The class refuses such a text; it is not stored behind its back either.
  if (s.data && std::memchr(s.data, '\0', s.size)) {
    PyErr_Format(PyExc_ValueError, "%s.%s.%s must not contain NUL characters",
      at.module, at.type, at.field);
    return nullptr;
  }
  return PyUnicode_DecodeUTF8(s.data ? s.data : "", static_cast<Py_ssize_t>(s.size), "strict");
}

template<class S, class T, class B>
bool field_from_py(const msgdef::Message<S, T, B> & f, PyObject * value, S & out, const Place &)
{
  return f.binding.from_py(value, &(out.*f.member));
}

template<class S, class T, class B>
PyObject * field_to_py(const msgdef::Message<S, T, B> & f, const S & in, const Place &)
{
  return f.binding.to_py(const_cast<T *>(&(in.*f.member)));
}

// Messages. --------------------------------------------------------------------

// The slot names of a message class (msgdef_py.message), one per field in
// table order: the fields' storage, reached without the checked properties.
inline PyObject * slot_names(PyObject * cls, std::size_t count, const char * module, const char * name)
{
  static PyObject * attribute = PyUnicode_InternFromString("_SLOT_NAMES");  // under the GIL
  PyObject * slots = attribute ? PyObject_GetAttr(cls, attribute) : nullptr;
  if (slots && (!PyTuple_Check(slots) || PyTuple_Size(slots) != static_cast<Py_ssize_t>(count))) {
    Py_DECREF(slots);
    PyErr_Format(PyExc_TypeError, "%s.%s: the class does not hold the fields of the C message",
      module, name);
    return nullptr;
  }
  return slots;
}

template<class S>
bool convert_from_py(PyObject * message, void * ros_message)
{
  using TypeS = Type<S>;
  if (!message || !ros_message) {
    PyErr_Format(PyExc_ValueError, "%s.%s: null message", TypeS::module, TypeS::name);
    return false;
  }
  Ref cls(message_class(TypeS::module, TypeS::name));
  if (!cls) {
    return false;
  }
  const int is_instance = PyObject_IsInstance(message, cls.get());
  if (is_instance < 0) {
    return false;
  }
  if (!is_instance) {
    Ref given(type_name(message));
    PyErr_Format(PyExc_TypeError, "expected %s.%s, not %.200S",
      TypeS::module, TypeS::name, given.get());
    return false;
  }

  S staged;
  std::memset(static_cast<void *>(&staged), 0, sizeof(S));
  if (!TypeS::init(&staged)) {
    PyErr_NoMemory();
    return false;
  }
  Ref slots(slot_names(cls.get(), msgdef::count(TypeS::fields), TypeS::module, TypeS::name));
  if (!slots) {
    TypeS::fini(&staged);
    return false;
  }
  Py_ssize_t index = 0;
  const bool ok = msgdef::all_of(TypeS::fields, [&](const auto & f) {
        const Place at{TypeS::module, TypeS::name, f.name};
        // The generic lookup finds the slot's descriptor in the type's cache;
        // the class's own __getattr__ or properties never see it.
        Ref value(PyObject_GenericGetAttr(message, PyTuple_GetItem(slots.get(), index++)));
        if (!value) {
          if (PyErr_ExceptionMatches(PyExc_AttributeError)) {
            PyErr_Clear();
            PyErr_Format(PyExc_TypeError, "%s.%s.%s is not set", at.module, at.type, at.field);
          }
          return false;
        }
        return field_from_py(f, value.get(), staged, at);
      });
  if (ok) {
    // C messages own no pointers into themselves, so they can trade places;
    // staged then holds the old contents and is finalised below.
    unsigned char previous[sizeof(S)];
    std::memcpy(previous, ros_message, sizeof(S));
    std::memcpy(ros_message, static_cast<const void *>(&staged), sizeof(S));
    std::memcpy(static_cast<void *>(&staged), previous, sizeof(S));
  }
  TypeS::fini(&staged);
  return ok;
}

template<class S>
PyObject * convert_to_py(void * ros_message)
{
  using TypeS = Type<S>;
  if (!ros_message) {
    PyErr_Format(PyExc_ValueError, "%s.%s: null message", TypeS::module, TypeS::name);
    return nullptr;
  }
  const S & in = *static_cast<const S *>(ros_message);
  Ref cls(message_class(TypeS::module, TypeS::name));
  if (!cls) {
    return nullptr;
  }
  if (!PyType_Check(cls.get())) {
    PyErr_Format(PyExc_TypeError, "%s.%s is not a class", TypeS::module, TypeS::name);
    return nullptr;
  }
  Ref slots(slot_names(cls.get(), msgdef::count(TypeS::fields), TypeS::module, TypeS::name));
  if (!slots) {
    return nullptr;
  }
  // A new instance, as object.__new__ makes it, whose slots are filled here:
  // the values come from a C message and are valid, so the class's checks,
  // which are for Python callers, are not run again. A class written in
  // Python is a heap type, whose slots the stable ABI reads.
  auto * type = reinterpret_cast<PyTypeObject *>(cls.get());
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  Ref message(alloc ? alloc(type, 0) : nullptr);
  if (!message) {
    return nullptr;
  }
  Py_ssize_t index = 0;
  const bool ok = msgdef::all_of(TypeS::fields, [&](const auto & f) {
        Ref value(field_to_py(f, in, Place{TypeS::module, TypeS::name, f.name}));
        return value &&
               PyObject_GenericSetAttr(message.get(), PyTuple_GetItem(slots.get(), index++),
                 value.get()) == 0;
      });
  return ok ? message.release() : nullptr;
}

}  // namespace python_messages

// Binding of a nested message type: its conversion functions, by the names
// that <pkg>/python_conversion.h gives the C name.
#define PYTHON_BIND_MESSAGE(pkg, folder, T) \
  ::python_messages::Nested{ \
    &pkg##__##folder##__##T##__CONVERT_FROM_PY, &pkg##__##folder##__##T##__CONVERT_TO_PY}

// The two exported conversion functions of message type pkg/folder/T.
#define PYTHON_DEFINE(pkg, folder, T, snake) \
  PYTHON_DEFINE_(pkg##__##folder##__##T, pkg##__##folder##__##snake, #pkg "." #folder, #T)

#define PYTHON_DEFINE_(S, STEM, MODULE, NAME) \
  template<> struct python_messages::Type<S> \
  { \
    static constexpr auto fields = MSGDEF_FIELD_TUPLE(S, S); \
    static constexpr const char * module = MODULE; \
    static constexpr const char * name = NAME; \
    static bool init(S * msg) {return S##__init(msg);} \
    static void fini(S * msg) {S##__fini(msg);} \
  }; \
  extern "C" { \
  bool STEM##__convert_from_py(PyObject * message, void * ros_message) \
  { \
    return python_messages::convert_from_py<S>(message, ros_message); \
  } \
  PyObject * STEM##__convert_to_py(void * ros_message) \
  { \
    return python_messages::convert_to_py<S>(ros_message); \
  } \
  }

#endif  // PYTHON__CONVERSION_HPP_
