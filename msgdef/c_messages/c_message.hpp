// The C message functions of any message type, as templates over its field table.
#ifndef C_MESSAGES__C_MESSAGE_HPP_
#define C_MESSAGES__C_MESSAGE_HPP_

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "msgdef/fields.hpp"
#include "rcutils/allocator.h"
#include "rosidl_runtime_c/string_functions.h"

namespace c_messages
{

// A nested message is reached through its own package's exported functions.
template<class N>
struct Nested
{
  bool (* init)(N *);
  void (* fini)(N *);
  bool (* are_equal)(const N *, const N *);
  bool (* copy)(const N *, N *);
};

template<class S>
struct Fields;  // Fields<S>::value: the descriptor tuple of S

template<class S>
inline const auto & fields_of = Fields<S>::value;

// Field rules, by field kind. ------------------------------------------------

template<class S, class T>
bool init_field(const msgdef::Value<S, T> &, S &) {return true;}
template<class S, class T>
void fini_field(const msgdef::Value<S, T> &, S &) {}

template<class S, class T>
bool equal_field(const msgdef::Value<S, T> & f, const S & l, const S & r)
{
  if constexpr (std::is_same_v<T, bool>) {
    // Compare the stored bytes as truth values: a byte other than 0 or 1 is
    // not a valid bool object and must not be loaded as one.
    unsigned char a, b;
    std::memcpy(&a, &(l.*f.member), 1);
    std::memcpy(&b, &(r.*f.member), 1);
    return (a != 0) == (b != 0);
  } else {
    return l.*f.member == r.*f.member;  // IEEE 754 for floats: NaN != NaN, -0 == +0
  }
}

template<class S, class T>
void copy_field(const msgdef::Value<S, T> & f, const S & in, S & out)
{
  // Bit for bit: keeps NaN payloads, the sign of zero and any bool byte.
  std::memmove(&(out.*f.member), &(in.*f.member), sizeof(T));
}

template<class S, class T>
bool init_field(const msgdef::String<S, T> & f, S & m)
{
  // Start from the empty state so that a failed init leaves a string that
  // rosidl_runtime_c__String__fini accepts.
  T & s = m.*f.member;
  s.data = nullptr;
  s.size = 0;
  s.capacity = 0;
  return rosidl_runtime_c__String__init(&s);
}
template<class S, class T>
void fini_field(const msgdef::String<S, T> & f, S & m)
{
  rosidl_runtime_c__String__fini(&(m.*f.member));
}
template<class S, class T>
bool equal_field(const msgdef::String<S, T> & f, const S & l, const S & r)
{
  return rosidl_runtime_c__String__are_equal(&(l.*f.member), &(r.*f.member));
}
template<class S, class T>
bool copy_field(const msgdef::String<S, T> & f, const S & in, S & out)
{
  // A string copied onto itself would be reallocated under its own source.
  if (&in == &out) {
    return true;
  }
  return rosidl_runtime_c__String__copy(&(in.*f.member), &(out.*f.member));
}

template<class S, class T, class B>
bool init_field(const msgdef::Message<S, T, B> & f, S & m) {return f.binding.init(&(m.*f.member));}
template<class S, class T, class B>
void fini_field(const msgdef::Message<S, T, B> & f, S & m) {f.binding.fini(&(m.*f.member));}
template<class S, class T, class B>
bool equal_field(const msgdef::Message<S, T, B> & f, const S & l, const S & r)
{
  return f.binding.are_equal(&(l.*f.member), &(r.*f.member));
}
template<class S, class T, class B>
bool copy_field(const msgdef::Message<S, T, B> & f, const S & in, S & out)
{
  return f.binding.copy(&(in.*f.member), &(out.*f.member));
}

// Strings and nested messages own memory; primitives do not.
template<class F>
struct is_value : std::false_type {};
template<class S, class T>
struct is_value<msgdef::Value<S, T>>: std::true_type {};
template<class F>
constexpr bool owns_resources = !is_value<std::decay_t<F>>::value;

// Messages. --------------------------------------------------------------------

template<class S>
void fini(S * msg)
{
  if (!msg) {
    return;
  }
  msgdef::for_each(fields_of<S>, [&](const auto & f) {fini_field(f, *msg);});
}

template<class S>
bool init(S * msg)
{
  if (!msg) {
    return false;
  }
  // Primitives keep what the storage holds; only owning fields are set up.
  std::size_t initialised = 0;
  const bool ok = msgdef::all_of(fields_of<S>, [&](const auto & f) {
        if (!init_field(f, *msg)) {
          return false;
        }
        ++initialised;
        return true;
      });
  if (!ok) {
    // Finalise the fields set up so far and the one that failed (its failed
    // init leaves it finalisable); later fields were never touched.
    std::size_t index = 0;
    msgdef::for_each(fields_of<S>, [&](const auto & f) {
        if (index++ <= initialised) {
          fini_field(f, *msg);
        }
      });
  }
  return ok;
}

template<class S>
S * create()
{
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  auto * msg = static_cast<S *>(allocator.allocate(sizeof(S), allocator.state));
  if (!msg) {
    return nullptr;
  }
  std::memset(static_cast<void *>(msg), 0, sizeof(S));
  if (!init(msg)) {
    allocator.deallocate(msg, allocator.state);
    return nullptr;
  }
  return msg;
}

template<class S>
void destroy(S * msg)
{
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  if (msg) {
    fini(msg);
  }
  allocator.deallocate(msg, allocator.state);
}

template<class S>
bool are_equal(const S * lhs, const S * rhs)
{
  if (!lhs || !rhs) {
    return false;
  }
  return msgdef::all_of(fields_of<S>, [&](const auto & f) {return equal_field(f, *lhs, *rhs);});
}

template<class S>
bool copy(const S * input, S * output)
{
  if (!input || !output) {
    return false;
  }
  // Owning fields (the header) first: when one fails, no primitive is touched.
  const bool ok = msgdef::all_of(fields_of<S>, [&](const auto & f) {
        if constexpr (owns_resources<decltype(f)>) {
          return copy_field(f, *input, *output);
        }
        return true;
      });
  if (!ok) {
    return false;
  }
  msgdef::for_each(fields_of<S>, [&](const auto & f) {
      if constexpr (!owns_resources<decltype(f)>) {
        copy_field(f, *input, *output);
      }
    });
  return true;
}

// Sequences. -------------------------------------------------------------------

template<class S>
void fini_elements(S * data, std::size_t from, std::size_t to)  // [from, to), descending
{
  while (to > from) {
    fini(&data[--to]);
  }
}

// Initialises data[from, to) in ascending order; on failure finalises what it
// made and returns false.
template<class S>
bool init_elements(S * data, std::size_t from, std::size_t to)
{
  for (std::size_t i = from; i < to; ++i) {
    if (!init(&data[i])) {  // a failed init has finalised its own element
      fini_elements(data, from, i);
      return false;
    }
  }
  return true;
}

template<class Seq, class S>
bool sequence_init(Seq * seq, std::size_t size)
{
  if (!seq) {
    return false;
  }
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  S * data = nullptr;
  if (size) {
    data = static_cast<S *>(allocator.zero_allocate(size, sizeof(S), allocator.state));
    if (!data) {
      return false;
    }
    if (!init_elements(data, 0, size)) {
      allocator.deallocate(data, allocator.state);
      return false;
    }
  }
  seq->data = data;
  seq->size = size;
  seq->capacity = size;
  return true;
}

template<class Seq>
void sequence_fini(Seq * seq)
{
  if (!seq) {
    return;
  }
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  if (!seq->data) {
    return;
  }
  // Every element up to capacity is initialised, also those beyond size.
  for (std::size_t i = 0; i < seq->capacity; ++i) {
    fini(&seq->data[i]);
  }
  allocator.deallocate(seq->data, allocator.state);
  seq->data = nullptr;
  seq->size = 0;
  seq->capacity = 0;
}

template<class Seq, class S>
Seq * sequence_create(std::size_t size)
{
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  auto * seq = static_cast<Seq *>(allocator.allocate(sizeof(Seq), allocator.state));
  if (!seq) {
    return nullptr;
  }
  if (!sequence_init<Seq, S>(seq, size)) {
    allocator.deallocate(seq, allocator.state);
    return nullptr;
  }
  return seq;
}

template<class Seq>
void sequence_destroy(Seq * seq)
{
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  if (seq) {
    sequence_fini(seq);
  }
  allocator.deallocate(seq, allocator.state);
}

template<class Seq>
bool sequence_are_equal(const Seq * lhs, const Seq * rhs)
{
  if (!lhs || !rhs || lhs->size != rhs->size) {
    return false;
  }
  for (std::size_t i = 0; i < lhs->size; ++i) {
    if (!are_equal(&lhs->data[i], &rhs->data[i])) {
      return false;
    }
  }
  return true;
}

template<class Seq, class S>
bool sequence_copy(const Seq * input, Seq * output)
{
  if (!input || !output) {
    return false;
  }
  if (output->capacity < input->size) {
    if (input->size > SIZE_MAX / sizeof(S)) {
      return false;  // the byte count would wrap around
    }
    // The buffer is a C runtime heap block (the default allocator's), so it
    // grows in place with one realloc to exactly the needed count.
    auto * data = static_cast<S *>(std::realloc(output->data, input->size * sizeof(S)));
    if (!data) {
      return false;  // the old buffer is untouched and still the output's
    }
    const std::size_t old_capacity = output->capacity;
    if (!init_elements(data, old_capacity, input->size)) {
      // The old elements now live in the moved block: keep it as the buffer
      // at the old capacity, so the output stays valid and finalisable.
      if (old_capacity == 0) {
        std::free(data);
        data = nullptr;
      }
      output->data = data;
      return false;
    }
    output->data = data;
    output->capacity = input->size;
  }
  output->size = input->size;
  for (std::size_t i = 0; i < input->size; ++i) {
    if (!copy(&input->data[i], &output->data[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace c_messages

// Binding of a nested message type: its exported C message functions.
#define C_MESSAGES_BIND_MESSAGE(pkg, folder, T) \
  ::c_messages::Nested<pkg##__##folder##__##T>{ \
    &pkg##__##folder##__##T##__init, &pkg##__##folder##__##T##__fini, \
    &pkg##__##folder##__##T##__are_equal, &pkg##__##folder##__##T##__copy}

// The twelve exported functions of message type pkg/folder/T.
#define C_MESSAGES_DEFINE(pkg, folder, T, snake) \
  C_MESSAGES_DEFINE_(pkg##__##folder##__##T)

#define C_MESSAGES_DEFINE_(S) \
  template<> struct c_messages::Fields<S> \
  { \
    /* const, not constexpr: imported addresses are not constants everywhere */ \
    static inline const auto value = MSGDEF_FIELD_TUPLE(S, S); \
  }; \
  extern "C" { \
  bool S##__init(S * msg) {return c_messages::init(msg);} \
  void S##__fini(S * msg) {c_messages::fini(msg);} \
  S * S##__create(void) {return c_messages::create<S>();} \
  void S##__destroy(S * msg) {c_messages::destroy(msg);} \
  bool S##__are_equal(const S * lhs, const S * rhs) {return c_messages::are_equal(lhs, rhs);} \
  bool S##__copy(const S * input, S * output) {return c_messages::copy(input, output);} \
  bool S##__Sequence__init(S##__Sequence * seq, size_t size) \
  { \
    return c_messages::sequence_init<S##__Sequence, S>(seq, size); \
  } \
  void S##__Sequence__fini(S##__Sequence * seq) {c_messages::sequence_fini(seq);} \
  S##__Sequence * S##__Sequence__create(size_t size) \
  { \
    return c_messages::sequence_create<S##__Sequence, S>(size); \
  } \
  void S##__Sequence__destroy(S##__Sequence * seq) {c_messages::sequence_destroy(seq);} \
  bool S##__Sequence__are_equal(const S##__Sequence * lhs, const S##__Sequence * rhs) \
  { \
    return c_messages::sequence_are_equal(lhs, rhs); \
  } \
  bool S##__Sequence__copy(const S##__Sequence * input, S##__Sequence * output) \
  { \
    return c_messages::sequence_copy<S##__Sequence, S>(input, output); \
  } \
  }

#endif  // C_MESSAGES__C_MESSAGE_HPP_
