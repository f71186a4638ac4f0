// Sequence functions of large sequences, next to the least work they can do:
// one zero-filled buffer, and per element what the element's own functions do.
#include <cstdlib>
#include <new>
#include <string>

#include "cases.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msgdef_package.h"

namespace bench
{
namespace
{

constexpr size_t kElements = 1000;

template<class T, class Seq>
struct Functions
{
  bool (* seq_init)(Seq *, size_t);
  void (* seq_fini)(Seq *);
  bool (* seq_copy)(const Seq *, Seq *);
  bool (* seq_are_equal)(const Seq *, const Seq *);
  bool (* init)(T *);
  void (* fini)(T *);
  bool (* copy)(const T *, T *);
  bool (* are_equal)(const T *, const T *);
};

template<class T, class Seq>
void add_sequence(const std::string & type, const Functions<T, Seq> & f)
{
  const std::string name = type + "[" + std::to_string(kElements) + "]";
  // Inputs that stay alive for the whole run.
  auto * in = new Seq{};
  auto * out = new Seq{};
  if (!f.seq_init(in, kElements) || !f.seq_init(out, kElements)) {
    throw std::bad_alloc();
  }

  add(name + "/init+fini/library", [f] {
      Seq s{};
      keep(f.seq_init(&s, kElements));
      f.seq_fini(&s);
    });
  add(name + "/init+fini/reference", [f] {
      auto * data = static_cast<T *>(std::calloc(kElements, sizeof(T)));
      for (size_t i = 0; i < kElements; ++i) {
        keep(f.init(&data[i]));
      }
      for (size_t i = kElements; i-- > 0; ) {
        f.fini(&data[i]);
      }
      std::free(data);
    });
  add(name + "/copy/library", [f, in, out] {keep(f.seq_copy(in, out));});
  add(name + "/copy/reference", [f, in, out] {
      for (size_t i = 0; i < kElements; ++i) {
        keep(f.copy(&in->data[i], &out->data[i]));
      }
    });
  add(name + "/are_equal/library", [f, in, out] {keep(f.seq_are_equal(in, out));});
  add(name + "/are_equal/reference", [f, in, out] {
      for (size_t i = 0; i < kElements; ++i) {
        keep(f.are_equal(&in->data[i], &out->data[i]));
      }
    });
}

#define BENCH_SEQUENCE(pkg, folder, T, snake) \
  add_sequence<pkg##__##folder##__##T, pkg##__##folder##__##T##__Sequence>(#T, { \
    &pkg##__##folder##__##T##__Sequence__init, &pkg##__##folder##__##T##__Sequence__fini, \
    &pkg##__##folder##__##T##__Sequence__copy, &pkg##__##folder##__##T##__Sequence__are_equal, \
    &pkg##__##folder##__##T##__init, &pkg##__##folder##__##T##__fini, \
    &pkg##__##folder##__##T##__copy, &pkg##__##folder##__##T##__are_equal});

}  // namespace

void add_sequence_cases()
{
  navunit_common_msgs__MESSAGES(BENCH_SEQUENCE)
  BENCH_SEQUENCE(velmari_messages, msg, Control, control)
}

}  // namespace bench
