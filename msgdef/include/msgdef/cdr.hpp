// CDR wire rules shared by the Fast-CDR serializers of C and of C++ messages:
// alignment arithmetic, the stream operation of every primitive, strings, and
// the walks over a field table (msgdef/fields.hpp) that write, read and size a
// message. A nested message's descriptor carries a binding that does its part:
//   bool write(const T &, Cdr &) const;  bool read(Cdr &, T &) const;
//   size_t end(const T &, size_t offset) const;  size_t max_end(bool & bounded, size_t offset) const;
// where end/max_end return the running offset after the nested message.
#ifndef MSGDEF__CDR_HPP_
#define MSGDEF__CDR_HPP_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "fastcdr/Cdr.h"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/string.h"
#include "rosidl_runtime_c/string_functions.h"

// The walks and their steps are inlined into every caller, so that a
// callback is the walk itself rather than a jump to a copy shared with the
// exported function.
#if defined(_MSC_VER)
#  define MSGDEF_CDR_INLINE __forceinline
#else
#  define MSGDEF_CDR_INLINE inline __attribute__((always_inline))
#endif

namespace msgdef
{
namespace cdr
{

// Alignment. Offsets count from the stream's alignment origin. --------------

// Gap the stream puts before a value of `width` bytes (1, 2, 4 or 8) at `offset`.
constexpr std::size_t gap(std::size_t offset, std::size_t width)
{
  return (width - offset % width) % width;
}

// Running offset after a value of `width` bytes written at `offset`.
constexpr std::size_t after(std::size_t offset, std::size_t width)
{
  return offset + gap(offset, width) + width;
}

// Running offset after a string of `length` bytes: uint32 length counting
// the terminating NUL, the bytes, the NUL.
constexpr std::size_t after_string(std::size_t offset, std::size_t length)
{
  return after(offset, 4) + length + 1;
}

// Primitives. -----------------------------------------------------------------

// Each returns the stream the operation returned (the same stream): a walk
// that goes on with it keeps no copy of its own across the calls.
template<class T>
eprosima::fastcdr::Cdr & write_value(eprosima::fastcdr::Cdr & cdr, const T & field)
{
  if constexpr (std::is_same_v<T, bool>) {
    // C code may leave any byte in a bool; loading it as a bool is undefined
    // and Fast-CDR would write the raw byte. Write its truth value instead.
    std::uint8_t byte;
    std::memcpy(&byte, &field, 1);
    return cdr.serialize(byte != 0);
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    return cdr.serialize(static_cast<char>(field));  // one octet, a number, not text
  } else {
    return cdr.serialize(field);
  }
}

template<class T>
eprosima::fastcdr::Cdr & read_value(eprosima::fastcdr::Cdr & cdr, T & field)
{
  if constexpr (std::is_same_v<T, bool>) {
    // Fast-CDR's bool read throws on bytes other than 0 and 1; any non-zero is true.
    char byte;
    eprosima::fastcdr::Cdr & stream = cdr.deserialize(byte);
    field = byte != 0;
    return stream;
  } else if constexpr (std::is_same_v<T, std::uint8_t>) {
    char byte;
    eprosima::fastcdr::Cdr & stream = cdr.deserialize(byte);
    field = static_cast<std::uint8_t>(byte);
    return stream;
  } else {
    return cdr.deserialize(field);
  }
}

// Strings: C (rosidl_runtime_c__String) and C++ (std::string) alike. ---------

inline const char * string_data(const rosidl_runtime_c__String & s) {return s.data;}
inline std::size_t string_size(const rosidl_runtime_c__String & s) {return s.size;}
inline const char * string_data(const std::string & s) {return s.data();}
inline std::size_t string_size(const std::string & s) {return s.size();}
// True when the NUL that ends the text on the wire is already in the buffer.
inline bool nul_in_place(const rosidl_runtime_c__String & s)
{
  return s.data && s.capacity > s.size && s.data[s.size] == '\0';
}
inline bool nul_in_place(const std::string &) {return true;}

// False when the string cannot be written: its length does not fit the
// uint32 prefix, or a C string claims bytes without a buffer. The bytes and
// the NUL go in one stream operation when the NUL is already in place.
template<class Str>
MSGDEF_CDR_INLINE bool write_string(eprosima::fastcdr::Cdr & cdr, const Str & s)
{
  const std::size_t size = string_size(s);
  const char * data = string_data(s);
  if (size >= std::numeric_limits<std::uint32_t>::max()) {
    return false;
  }
  // Decided before the first stream call, which the compiler must assume
  // could change the string: the fields are read once.
  if (nul_in_place(s)) {  // a buffer, so no null text to check for
    cdr.serialize(static_cast<std::uint32_t>(size + 1));
    cdr.serializeArray(data, size + 1);
    return true;
  }
  if (size && !data) {
    return false;
  }
  cdr.serialize(static_cast<std::uint32_t>(size + 1));
  if (size) {
    cdr.serializeArray(data, size);
  }
  cdr.serialize('\0');
  return true;
}

// A string as it lies in the stream's buffer, text without the trailing NUL.
struct StringView
{
  const char * data;
  std::uint32_t size;
};

}  // namespace cdr
}  // namespace msgdef

// Fast-CDR's own string reads go through its private readString: it checks
// the length prefix against the bytes left before anything is made (a length
// past the end raises NotEnoughMemoryException with the stream back at the
// prefix), consumes the string and points at its text in the buffer. Its
// public std::string read then always builds a new string; a specialization
// of its member template, being a member, hands out the view instead, so
// that the text is copied once, into the field.
namespace eprosima
{
namespace fastcdr
{
template<>
inline Cdr & Cdr::deserialize<msgdef::cdr::StringView>(msgdef::cdr::StringView & view)
{
  view.size = 0;
  view.data = readString(view.size);
  return *this;
}
}  // namespace fastcdr
}  // namespace eprosima

namespace msgdef
{
namespace cdr
{

// Reads straight into the member, reusing its buffer when large enough. A
// failed read (the stream's exception, or bad_alloc) leaves the old value.
inline bool read_string(eprosima::fastcdr::Cdr & cdr, std::string & s)
{
  StringView view;
  cdr.deserialize(view);
  if (view.size > s.capacity()) {
    s.assign(view.data, view.size);
  } else {
    // Within the capacity: no allocation, and a plain copy rather than
    // assign's general replacement.
    s.resize(view.size);
    std::memcpy(&s[0], view.data, view.size);
  }
  return true;
}

// Reads straight into the C string, reusing its buffer when it holds the text
// and the NUL; otherwise the buffer is enlarged to exactly that. False, with
// the old value, when the storage cannot be had.
inline bool read_string(eprosima::fastcdr::Cdr & cdr, rosidl_runtime_c__String & s)
{
  StringView view;
  cdr.deserialize(view);
  if (!s.data || view.size >= s.capacity) {
    return rosidl_runtime_c__String__assignn(&s, view.data, view.size);
  }
  std::memcpy(s.data, view.data, view.size);
  s.data[view.size] = '\0';
  s.size = view.size;
  return true;
}

// Walks over a field table. ----------------------------------------------------

template<class F>
struct is_value : std::false_type {};
template<class S, class T>
struct is_value<msgdef::Value<S, T>>: std::true_type {};
template<class F>
struct is_string : std::false_type {};
template<class S, class T>
struct is_string<msgdef::String<S, T>>: std::true_type {};

template<class F>
constexpr bool is_value_v = is_value<std::decay_t<F>>::value;
template<class F>
constexpr bool is_string_v = is_string<std::decay_t<F>>::value;

// True for a field table of primitives alone: its size needs no message.
template<class Tuple>
struct only_values;
template<class ... F>
struct only_values<std::tuple<F...>>: std::bool_constant<(is_value_v<F>&& ...)> {};
template<class Tuple>
constexpr bool only_values_v = only_values<std::decay_t<Tuple>>::value;

// The walks take the table as a type, Table::value being the constexpr
// descriptor tuple of a message type, so that every member offset is a
// constant where the field is reached, whatever the compiler inlines.
template<class Table>
using fields_t = std::decay_t<decltype(Table::value)>;
template<class Table>
constexpr std::size_t field_count = std::tuple_size_v<fields_t<Table>>;
template<class Table, std::size_t I>
constexpr const auto & field = std::get<I>(Table::value);

template<class S, class F>
MSGDEF_CDR_INLINE bool write_field(const F & f, const S & msg, eprosima::fastcdr::Cdr * & cdr)
{
  if constexpr (is_value_v<F>) {
    cdr = &write_value(*cdr, msg.*f.member);
    return true;
  } else if constexpr (is_string_v<F>) {
    return write_string(*cdr, msg.*f.member);
  } else {
    return f.binding.write(msg.*f.member, *cdr);
  }
}

template<class S, class F>
MSGDEF_CDR_INLINE bool read_field(const F & f, eprosima::fastcdr::Cdr * & cdr, S & msg)
{
  if constexpr (is_value_v<F>) {
    cdr = &read_value(*cdr, msg.*f.member);
    return true;
  } else if constexpr (is_string_v<F>) {
    return read_string(*cdr, msg.*f.member);
  } else {
    return f.binding.read(*cdr, msg.*f.member);
  }
}

template<class Table, class S, std::size_t ... I>
MSGDEF_CDR_INLINE bool write_fields(const S & msg, eprosima::fastcdr::Cdr & cdr, std::index_sequence<I...>)
{
  eprosima::fastcdr::Cdr * stream = &cdr;
  return (write_field(field<Table, I>, msg, stream) && ...);
}

template<class Table, class S, std::size_t ... I>
MSGDEF_CDR_INLINE bool read_fields(eprosima::fastcdr::Cdr & cdr, S & msg, std::index_sequence<I...>)
{
  eprosima::fastcdr::Cdr * stream = &cdr;
  return (read_field(field<Table, I>, stream, msg) && ...);
}

// Writes every field in order. Stops and returns false when a string or a
// nested message cannot be written; what was written stays in the stream.
template<class Table, class S>
MSGDEF_CDR_INLINE bool write_fields(const S & msg, eprosima::fastcdr::Cdr & cdr)
{
  return write_fields<Table>(msg, cdr, std::make_index_sequence<field_count<Table>>());
}

// Reads every field in order, each straight into the message. Stops and
// returns false when a string or a nested message cannot be read; later
// fields keep their values.
template<class Table, class S>
MSGDEF_CDR_INLINE bool read_fields(eprosima::fastcdr::Cdr & cdr, S & msg)
{
  return read_fields<Table>(cdr, msg, std::make_index_sequence<field_count<Table>>());
}

// Sizes. A run of primitives that ends the table takes the same number of
// bytes from every offset of the same remainder modulo 8 (the widest
// alignment): those eight sums are worked out when the library is built.
template<class Table, std::size_t I>
constexpr bool values_from()
{
  if constexpr (I == field_count<Table>) {
    return true;
  } else {
    return is_value_v<decltype(field<Table, I>)> && values_from<Table, I + 1>();
  }
}

template<class Table, std::size_t I>
constexpr std::size_t values_end(std::size_t offset)
{
  if constexpr (I == field_count<Table>) {
    return offset;
  } else {
    using T = typename std::tuple_element_t<I, fields_t<Table>>::type;
    static_assert(sizeof(T) <= 8 && (sizeof(T) & (sizeof(T) - 1)) == 0, "widths 1, 2, 4, 8");
    return values_end<Table, I + 1>(after(offset, sizeof(T)));
  }
}

template<class Table, std::size_t I>
struct TailBytes
{
  static constexpr std::array<std::size_t, 8> from = [] {
      std::array<std::size_t, 8> bytes{};
      for (std::size_t remainder = 0; remainder < 8; ++remainder) {
        bytes[remainder] = values_end<Table, I>(remainder) - remainder;
      }
      return bytes;
    }();
};

// Running offset after the fields from the I-th on when they start at
// `offset`. Primitives are pure arithmetic; `part_end(field, offset)` gives
// the end of a string or a nested message. Both size computations are this
// one walk.
template<class Table, std::size_t I = 0, class PartEnd>
std::size_t end_offset(std::size_t offset, PartEnd && part_end)
{
  if constexpr (values_from<Table, I>()) {
    return offset + TailBytes<Table, I>::from[offset % 8];
  } else {
    const auto & f = field<Table, I>;
    if constexpr (is_value_v<decltype(f)>) {
      offset = after(offset, sizeof(typename std::decay_t<decltype(f)>::type));
    } else {
      offset = part_end(f, offset);
    }
    return end_offset<Table, I + 1>(offset, part_end);
  }
}

// Serialized size from `start`. Only strings and nested messages are looked
// at, so a type made of primitives alone never touches `msg` (null allowed).
template<class Table, class S>
std::size_t serialized_size(const S * msg, std::size_t start)
{
  return end_offset<Table>(start, [msg](const auto & f, std::size_t offset) {
             if constexpr (is_string_v<decltype(f)>) {
               return after_string(offset, string_size(msg->*f.member));
             } else {
               return f.binding.end(msg->*f.member, offset);
             }
           }) - start;
}

// Largest serialized size from `start`. Only an unbounded string or a nested
// message changes `bounded`; a string counts as empty.
template<class Table>
std::size_t max_serialized_size(bool & bounded, std::size_t start)
{
  return end_offset<Table>(start, [&bounded](const auto & f, std::size_t offset) {
             if constexpr (is_string_v<decltype(f)>) {
               bounded = false;
               return after_string(offset, 0);
             } else {
               return f.binding.max_end(bounded, offset);
             }
           }) - start;
}

}  // namespace cdr
}  // namespace msgdef

#endif  // MSGDEF__CDR_HPP_
