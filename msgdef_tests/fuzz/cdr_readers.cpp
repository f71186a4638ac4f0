// Fuzz target: the Fast-CDR readers of every message type, C and C++.
//
// Input: a choice byte (bit 0: the bytes start with the encapsulation header;
// the rest: the type and a number of bytes read one by one before the
// message), then the bytes. Both readers must read what Fast-CDR's own
// field-by-field reads read, raise where they raise, and leave the stream
// where they leave it; when the bytes are a message, it must write back to
// exactly its computed size, the C and C++ bytes must be the same, and what
// is written must read back to the same bytes again.
#include <cstring>
#include <exception>
#include <functional>

#include "fastcdr/exceptions/Exception.h"
#include "fuzz_support.hpp"
#include "support.hpp"

namespace
{

using fastcdr_test::Bytes;
using fastcdr_test::Cdr;
using fastcdr_test::Stream;

struct Read
{
  bool ok = false;
  std::size_t used = 0;
  Cdr::Endianness endianness = Cdr::LITTLE_ENDIANNESS;
};

// Reads as a middleware does: the header (if any) chooses the byte order;
// `skip` single bytes are read before the message.
Read read(const Bytes & bytes, bool encapsulation, const std::function<bool(Cdr &)> & reader,
  std::size_t skip = 0)
{
  Stream s(bytes);
  Read r;
  try {
    if (encapsulation) {
      s.cdr.read_encapsulation();
    }
    r.endianness = s.cdr.endianness();
    for (char byte; skip; --skip) {
      s.cdr.deserialize(byte);
    }
    r.ok = reader(s.cdr);
  } catch (const eprosima::fastcdr::exception::Exception &) {
    r.ok = false;
  }
  r.used = s.position();
  return r;
}

// Writes into a buffer of exactly the computed size; any overrun raises.
Bytes write(std::size_t size, const Read & how, bool encapsulation,
  const std::function<bool(Cdr &)> & writer, const char * type)
{
  const std::size_t header = encapsulation ? 4 : 0;
  Stream s(size + header, how.endianness);
  try {
    if (encapsulation) {
      s.cdr.serialize_encapsulation();
    }
    fuzz::require(writer(s.cdr), "a message that was read does not write", type);
  } catch (const eprosima::fastcdr::exception::Exception &) {
    fuzz::fail("writing needs more than the computed size", type);
  }
  fuzz::require(s.position() == size + header, "written size differs from the computed size", type);
  return s.written();
}

// After `skip` bytes, the readers read what field-by-field reads read, up
// to where those raise, and stop where they stop.
template<class Tr>
void check_against_field_by_field(const Bytes & bytes, bool encapsulation, std::size_t skip)
{
  using C = typename Tr::c_type;
  const char * type = Tr::name;
  const auto * callbacks = fastcdr_test::callbacks_of(Tr::c_handle());
  fastcdr_test::CMessage<C> c, c_reference;
  typename Tr::cpp_type cpp, cpp_reference;
  const Read rc = read(bytes, encapsulation, [&](Cdr & cdr) {
        return callbacks->cdr_deserialize(cdr, &c.msg);
      }, skip);
  const Read rcpp = read(bytes, encapsulation, [&](Cdr & cdr) {
        return Tr::cpp_deserialize(cdr, cpp);
      }, skip);
  const Read reference = read(bytes, encapsulation, [&](Cdr & cdr) {
        fastcdr_test::read_field_by_field(cdr, c_reference.msg);
        return true;
      }, skip);
  const Read cpp_ref = read(bytes, encapsulation, [&](Cdr & cdr) {
        fastcdr_test::read_field_by_field(cdr, cpp_reference);
        return true;
      }, skip);
  fuzz::require(rc.ok == reference.ok && rcpp.ok == cpp_ref.ok,
    "a reader and the field-by-field reads disagree", type);
  fuzz::require(rc.used == reference.used && rcpp.used == cpp_ref.used,
    "a reader stops elsewhere than the field-by-field reads", type);
  // A NaN is unequal to itself: equal exactly when the message is to itself.
  fuzz::require(Tr::are_equal(&c.msg, &c_reference.msg) == Tr::are_equal(&c.msg, &c.msg),
    "the C reader reads other values than the field-by-field reads", type);
  fuzz::require((cpp == cpp_reference) == (cpp == cpp),
    "the C++ reader reads other values than the field-by-field reads", type);
}

template<class Tr>
void check(const Bytes & bytes, bool encapsulation, std::size_t skip)
{
  check_against_field_by_field<Tr>(bytes, encapsulation, skip);

  using C = typename Tr::c_type;
  using Cpp = typename Tr::cpp_type;
  const char * type = Tr::name;
  const auto * callbacks = fastcdr_test::callbacks_of(Tr::c_handle());

  fastcdr_test::CMessage<C> c;
  Cpp cpp;
  const Read rc = read(bytes, encapsulation, [&](Cdr & cdr) {
        return callbacks->cdr_deserialize(cdr, &c.msg);
      });
  const Read rcpp = read(bytes, encapsulation, [&](Cdr & cdr) {
        return Tr::cpp_deserialize(cdr, cpp);
      });
  fuzz::require(rc.ok == rcpp.ok, "the C and C++ readers disagree", type);
  if (!rc.ok) {
    return;  // the message is finalised all the same, which shows no leak
  }
  fuzz::require(rc.used == rcpp.used, "the C and C++ readers took different lengths", type);

  const std::size_t size = Tr::c_size(&c.msg, 0);
  fuzz::require(size == Tr::cpp_size(cpp, 0), "C and C++ sizes differ", type);
  bool bounded = true;
  const std::size_t max = Tr::c_max(bounded, 0);
  fuzz::require(!bounded || size <= max, "size above the maximum of a bounded type", type);

  const Bytes c_bytes = write(size, rc, encapsulation, [&](Cdr & cdr) {
        return callbacks->cdr_serialize(&c.msg, cdr);
      }, type);
  const Bytes cpp_bytes = write(size, rc, encapsulation, [&](Cdr & cdr) {
        return Tr::cpp_serialize(cpp, cdr);
      }, type);
  fuzz::require(c_bytes == cpp_bytes, "the C and C++ messages write different bytes", type);
  // Every byte read is written back; only a string without its NUL (or an
  // empty one) grows by that NUL, and alignment can grow with it. Never less.
  fuzz::require(rc.used <= c_bytes.size(), "the message writes fewer bytes than it was read from",
    type);

  fastcdr_test::CMessage<C> again;
  Cpp cpp_again;
  const Read ra = read(c_bytes, encapsulation, [&](Cdr & cdr) {
        return callbacks->cdr_deserialize(cdr, &again.msg);
      });
  const Read rcpp_again = read(c_bytes, encapsulation, [&](Cdr & cdr) {
        return Tr::cpp_deserialize(cdr, cpp_again);
      });
  fuzz::require(ra.ok && rcpp_again.ok, "written bytes do not read back", type);
  fuzz::require(ra.used == c_bytes.size() && rcpp_again.used == c_bytes.size(),
    "written bytes read back to another length", type);
  // A NaN is unequal to itself: equal exactly when the first message is.
  fuzz::require(Tr::are_equal(&c.msg, &again.msg) == Tr::are_equal(&c.msg, &c.msg),
    "the C message reads back different", type);
  fuzz::require((cpp == cpp_again) == (cpp == cpp), "the C++ message reads back different", type);
  const Bytes third = write(size, ra, encapsulation, [&](Cdr & cdr) {
        return callbacks->cdr_serialize(&again.msg, cdr);
      }, type);
  fuzz::require(third == c_bytes, "a message read back writes different bytes", type);
}

struct Counter
{
  std::size_t count = 0;
  template<class Tr>
  void operator()(Tr) {++count;}
};

struct Dispatch
{
  std::size_t index;
  const Bytes & bytes;
  bool encapsulation;
  std::size_t skip;
  template<class Tr>
  void operator()(Tr)
  {
    if (index-- == 0) {
      check<Tr>(bytes, encapsulation, skip);
    }
  }
};

std::size_t type_count()
{
  Counter counter;
  fastcdr_test::for_each_type(counter);
  return counter.count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t * data, std::size_t size)
{
  static const std::size_t types = type_count();
  if (size < 1) {
    return 0;
  }
  const bool encapsulation = data[0] & 1;
  const std::size_t choice = data[0] >> 1;
  // Its own buffer of exactly the input's size: any read past it is seen.
  const Bytes bytes(data + 1, data + size);
  fastcdr_test::for_each_type(Dispatch{choice % types, bytes, encapsulation, choice / types % 8});
  return 0;
}
