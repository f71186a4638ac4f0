// Fuzz target: the Python conversion of messages read from CDR bytes.
//
// Input: a choice byte (the type), then the bytes. What the C reader accepts
// is converted to a Python message and back into a fresh C message, which
// must write the same bytes. The only refusals allowed are those of strings
// the message classes do not take: one that is not UTF-8 (UnicodeDecodeError)
// or one that holds a NUL (ValueError: other readers would cut it there).
// A signalling NaN in a float32 field comes back quiet, as any conversion of
// a float to Python's double makes it: the target quiets those first.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "builtin_interfaces/python_conversion.h"
#include "fastcdr/exceptions/Exception.h"
#include "fuzz_support.hpp"
#include "navunit_common_msgs/python_conversion.h"
#include "std_msgs/python_conversion.h"
#include "support.hpp"
#include "velmari_messages/python_conversion.h"

// Python keeps its interpreter alive to the end: its memory is not a leak.
extern "C" const char * __asan_default_options() {return "detect_leaks=0";}

namespace
{

using fastcdr_test::Bytes;
using fastcdr_test::Cdr;
using fastcdr_test::Stream;

void start_python()
{
  setenv("PYTHONPATH", MSGDEF_PYTHON_SITE, 1);
  setenv("PYTHONDONTWRITEBYTECODE", "1", 1);
  Py_InitializeEx(0);
}

template<class Tr>
bool read(const Bytes & bytes, typename Tr::c_type & msg)
{
  Stream s(bytes);
  try {
    return fastcdr_test::callbacks_of(Tr::c_handle())->cdr_deserialize(s.cdr, &msg);
  } catch (const eprosima::fastcdr::exception::Exception &) {
    return false;
  }
}

template<class Tr>
Bytes write(const typename Tr::c_type & msg)
{
  const std::size_t size = Tr::c_size(&msg, 0);
  Stream s(size);
  fuzz::require(fastcdr_test::callbacks_of(Tr::c_handle())->cdr_serialize(&msg, s.cdr),
    "a message that was read does not write", Tr::name);
  return s.written();
}

// A refusal is fine only as the given Python exception.
void refused_as(PyObject * expected, const char * what, const char * type)
{
  if (!PyErr_Occurred() || !PyErr_ExceptionMatches(expected)) {
    PyErr_Print();
    fuzz::fail(what, type);
  }
  PyErr_Clear();
}

// Sets the quiet bit of every float32 NaN, nested messages included.
template<class M>
void quiet_float_nans(M & msg)
{
  msgdef::for_each(fastcdr_test::fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, float>) {
        uint32_t bits;
        std::memcpy(&bits, &member, sizeof bits);
        if (std::isnan(member)) {
          bits |= 0x00400000u;
          std::memcpy(&member, &bits, sizeof bits);
        }
      } else if constexpr (std::is_class_v<T> && !std::is_same_v<T, rosidl_runtime_c__String>) {
        quiet_float_nans(member);
      }
    });
}

template<class Tr>
void check(const Bytes & bytes, bool (*from_py)(PyObject *, void *), PyObject * (*to_py)(void *))
{
  const char * type = Tr::name;
  fastcdr_test::CMessage<typename Tr::c_type> c;
  if (!read<Tr>(bytes, c.msg)) {
    return;
  }
  quiet_float_nans(c.msg);
  PyObject * py = to_py(&c.msg);
  if (!py) {
    refused_as(PyExc_ValueError, "conversion to Python failed", type);  // UnicodeDecodeError is one
    return;
  }
  fastcdr_test::CMessage<typename Tr::c_type> back;
  const bool filled = from_py(py, &back.msg);
  Py_DECREF(py);
  if (!filled) {
    refused_as(PyExc_ValueError, "conversion from Python failed", type);
    return;
  }
  fuzz::require(write<Tr>(back.msg) == write<Tr>(c.msg), "the message changed through Python", type);
}

struct Dispatch
{
  std::size_t index;
  const Bytes & bytes;
};

#define FUZZ_PYTHON_TYPE(pkg, folder, T, snake) \
  if (d.index-- == 0) { \
    check<fastcdr_test::Traits<pkg##__##folder##__##T>>(d.bytes, \
      &pkg##__##folder##__##T##__CONVERT_FROM_PY, &pkg##__##folder##__##T##__CONVERT_TO_PY); \
    return; \
  }

void dispatch(Dispatch d)
{
  builtin_interfaces__MESSAGES(FUZZ_PYTHON_TYPE)
  std_msgs__MESSAGES(FUZZ_PYTHON_TYPE)
  navunit_common_msgs__MESSAGES(FUZZ_PYTHON_TYPE)
  velmari_messages__MESSAGES(FUZZ_PYTHON_TYPE)
}

#define FUZZ_COUNT_TYPE(pkg, folder, T, snake) +1
constexpr std::size_t kTypes = 0 builtin_interfaces__MESSAGES(FUZZ_COUNT_TYPE)
  std_msgs__MESSAGES(FUZZ_COUNT_TYPE) navunit_common_msgs__MESSAGES(FUZZ_COUNT_TYPE)
  velmari_messages__MESSAGES(FUZZ_COUNT_TYPE);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t * data, std::size_t size)
{
  static const bool started = (start_python(), true);
  (void)started;
  if (size < 1) {
    return 0;
  }
  dispatch(Dispatch{data[0] % kTypes, Bytes(data + 1, data + size)});
  return 0;
}
