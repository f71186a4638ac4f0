// An owned Python reference, released when it goes out of scope, and the
// name of a class for error messages.
#ifndef PYTHON__PY_REF_HPP_
#define PYTHON__PY_REF_HPP_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace python_messages
{

// Owns one reference.
class Ref
{
public:
  explicit Ref(PyObject * object = nullptr)
  : object_(object) {}
  ~Ref() {Py_XDECREF(object_);}
  Ref(const Ref &) = delete;
  Ref & operator=(const Ref &) = delete;
  PyObject * get() const {return object_;}
  void reset(PyObject * object)
  {
    Py_XDECREF(object_);
    object_ = object;
  }
  PyObject * release()
  {
    PyObject * object = object_;
    object_ = nullptr;
    return object;
  }
  explicit operator bool() const {return object_ != nullptr;}

private:
  PyObject * object_;
};

// The __name__ of a class, for error messages: the fields of a type object
// are opaque to the stable ABI. A new reference, never null.
inline PyObject * class_name(PyObject * cls)
{
  PyObject * name = PyObject_GetAttrString(cls, "__name__");
  if (!name) {
    PyErr_Clear();
    name = PyUnicode_FromString("?");
  }
  return name;
}

}  // namespace python_messages

#endif  // PYTHON__PY_REF_HPP_
